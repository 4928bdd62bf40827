// The document's data file: the marker line, the twenty settings, one line per used entry, the
// generator's lines and a checksum, scrambled, or sealed under the master password; and the
// rules that keep a damaged file, its backup and another computer's copy from being lost.
#include <string>
#include <utility>
#include <vector>

#include "app/document.h"
#include "core/kcrc.h"
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
constexpr char16_t kCheckKey[] = u"$Check";

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

// The CRC-32 of the plain text (every line, low byte first, followed by CR LF) without the
// "$Check" line that carries it. A changed digit anywhere changes a text, and this with it.
class PlainCheck {
public:
    void Add(const std::u16string& line) {
        bytes_.resize(2 * line.size() + 4);
        std::size_t o = 0;
        for (char16_t c : line) {
            bytes_[o++] = static_cast<std::uint8_t>(c & 0xFF);
            bytes_[o++] = static_cast<std::uint8_t>(c >> 8);
        }
        for (std::uint8_t b : {0x0D, 0x00, 0x0A, 0x00}) bytes_[o++] = b;
        crc_ = kcrc::Crc32(bytes_.data(), o, crc_);
    }
    void AddAll(const KIni& doc) {
        for (int i = 0; i < doc.LineCount(); ++i)
            if (doc.Line(i).compare(0, 7, u"$Check=") != 0) Add(doc.Line(i));
    }
    std::u16string Hex() const {
        static constexpr char16_t digits[] = u"0123456789abcdef";
        std::u16string hex(8, u'0');
        std::uint32_t v = crc_;
        for (int k = 7; k >= 0; --k, v >>= 4) hex[static_cast<std::size_t>(k)] = digits[v & 15];
        return hex;
    }
    ~PlainCheck() { kplat::Wipe(bytes_); }

private:
    std::uint32_t crc_ = 0;
    std::vector<std::uint8_t> bytes_;
};

// Files written before the checksum have none and are taken as they are.
bool ChecksumFits(KIni& doc) {
    const std::u16string said(doc.Read(KVar(kCheckKey)).View());
    if (said.empty()) return true;
    PlainCheck check;
    check.AddAll(doc);
    return said == check.Hex();
}

// A copy of the data file under a name of its own ("keyra.kr.damaged", ".damaged2" ...),
// never over an earlier one. The empty text when none could be made.
std::u16string SetAside(const std::u16string& path, const char16_t* kind) {
    for (int i = 1; i <= 99; ++i) {
        const std::u16string name = path + kind + (i > 1 ? kstr::Decimal(i) : std::u16string());
        if (kplat::FileExists(name)) continue;
        return kplat::CopyToNewFile(path, name) ? name : std::u16string();
    }
    return {};
}

// What a save made new in the file: its checksum, or for a sealed file its nonce (fresh at
// every save). Empty for a file of an older copy.
std::u16string Fingerprint(KIni& doc) {
    return std::u16string(doc.Read(KVar(kvault::IsContainer(doc) ? u"$Nonce" : kCheckKey)).View());
}

// A file the program itself wrote, whole: marked, with all its lines and the right checksum.
// A sealed one is whole when its container can be read (and opened, given a key of its salt).
bool WholeFile(const std::u16string& path, const KMasterKey* key) {
    try {
        KIni doc;
        bool whole = false;
        if (!doc.Load(path, &whole)) return false;
        if (kvault::IsContainer(doc)) {
            kvault::Header header;
            if (!kvault::ReadHeader(doc, header)) return false;
            if (!key || key->Salt() != header.salt || key->Iterations() != header.iterations) return true;
            std::u16string plain;
            if (!kvault::OpenWith(header, *key, plain)) return false;
            doc.LoadPlainText(plain);
            kplat::Wipe(plain);
            whole = true;
        }
        return whole && doc.ReadDef(KVar(0), KVar(u"Keyra")).AsReal() != 0 && LinesComplete(doc) && ChecksumFits(doc);
    } catch (const KFileError&) {
        return false;
    }
}

