// Entries moved in from a browser's or another password manager's CSV file, and out to one.
#include "app/application_win.h"

#include "app/csvfile.h"
#include "core/kerror.h"
#include "core/kstr.h"
#include "framework/controls.h"
#include "framework/kstr.h"
#include "framework/window.h"
#include "ui/mainwindow_win.h"

namespace {
constexpr char16_t kCsvFilter[] = u"CSV ファイル(*.csv)|*.csv|すべてのファイル(*.*)|*.*";

int ExportedCount(const KIdTable& table) {
    int n = 0;
    for (int i = 0; i < KIdTable::kGroups * KIdTable::kPerGroup; ++i) n += table[i].InUse && !table[i].AllEmpty();
    return n;
}
}  // namespace

void KApplication::ImportEntries() {
    if (!life_.Allows(KUse::Entries)) return;
    ops_->StoreCurrent();
    const std::u16string path = kf::PickFileToOpen(main_->Handle(), kCsvFilter);
    // The window may have locked while the dialog was open.
    if (path.empty() || !life_.Allows(KUse::Entries)) return;
    const HWND owner = main_->Handle();
    if (kplat::StampOf(path).size > kcsv::kMaxFileBytes) {
        kcsv::ReadResult tooLarge;
        tooLarge.problem = kcsv::Problem::TooLarge;
        kf::ShowMessage(owner, W(kcsv::ProblemText(tooLarge)));
        return;
    }
    std::vector<std::uint8_t> bytes;
    try {
        bytes = kplat::ReadWholeFile(path);
    } catch (const KFileError& e) {
        kf::ShowMessage(owner, W(u"CSV ファイルを読み込めませんでした。\r\n" + e.Message() +
                                 u"\r\n何もインポートしていません。"));
        return;
    }
    kcsv::ReadResult read = kcsv::Read(bytes.data(), bytes.size());
    kplat::Wipe(bytes);
    if (read.problem != kcsv::Problem::None) {
        kf::ShowMessage(owner, W(kcsv::ProblemText(read)));
        return;
    }
    const kcsv::Plan plan = kcsv::PlanImport(doc_.Entries(), engine_.Group, read.entries);
    if (plan.fits && plan.added > 0) {
        // One change of the document, saved like any other.
        kcsv::ApplyImport(doc_.Entries(), plan, read.entries);
        doc_.Changed(KChange::Entries);
        ops_->FillList();
    }
    kcsv::Wipe(read.entries);
    kf::ShowMessage(owner, W(kcsv::PlanText(plan)));
}

void KApplication::ExportEntries() {
    if (!life_.Allows(KUse::Entries)) return;
    ops_->StoreCurrent();
    const HWND owner = main_->Handle();
    if (!kf::AskYesNo(owner, L"エクスポートするファイルには、すべてのパスワードが暗号化されずに書き込まれます。"
                             L"そのファイルを手に入れた人は、だれでもすべてのエントリを読めます。\r\n"
                             L"エクスポートしますか？\r\n\r\n"
                             L"「はい」：保存先を選びます。\r\n「いいえ」：何もしません。"))
        return;
    if (!life_.Allows(KUse::Entries)) return;
    const std::u16string path = kf::PickFileToSave(owner, kCsvFilter, u"keyra.csv", u"csv");
    if (path.empty() || !life_.Allows(KUse::Entries)) return;
    std::vector<std::uint8_t> bytes = kcsv::Write(doc_.Entries());
    try {
        kplat::ReplaceFileContents(path, bytes);
    } catch (const KFileError& e) {
        kplat::Wipe(bytes);
        kf::ShowMessage(owner, W(u"CSV ファイルを保存できませんでした。\r\n" + e.Message() +
                                 u"\r\n保存先のフォルダーに書き込めるか確認してください。"));
        return;
    }
    kplat::Wipe(bytes);
    kf::ShowMessage(owner, W(kstr::Decimal(ExportedCount(doc_.Entries())) +
                             u"件のエントリをエクスポートしました。\r\nこのファイルは暗号化されていません。"
                             u"使い終わったら削除してください。"));
}
