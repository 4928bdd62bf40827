// The document's data file: the marker line, the twenty settings, one line per used entry and
// the generator's lines, scrambled, or sealed under the master password.
#include <string>
#include <utility>
#include <vector>

#include "app/document.h"
#include "core/kerror.h"
#include "core/kstr.h"
#include "storage/kini.h"
#include "storage/kplatform.h"
#include "storage/kvar.h"

namespace {

std::u16string EntryName(int n) { return u"I" + kstr::Decimal(n); }

// The five texts of one entry line. The same as ReadPart(k, key) for k = 1 to 5, but the
// line is looked up and split once, in place.
KIdData ReadEntry(const KIni& doc, const std::u16string& name) {
    std::u16string_view parts[KIni::kParts];
    KIni::PartViews(doc.ValueView(name), parts);
    KIdData d;
    for (int k = 1; k <= 5; ++k) d.Text(k) = KIni::HexDecode(parts[k - 1]);
    return d;
}

constexpr char16_t kEndKey[] = u"$End";
constexpr char16_t kIdleLockKey[] = u"IdleLockSeconds";
constexpr char16_t kLinesKey[] = u"$Lines";

std::u16string FileNameOf(const std::u16string& path) {
    const auto cut = path.find_last_of(u"\\/");
    return cut == std::u16string::npos ? path : path.substr(cut + 1);
}

// Save counts the document's lines in "$Lines" after the settings and closes it with "$End"
// and the same count, so that a text cut at a line boundary is noticed too. Older copies read
// past both lines; their files have neither and are taken as they are.
bool LinesComplete(KIni& doc) {
    const int n = doc.LineCount();
    const std::u16string count = kstr::Decimal(n);
    const bool endFits = n > 0 && doc.Line(n - 1) == std::u16string(kEndKey) + u"=" + count;
    const std::u16string said(doc.Read(KVar(kLinesKey)).View());
    if (!said.empty()) return endFits && said == count;
    if (endFits) return true;
    for (int i = 0; i < n; ++i)
        if (doc.LineName(i) == kEndKey) return false;
    return true;
}

// A copy of a damaged data file under a name of its own, never over an earlier one.
// The empty text when none could be made.
std::u16string SetAside(const std::u16string& path) {
    for (int i = 1; i <= 99; ++i) {
        const std::u16string name = path + u".damaged" + (i > 1 ? kstr::Decimal(i) : std::u16string());
        if (kplat::FileExists(name)) continue;
        return kplat::CopyToNewFile(path, name) ? name : std::u16string();
    }
    return {};
}

}  // namespace

KLoadResult KDocument::Load(const KDataPaths& paths, const KMasterKey* key) {
    KLoadResult result;
    KIni doc;
    KMasterKey opened;
    bool sealed = false, keepDataFile = false;
    // A read error throws out of Load before anything here has been changed.
    const bool fromBackup = !kplat::FileExists(paths.Data) && kplat::FileExists(paths.Backup());
    if (!kplat::FileExists(paths.Data) && !fromBackup) {
        doc.Load(paths.Initial);  // missing too: every setting takes its default
    } else {
        // Without the data file but with its backup (a save ended half-way), the backup is
        // the data: the next saves would otherwise replace it with defaults.
        const std::u16string path = fromBackup ? paths.Backup() : paths.Data;
        bool whole = true;
        doc.Load(path, &whole);
        sealed = kvault::IsContainer(doc);
        if (sealed) {
            kvault::Header header;
            if (!kvault::ReadHeader(doc, header) || !cipher_) {
                result.Status = KLoadStatus::NotKeyra;
                result.Messages.push_back(
                    u"データファイルを読み込めません。壊れているか、新しい版の Keyra で保存されたファイルです。");
                return result;
            }
            if (!key) {
                result.Status = KLoadStatus::NeedsKey;
                result.Salt = header.salt;
                result.Iterations = header.iterations;
                return result;
            }
            std::u16string plain;
            if (!kvault::OpenWith(header, *key, plain)) {
                result.Status = KLoadStatus::WrongKey;
                return result;
            }
            doc.LoadPlainText(plain);
            kplat::Wipe(plain);
            opened = *key;
        }
        if (doc.ReadDef(KVar(0), KVar(u"Keyra")).AsReal() == 0) {
            result.Status = KLoadStatus::NotKeyra;
            result.Messages.push_back(kRefusal);
            return result;
        }
        if (fromBackup) {
            result.FromBackup = true;
            result.Messages.push_back(u"データファイルがないため、バックアップ " + FileNameOf(path) +
                                      u" を読み込みました。");
        } else if (!sealed && (!whole || !LinesComplete(doc))) {
            // What could be read is used; the file's bytes are kept as they are.
            result.Damaged = true;
            const std::u16string aside = SetAside(paths.Data);
            keepDataFile = aside.empty();
            result.Messages.push_back(aside.empty()
                                          ? std::u16string(u"データファイルが壊れています。読み取れた分だけを読み込みました。\r\n"
                                                           u"元のファイルを別の名前で残せないため、残せるまで上書きしません。")
                                          : u"データファイルが壊れています。読み取れた分だけを読み込みました。\r\n"
                                            u"元のファイルは " + FileNameOf(aside) + u" として残してあります。");
        }
    }

    // Everything is taken out of the file first, so that the document changes only once the
    // whole file has been understood.
    KSettings s = ReadSettings(doc);
    ClampSettings(s);
    std::int32_t idle = doc.ReadDef(KVar(kIdleLockDefault), KVar(kIdleLockKey)).AsInt();
    // No number means no value; a longer time than the default is not taken.
    if (idle <= 0 || idle > kIdleLockDefault) idle = kIdleLockDefault;
    std::vector<std::pair<int, KIdData>> used;
    for (int n = 0; n < KIdTable::kSlots; ++n) {
        KIdData d = ReadEntry(doc, EntryName(n));
        // In use when any text is there, so an entry without a title keeps its ID and password.
        if (!d.AllEmpty()) {
            d.InUse = 1;
            used.emplace_back(n, std::move(d));
        }
    }

    settings_ = std::move(s);
    idleLockSeconds_ = idle;
    std::size_t next = 0;
    for (int n = 0; n < KIdTable::kSlots; ++n) {
        KIdData& slot = entries_[n];
        if (next < used.size() && used[next].first == n) {
            slot = std::move(used[next].second);
            ++next;
        } else {
            slot.InUse = 0;
            slot.ClearTexts();
        }
    }
    generator_ = ReadGeneratorPosition(doc);
    int month = 1, day = 1;
    kplat::LocalDate(month, day);
    if (!words_.LoadLines(doc, MonthDay(month, day))) result.Messages.push_back(KWordListData::kNoSlotMessage);
    master_.MoveFrom(opened);
    fileSealed_ = sealed;
    keepDataFile_ = keepDataFile;
    Changed(KChange::Loaded);
    return result;
}