// A save cut short leaves its flushed temporary file beside the data file. The newest whole one
// that is newer than the data file takes its place; every other one goes. Only one copy of the
// program runs, so none of them belongs to a save under way. The message, empty when none.
std::u16string TakeUpTemporaryFiles(const KDataPaths& paths) {
    const std::vector<std::u16string> temps = kplat::FilesStartingWith(paths.Data + u".~");
    const kplat::FileStamp data = kplat::StampOf(paths.Data);
    const kplat::FileStamp bak = kplat::StampOf(paths.Backup());
    const std::int64_t newest = data.exists ? data.modified : bak.exists ? bak.modified : INT64_MIN;
    std::u16string best;
    std::int64_t bestTime = newest;
    for (const auto& t : temps) {
        const kplat::FileStamp s = kplat::StampOf(t);
        if (s.exists && s.modified > bestTime && WholeFile(t, nullptr)) {
            best = t;
            bestTime = s.modified;
        }
    }
    std::u16string said;
    if (!best.empty()) {
        try {
            kplat::PromoteFile(best, paths.Data, paths.Backup());
            said = u"前回の保存が途中で終わっていたため、一時ファイルに残っていた新しい内容を読み込みました。";
        } catch (const KFileError&) {
            best.clear();
        }
    }
    for (const auto& t : temps)
        if (t != best || said.empty()) kplat::RemoveFile(t);
    return said;
}

}  // namespace

KDocument::KDocument(KCipher* cipher) : cipher_(cipher) {}

KDocument::~KDocument() = default;

void KDocument::ReadAhead(const KDataPaths& paths) {
    ahead_.reset();
    ahead_ = std::make_unique<KReadAhead>(paths.Data);
}

