#include <string>
#include <utility>
#include <vector>

#include "app/kengine.h"
#include "core/kerror.h"
#include "app/settings.h"
#include "core/kstr.h"
#include "storage/kini.h"
#include "storage/kplatform.h"
#include "storage/kvar.h"
#include "storage/kvault.h"

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

// SaveAll counts the document's lines in "$Lines" after the settings and closes it with
// "$End" and the same count, so that a text cut at a line boundary is noticed too. Older
// copies read past both lines; their files have neither and are taken as they are.
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

// The sealed document's text into `doc`, once the user has given its password. False when the
// container cannot be read or the user gave up; the file is not touched either way.
bool OpenSealed(KEngine& engine, KIni& doc, KDataHost& host) {
    kvault::Header header;
    if (!kvault::ReadHeader(doc, header) || !engine.Cipher) {
        host.ShowMessage(u"データファイルを読み込めません。壊れているか、新しい版の Keyra で保存されたファイルです。");
        return false;
    }
    std::u16string plain;
    KMasterKey key;
    const bool opened = host.AskMasterPassword([&](const std::u16string& password) {
        if (!kvault::Open(*engine.Cipher, header, password, key, plain)) return false;
        // A file sealed with a lower count is sealed again at today's count.
        if (key.Iterations() < KMasterKey::kIterations) key.Create(*engine.Cipher, password);
        return true;
    });
    if (!opened) {
        engine.StartCancelled = 1;
        return false;
    }
    doc.LoadPlainText(plain);
    kplat::Wipe(plain);
    engine.Master.MoveFrom(key);
    engine.FileSealed = 1;
    return true;
}

}  // namespace

bool KEngine::LoadAll(KIdTable& table, KDataHost& host) {
    KIni doc;
    // A read error throws out of Load before anything here has been changed.
    const bool fromBackup = !kplat::FileExists(DataPath) && kplat::FileExists(BackupPath());
    if (!kplat::FileExists(DataPath) && !fromBackup) {
        doc.Load(InitialPath);  // missing too: every setting takes its default
    } else {
        // Without the data file but with its backup (a save ended half-way), the backup is
        // the data: the next saves would otherwise replace it with defaults.
        const std::u16string path = fromBackup ? BackupPath() : DataPath;
        bool whole = true;
        doc.Load(path, &whole);
        const bool sealed = kvault::IsContainer(doc);
        if (sealed && !OpenSealed(*this, doc, host)) return false;
        if (doc.ReadDef(KVar(0), KVar(u"Keyra")).AsReal() == 0) {
            host.ShowMessage(u"Keyra のデータファイルではありません");
            return false;
        }
        if (fromBackup) {
            host.ShowMessage(u"データファイルがないため、バックアップ " + FileNameOf(path) + u" を読み込みました。");
        } else if (!sealed && (!whole || !LinesComplete(doc))) {
            // What could be read is used; the file's bytes are kept as they are.
            const std::u16string aside = SetAside(DataPath);
            KeepDataFile = aside.empty() ? 1 : 0;
            host.ShowMessage(aside.empty()
                                 ? std::u16string(u"データファイルが壊れています。読み取れた分だけを読み込みました。\r\n"
                                                  u"元のファイルを別の名前で残せないため、残せるまで上書きしません。")
                                 : u"データファイルが壊れています。読み取れた分だけを読み込みました。\r\n"
                                   u"元のファイルは " + FileNameOf(aside) + u" として残してあります。");
        }
    }

    // Everything is taken out of the document first, so that the engine and the table
    // change only once the whole file has been understood.
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

    int width = 0, height = 0;
    host.ScreenSize(width, height);
    ClampWindowPosition(s.Top, s.Left, width, height);
    static_cast<KSettings&>(*this) = std::move(s);
    IdleLockSeconds = idle;
    host.SetWindowTopLeft(Top, Left);

    std::size_t next = 0;
    for (int n = 0; n < KIdTable::kSlots; ++n) {
        KIdData& slot = table[n];
        if (next < used.size() && used[next].first == n) {
            slot = std::move(used[next].second);
            ++next;
        } else {
            slot.InUse = 0;
        }
    }

    host.SetPaintColor(FormColor);
    host.MaskPassword();
    host.LoadGeneratorData(doc);
    return true;
}

void KEngine::SaveAll(const KIdTable& table, KDataHost& host) {
    if (KeepDataFile) {
        if (kplat::FileExists(DataPath) && SetAside(DataPath).empty())
            throw KFileError(u"壊れたデータファイルを別の名前で残せないため、保存できません。\r\n" + DataPath);
        KeepDataFile = 0;
    }
    KIni doc;
    doc.Write(KVar(u"0.3"), KVar(u"Keyra"));
    KSettings s = *this;
    s.Top = host.WindowTop();
    s.Left = host.WindowLeft();
    WriteSettings(doc, s);
    if (IdleLockSeconds != kIdleLockDefault) doc.Write(KVar(IdleLockSeconds), KVar(kIdleLockKey));
    doc.Write(KVar(0), KVar(kLinesKey));  // the count is known at the end
    for (int n = 0; n < KIdTable::kSlots; ++n) {
        const KIdData& d = table[n];
        if (d.InUse != 1) continue;
        const KVar key(EntryName(n));
        for (int k = 1; k <= 5; ++k) doc.WritePart(k, KVar(d.Text(k)), key);
    }
    host.SaveGeneratorData(doc);
    const int lines = doc.LineCount() + 1;
    doc.Write(KVar(lines), KVar(kLinesKey));
    doc.AppendLine(std::u16string(kEndKey) + u"=" + kstr::Decimal(lines));
    // Written to a temporary file and swapped in; on failure this throws and the old file stays.
    if (!Master.Active()) {
        doc.Save(DataPath, BackupPath());
        FileSealed = 0;
        return;
    }
    KIni sealed;
    {
        std::u16string plain = doc.PlainText();
        doc.Clear();
        try {
            kvault::Seal(Master, plain, sealed);
        } catch (...) {
            kplat::Wipe(plain);
            throw;
        }
        kplat::Wipe(plain);
    }
    sealed.Save(DataPath, BackupPath());
    // The first sealed save would leave the readable file behind as the backup.
    if (!FileSealed && kplat::FileExists(BackupPath()))
        kplat::ReplaceFileContents(BackupPath(), kplat::ReadWholeFile(DataPath));
    FileSealed = 1;
}