void KDocument::Save(const KDataPaths& paths) {
    if (keepDataFile_) {
        if (kplat::FileExists(paths.Data) && SetAside(paths.Data).empty())
            throw KFileError(u"壊れたデータファイルを別の名前で残せないため、保存できません。\r\n" + paths.Data);
        keepDataFile_ = false;
    }
    KIni doc;
    doc.Write(KVar(u"0.3"), KVar(u"Keyra"));
    WriteSettings(doc, settings_);
    if (idleLockSeconds_ != kIdleLockDefault) doc.Write(KVar(idleLockSeconds_), KVar(kIdleLockKey));
    doc.Write(KVar(0), KVar(kLinesKey));  // the count is known at the end
    for (int n = 0; n < KIdTable::kSlots; ++n) {
        const KIdData& d = entries_[n];
        if (d.InUse != 1) continue;
        const KVar key(EntryName(n));
        for (int k = 1; k <= 5; ++k) doc.WritePart(k, KVar(d.Text(k)), key);
    }
    WriteGeneratorPosition(doc, generator_);
    words_.SaveLines(doc);
    const int lines = doc.LineCount() + 1;
    doc.Write(KVar(lines), KVar(kLinesKey));
    doc.AppendLine(std::u16string(kEndKey) + u"=" + kstr::Decimal(lines));
    // Written to a temporary file and swapped in; on failure this throws and the old file stays.
    if (!master_.Active()) {
        doc.Save(paths.Data, paths.Backup());
        fileSealed_ = false;
        return;
    }
    KIni sealed;
    {
        std::u16string plain = doc.PlainText();
        doc.Clear();
        try {
            kvault::Seal(master_, plain, sealed);
        } catch (...) {
            kplat::Wipe(plain);
            throw;
        }
        kplat::Wipe(plain);
    }
    sealed.Save(paths.Data, paths.Backup());
    // The first sealed save would leave the readable file behind as the backup.
    if (!fileSealed_ && kplat::FileExists(paths.Backup()))
        kplat::ReplaceFileContents(paths.Backup(), kplat::ReadWholeFile(paths.Data));
    fileSealed_ = true;
}

void KDocument::SetMasterPassword(std::u16string_view password) {
    if (password.empty()) {
        master_.Clear();
    } else {
        if (!cipher_) throw KError(u"暗号化の機能を使えないため、マスターパスワードを設定できません。");
        master_.Create(*cipher_, password);
    }
    Changed(KChange::MasterKey);
}

void KDocument::Changed(KChange what) {
    if (OnChanged) OnChanged(what);
}

KLoadResult LoadWithPassword(KDocument& doc, const KDataPaths& paths, const KLoadResult& asked,
                             std::u16string_view password) {
    if (!doc.Cipher()) return asked;
    KMasterKey key;
    key.Derive(*doc.Cipher(), password, asked.Salt, asked.Iterations);
    KLoadResult result = doc.Load(paths, &key);
    if (result.Status == KLoadStatus::Loaded && doc.Master().Iterations() < KMasterKey::kIterations)
        doc.SetMasterPassword(password);
    return result;
}