KLoadResult KDocument::Load(const KDataPaths& paths, const KMasterKey* key, KLoadSource source) {
    KLoadResult result;
    // Before anything on disk is touched: the worker may still hold the file open.
    const std::unique_ptr<KReadAhead> ahead = std::move(ahead_);
    if (ahead) ahead->Wait();
    if (source == KLoadSource::Usual) {
        const std::u16string took = TakeUpTemporaryFiles(paths);
        if (!took.empty()) result.Messages.push_back(took);
    }
    const bool dataExists = kplat::FileExists(paths.Data);
    std::u16string path = paths.Initial;
    bool fromBackup = false;
    if (source == KLoadSource::Backup || (!dataExists && kplat::FileExists(paths.Backup()))) {
        // Without the data file but with its backup (a save ended half-way), the backup is the
        // data: the next saves would otherwise replace it with defaults.
        path = paths.Backup();
        fromBackup = true;
    } else if (dataExists) {
        path = paths.Data;
    }
    const bool readingData = path == paths.Data;
    // What the user is told when the data file cannot be used and its backup could be.
    const auto offerBackup = [&](const KMasterKey* with) {
        result.BackupOffered = readingData && WholeFile(paths.Backup(), with);
    };

    KMasterKey opened;
    bool whole = true;
    std::unique_ptr<KIni> read;
    if (ahead && source == KLoadSource::Usual) read = ahead->Take(path, whole);
    if (!read) {
        read = std::make_unique<KIni>();
        // A read error throws out of Load before anything here has been changed; a missing
        // initial file leaves the document empty: every setting takes its default.
        read->Load(path, &whole);
    }
    KIni& doc = *read;
    const bool sealed = kvault::IsContainer(doc);
    const std::u16string readPrint = Fingerprint(doc);
    if (sealed) {
        kvault::Header header;
        if (!kvault::ReadHeader(doc, header) || !cipher_) {
            result.Status = KLoadStatus::NotKeyra;
            result.Messages.push_back(u"データファイル " + FileNameOf(path) +
                                      u" を読み込めませんでした。ファイルが壊れているか、新しいバージョンの Keyra で保存されています。\r\n"
                                      u"ファイルは変更していません。新しいバージョンの Keyra で開くか、バックアップ " +
                                      FileNameOf(paths.Backup()) + u" から戻してください。");
            offerBackup(nullptr);
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
    if (doc.ReadDef(KVar(0), KVar(u"Keyra")).AsReal() == 0 && (dataExists || fromBackup)) {
        result.Status = KLoadStatus::NotKeyra;
        result.Messages.push_back(kRefusal);
        offerBackup(nullptr);
        return result;
    }

    bool keepDataFile = false;
    const auto keepDamagedData = [&]() {
        // Kept as it is before any save replaces it; once a session is enough.
        if (damagedCopy_.empty() || !kplat::FileExists(damagedCopy_)) damagedCopy_ = SetAside(paths.Data, u".damaged");
        keepDataFile = damagedCopy_.empty();
        return damagedCopy_;
    };
    const bool intact = (sealed || whole) && LinesComplete(doc) && ChecksumFits(doc);
    if (fromBackup) {
        result.FromBackup = true;
        if (source == KLoadSource::Backup && dataExists) {
            const std::u16string aside = keepDamagedData();
            result.Messages.push_back(u"データファイル " + FileNameOf(paths.Data) + u" が壊れていたため、バックアップ " +
                                      FileNameOf(path) + u" を読み込みました。" +
                                      (aside.empty() ? std::u16string()
                                                     : u"\r\n壊れたファイルは " + FileNameOf(aside) + u" として残してあります。"));
        } else {
            result.Messages.push_back(u"データファイル " + FileNameOf(paths.Data) + u" が見つからないため、バックアップ " +
                                      FileNameOf(path) + u" を読み込みました。次の保存で " + FileNameOf(paths.Data) +
                                      u" を作り直します。");
        }
        if (!intact) {
            result.Damaged = true;
            result.Messages.push_back(u"バックアップも壊れているため、読み取れた分だけを読み込みました。足りないエントリがないか確かめてください。");
        }
    } else if (readingData && !intact) {
        // What could be read is used; the file's bytes are kept as they are.
        result.Damaged = true;
        offerBackup(sealed ? key : nullptr);
        const std::u16string aside = keepDamagedData();
        const std::u16string name = FileNameOf(paths.Data);
        result.Messages.push_back(
            u"データファイル " + name + u" が壊れているため、読み取れた分だけを読み込みました。\r\n" +
            (aside.empty() ? u"元のファイルを別の名前でコピーできないため、コピーできるまで " + name +
                                 u" を上書きしません。フォルダーに書き込めるか確かめてください。"
                           : u"元のファイルは " + FileNameOf(aside) +
                                 u" としてそのまま残してあります。足りないエントリがないか確かめてください。"));
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
            d.Cap();
            used.emplace_back(n, std::move(d));
        }
    }
    KWordListData words;
    int month = 1, day = 1;
    kplat::LocalDate(month, day);
    if (!words.LoadLines(doc, MonthDay(month, day))) result.Messages.push_back(KWordListData::kNoSlotMessage);

    settings_ = std::move(s);
    idleLockSeconds_ = idle;
    std::size_t next = 0;
    for (int n = 0; n < KIdTable::kSlots; ++n) {
        KIdData& slot = entries_[n];
        if (next < used.size() && used[next].first == n) {
            slot.ClearTexts();
            slot = std::move(used[next].second);
            ++next;
        } else {
            slot.InUse = 0;
            slot.ClearTexts();
        }
    }
    generator_ = ReadGeneratorPosition(doc);
    words_ = std::move(words);
    master_.MoveFrom(opened);
    fileSealed_ = sealed && readingData;
    keepDataFile_ = keepDataFile;
    // After a start from a damaged file no save replaces its backup (without one, the damaged
    // file may become it: its bytes are kept as the damaged copy too).
    keepBackup_ = source == KLoadSource::Backup || (readingData && !intact && kplat::FileExists(paths.Backup()));
    // What is on disk now, to notice another program replacing it.
    onDisk_.Stamp = kplat::StampOf(paths.Data);
    onDisk_.Fingerprint = readingData ? readPrint : std::u16string();
    Changed(KChange::Loaded);
    savedChanges_ = changes_;
    return result;
}

KDocumentImage KDocument::Image() const {
    KDocumentImage image;
    image.Settings = settings_;
    image.IdleLockSeconds = idleLockSeconds_;
    image.Entries = entries_;
    image.WordLists = words_;
    image.Generator = generator_;
    image.Master = master_;
    image.FileSealed = fileSealed_;
    image.KeepDataFile = keepDataFile_;
    image.KeepBackup = keepBackup_;
    image.Changes = changes_;
    return image;
}

KSaveOutcome SaveImage(const KDocumentImage& image, const KDataPaths& paths) {
    KSaveOutcome out;
    out.FileSealed = image.FileSealed;
    out.KeepDataFile = image.KeepDataFile;
    try {
        if (out.KeepDataFile) {
            if (kplat::FileExists(paths.Data) && SetAside(paths.Data, u".damaged").empty())
                throw KFileError(paths.Data, u"壊れたデータファイルを " + FileNameOf(paths.Data) +
                                                 u".damaged としてコピーできません。フォルダーに書き込めるか確かめてください。");
            out.KeepDataFile = false;
        }
        KIni doc;
        doc.Write(KVar(u"0.3"), KVar(u"Keyra"));
        WriteSettings(doc, image.Settings);
        if (image.IdleLockSeconds != KDocument::kIdleLockDefault)
            doc.Write(KVar(image.IdleLockSeconds), KVar(kIdleLockKey));
        doc.Write(KVar(0), KVar(kLinesKey));  // the count is known at the end
        for (int n = 0; n < KIdTable::kSlots; ++n) {
            const KIdData& d = image.Entries[n];
            if (d.InUse != 1) continue;
            const KVar key(EntryName(n));
            for (int k = 1; k <= 5; ++k) doc.WritePart(k, KVar(d.Text(k)), key);
        }
        WriteGeneratorPosition(doc, image.Generator);
        image.WordLists.SaveLines(doc);
        // The checksum and the end close the file; the count takes both in.
        const int lines = doc.LineCount() + 2;
        doc.Write(KVar(lines), KVar(kLinesKey));
        const std::u16string end = std::u16string(kEndKey) + u"=" + kstr::Decimal(lines);
        {
            PlainCheck check;
            check.AddAll(doc);
            check.Add(end);
            doc.AppendLine(std::u16string(kCheckKey) + u"=" + check.Hex());
        }
        doc.AppendLine(end);
        // Written to a temporary file and swapped in; on failure this throws and the old file stays.
        const std::u16string backup = image.KeepBackup ? std::u16string() : paths.Backup();
        bool kept = true;
        if (!image.Master.Active()) {
            out.Written.Fingerprint = Fingerprint(doc);
            kept = doc.Save(paths.Data, backup);
            out.FileSealed = false;
        } else {
            KIni sealed;
            {
                std::u16string plain = doc.PlainText();
                doc.Clear();
                try {
                    kvault::Seal(image.Master, plain, sealed);
                } catch (...) {
                    kplat::Wipe(plain);
                    throw;
                }
                kplat::Wipe(plain);
            }
            out.Written.Fingerprint = Fingerprint(sealed);
            kept = sealed.Save(paths.Data, backup);
            // The first sealed save would leave the readable file behind as the backup.
            if (!image.FileSealed && kplat::FileExists(paths.Backup()))
                kept = kplat::ReplaceFileContents(paths.Backup(), kplat::ReadWholeFile(paths.Data)) && kept;
            out.FileSealed = true;
        }
        out.BackupSkipped = !kept && !backup.empty();
        out.Written.Stamp = kplat::StampOf(paths.Data);
        out.Ok = true;
    } catch (const KFileError& e) {
        out.ErrorPath = e.Path();
        out.ErrorCause = e.Cause();
    } catch (const KError& e) {
        // The cryptography's own failure.
        out.ErrorPath = paths.Data;
        out.ErrorCause = e.Message();
    } catch (const std::bad_alloc&) {
        out.ErrorPath = paths.Data;
        out.ErrorCause = u"メモリが不足しています。ほかのプログラムを閉じてください。";
    } catch (const std::exception&) {
        out.ErrorPath = paths.Data;
        out.ErrorCause = u"予期しないエラーが起きました。";
    }
    return out;
}

bool KDocument::Save(const KDataPaths& paths) {
    const KDocumentImage image = Image();
    const KSaveOutcome outcome = SaveImage(image, paths);
    Saved(outcome, image.Changes);
    if (!outcome.Ok) throw KFileError(outcome.ErrorPath, outcome.ErrorCause);
    return !outcome.BackupSkipped;
}

void KDocument::Saved(const KSaveOutcome& outcome, std::uint64_t changes) {
    keepDataFile_ = outcome.KeepDataFile;
    if (!outcome.Ok) return;
    fileSealed_ = outcome.FileSealed;
    onDisk_ = outcome.Written;
    savedChanges_ = changes;
}

bool KDocument::ChangedOnDisk(const KDataPaths& paths) const {
    const kplat::FileStamp now = kplat::StampOf(paths.Data);
    // Gone, there is nothing to lose; untouched, nothing changed. A new time alone (the same
    // save copied back) is no change either: every save leaves a fingerprint of its own.
    if (!now.exists || now == onDisk_.Stamp) return false;
    if (onDisk_.Fingerprint.empty()) return true;
    try {
        KIni doc;
        doc.Load(paths.Data);
        return Fingerprint(doc) != onDisk_.Fingerprint;
    } catch (const KFileError&) {
        return true;
    }
}

std::u16string KDocument::KeepConflict(const KDataPaths& paths) { return SetAside(paths.Data, u".conflict"); }

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
    if (what != KChange::Loaded) ++changes_;
    if (OnChanged) OnChanged(what);
}

