// KDocument: everything the data file holds (the settings, the entry table, the word lists with
// the generator's position, and the master key), its load and its save. It never calls a window:
// a load says what happened and what is to be told, and the user interface asks the user.
#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/settings.h"
#include "generator/wordlists.h"
#include "storage/kiddata.h"
#include "storage/kplatform.h"
#include "storage/kreadahead.h"
#include "storage/kvault.h"

// Where a copy of the program keeps its data: "keyra.kr" and the initial "keyra.si".
struct KDataPaths {
    std::u16string Data;
    std::u16string Initial;
    std::u16string Backup() const { return Data + u".bak"; }
};

enum class KLoadStatus {
    Loaded,      // the document holds the file (or the defaults)
    NotKeyra,    // refused: the document is unchanged
    NeedsKey,    // the file is sealed: load again with the key of its password
    WrongKey,    // the key does not open it (or the file was changed)
    Unreadable,  // the password is right (it opens the backup), but the data file is damaged
};

// Which file a load reads.
enum class KLoadSource {
    Usual,   // the data file; its backup when it is missing; the initial file when both are
    Backup,  // the backup in place of a damaged data file
};

struct KLoadResult {
    KLoadStatus Status = KLoadStatus::Loaded;
    // For NeedsKey: what the key is derived with.
    std::vector<std::uint8_t> Salt;
    std::uint32_t Iterations = 0;
    // What the user is to be told, in this order (for NotKeyra too).
    std::vector<std::u16string> Messages;
    bool FromBackup = false;
    bool Damaged = false;
    // The data file is damaged or unreadable and its backup is whole: ask whether to load the
    // backup instead (KLoadSource::Backup; for a sealed file with `BackupKey`).
    bool BackupOffered = false;
    KMasterKey BackupKey;
};

// What changed in the document.
enum class KChange { Entries, Settings, WordLists, MasterKey, Loaded };

// A file as it was read or written: to tell whether another program has replaced it since.
// The fingerprint is what every save makes new: the checksum line, or a sealed file's nonce.
struct KFileIdentity {
    kplat::FileStamp Stamp;
    std::u16string Fingerprint;
};

// What a save writes, copied out of the document so that it can be written on another thread.
struct KDocumentImage {
    KSettings Settings;
    std::int32_t IdleLockSeconds = 600;
    KIdTable Entries;
    KWordListData WordLists;
    KGeneratorPosition Generator;
    KMasterKey Master;
    // The file's state before the save.
    bool FileSealed = false;
    bool KeepDataFile = false;
    bool KeepBackup = false;
    // The document's change count the image shows.
    std::uint64_t Changes = 0;
};

struct KSaveOutcome {
    bool Ok = false;
    // The failure: which file, and why.
    std::u16string ErrorPath, ErrorCause;
    bool BackupSkipped = false;  // saved, but the file replaced could not be kept as the backup
    // The file's state after the save.
    bool FileSealed = false;
    bool KeepDataFile = false;
    KFileIdentity Written;
};

// Writes an image to the data file; on any thread, and never throws.
KSaveOutcome SaveImage(const KDocumentImage& image, const KDataPaths& paths);

class KDocument {
public:
    static constexpr std::int32_t kIdleLockDefault = 600;
    static constexpr char16_t kRefusal[] = u"Keyra のデータファイルではありません";

    explicit KDocument(KCipher* cipher = nullptr);
    ~KDocument();
    KDocument(const KDocument&) = delete;
    KDocument& operator=(const KDocument&) = delete;

    KSettings& Settings() { return settings_; }
    const KSettings& Settings() const { return settings_; }
    KIdTable& Entries() { return entries_; }
    const KIdTable& Entries() const { return entries_; }
    KWordListData& WordLists() { return words_; }
    const KWordListData& WordLists() const { return words_; }
    KGeneratorPosition& GeneratorPosition() { return generator_; }
    KMasterKey& Master() { return master_; }
    const KMasterKey& Master() const { return master_; }
    KCipher* Cipher() const { return cipher_; }
    // Seconds without a key or click in the program's windows before the window locks again.
    // Not one of the settings the options show: kept in the file only when it is not the
    // default, and never longer than the default.
    std::int32_t IdleLockSeconds() const { return idleLockSeconds_; }

    // Reads the data file, its backup when the file is missing, or the initial file (every
    // setting at its default when there is none). A sealed file needs `key`, derived from the
    // password with the result's salt and count. Nothing changes unless the result is Loaded.
    // A save that ended half-way is taken up first. Throws KFileError when a file exists but
    // cannot be read.
    KLoadResult Load(const KDataPaths& paths, const KMasterKey* key = nullptr,
                     KLoadSource source = KLoadSource::Usual);
    // Starts reading the data file on a worker, while the windows are made; the next usual
    // Load takes what it read when the file is still the one read.
    void ReadAhead(const KDataPaths& paths);
    // Rewrites the whole file (sealed while a master password is set); the file replaced stays
    // as the backup, unless the start found the data file damaged: then a whole backup is never
    // replaced. Throws KFileError when it cannot be written; the old file then stays. False when
    // it was saved without a backup.
    bool Save(const KDataPaths& paths);
    // The same in two halves: the copy to write (cheap, on the user's thread), and taking over
    // what the write did.
    KDocumentImage Image() const;
    void Saved(const KSaveOutcome& outcome, std::uint64_t changes);

    // The data file is no longer what was read or written here: another program (a sync on
    // another computer) has replaced it.
    bool ChangedOnDisk(const KDataPaths& paths) const;
    // Keeps the data file on disk under a name of its own ("keyra.kr.conflict", ".conflict2"...)
    // before it is saved over; the name, empty when none could be made.
    std::u16string KeepConflict(const KDataPaths& paths);

    // Sets a new master password (empty: removes it); the file follows at the next save.
    void SetMasterPassword(std::u16string_view password);

    // Whoever changed the document says so; the listener hears every change.
    void Changed(KChange what);
    std::function<void(KChange)> OnChanged;
    // Changed since the last save (or load).
    bool Modified() const { return changes_ != savedChanges_; }
    std::uint64_t Changes() const { return changes_; }

private:
    KSettings settings_;
    std::int32_t idleLockSeconds_ = kIdleLockDefault;
    KIdTable entries_;
    KWordListData words_;
    KGeneratorPosition generator_;
    KMasterKey master_;
    KCipher* cipher_;
    // The file on disk is sealed under a master password.
    bool fileSealed_ = false;
    // The file on disk is damaged and no copy of it could be set aside yet: no save may
    // replace it until one has been.
    bool keepDataFile_ = false;
    // The start found the data file damaged: its whole backup is kept as it is.
    bool keepBackup_ = false;
    // The damaged data file's copy already made.
    std::u16string damagedCopy_;
    KFileIdentity onDisk_;
    std::uint64_t changes_ = 0, savedChanges_ = 0;
    std::unique_ptr<KReadAhead> ahead_;
};

// The one question when the data file is damaged and its backup whole: はい loads the backup.
std::u16string BackupQuestion(const KLoadResult& result, const KDataPaths& paths);
// What is told once when a save could not keep the replaced file as the backup, and when
// another program's copy of the data file was kept aside before a save.
std::u16string NoBackupMessage(const KDataPaths& paths);
std::u16string ConflictMessage(const KDataPaths& paths, const std::u16string& keptAs);

// Tries one password on a sealed file (`asked` the NeedsKey result): derives the key with the
// file's salt and count and loads with it. When it does not open the data file but opens its
// backup, the data file is Unreadable with the backup offered. A file sealed at a lower count
// than today's is given a key at today's count, written at the next save.
KLoadResult LoadWithPassword(KDocument& doc, const KDataPaths& paths, const KLoadResult& asked,
                             std::u16string_view password, KLoadSource source = KLoadSource::Usual);