KLoadResult LoadWithPassword(KDocument& doc, const KDataPaths& paths, const KLoadResult& asked,
                             std::u16string_view password, KLoadSource source) {
    if (!doc.Cipher()) return asked;
    KMasterKey key;
    key.Derive(*doc.Cipher(), password, asked.Salt, asked.Iterations);
    KLoadResult result = doc.Load(paths, &key, source);
    if (result.Status == KLoadStatus::WrongKey && source == KLoadSource::Usual) {
        // The password that opens the backup is the right one: the data file is damaged.
        KIni bak;
        kvault::Header header;
        try {
            if (bak.Load(paths.Backup()) && kvault::IsContainer(bak) && kvault::ReadHeader(bak, header)) {
                KMasterKey backupKey;
                backupKey.Derive(*doc.Cipher(), password, header.salt, header.iterations);
                std::u16string plain;
                if (kvault::OpenWith(header, backupKey, plain)) {
                    kplat::Wipe(plain);
                    result.Status = KLoadStatus::Unreadable;
                    result.BackupOffered = true;
                    result.BackupKey = backupKey;
                }
            }
        } catch (const KFileError&) {
        }
        return result;
    }
    if (result.Status == KLoadStatus::Loaded && doc.Master().Iterations() < KMasterKey::kIterations)
        doc.SetMasterPassword(password);
    return result;
}

std::u16string BackupQuestion(const KLoadResult& result, const KDataPaths& paths) {
    const std::u16string data = FileNameOf(paths.Data), bak = FileNameOf(paths.Backup());
    const bool partly = result.Status == KLoadStatus::Loaded;
    return u"データファイル " + data + u" が壊れています。\r\nバックアップ " + bak +
           u" は壊れていないため、代わりに読み込めます。バックアップを読み込みますか？\r\n\r\n"
           u"「はい」：バックアップを読み込みます。壊れたファイルは別の名前で残します。\r\n" +
           (partly ? std::u16string(u"「いいえ」：壊れたファイルから読み取れた分だけを読み込みます。")
                   : std::u16string(u"「いいえ」：Keyra を終了します。ファイルは変更しません。"));
}

std::u16string NoBackupMessage(const KDataPaths& paths) {
    return u"データファイルは保存しましたが、バックアップ " + FileNameOf(paths.Backup()) +
           u" を作成できませんでした。\r\nバックアップが読み取り専用になっていないか、ほかのプログラムが開いていないか確認してください。";
}

std::u16string ConflictMessage(const KDataPaths& paths, const std::u16string& keptAs) {
    return u"データファイル " + FileNameOf(paths.Data) +
           u" は、Keyra が読み込んだ後に別のプログラム（ほかのコンピューターからの同期など）によって置き換えられていました。\r\n" +
           (keptAs.empty() ? std::u16string(u"そのファイルを別の名前で残せなかったため、そのまま Keyra のデータを保存しました。")
                           : u"そのファイルは " + FileNameOf(keptAs) + u" として残し、Keyra のデータを保存しました。");
}
