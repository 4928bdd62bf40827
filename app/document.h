// KDocument: everything the data file holds (the settings, the entry table, the word lists with
// the generator's position, and the master key), its load and its save. It never calls a window:
// a load says what happened and what is to be told, and the user interface asks the user.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/settings.h"
#include "generator/wordlists.h"
#include "storage/kiddata.h"
#include "storage/kvault.h"

// Where a copy of the program keeps its data: "keyra.kr" and the initial "keyra.si".
struct KDataPaths {
    std::u16string Data;
    std::u16string Initial;
    std::u16string Backup() const { return Data + u".bak"; }
};

enum class KLoadStatus {
    Loaded,    // the document holds the file (or the defaults)
    NotKeyra,  // refused: the document is unchanged
    NeedsKey,  // the file is sealed: load again with the key of its password
    WrongKey,  // the key does not open it (or the file was changed)
};

struct KLoadResult {
    KLoadStatus Status = KLoadStatus::Loaded;
    // For NeedsKey: what the key is derived with.
    std::vector<std::uint8_t> Salt;
    std::uint32_t Iterations = 0;
    // For Loaded: what the user is to be told, in this order.
    std::vector<std::u16string> Messages;
    bool FromBackup = false;
    bool Damaged = false;
};

class KDocument;

// Tries one password on a sealed file (`asked` the NeedsKey result): derives the key with the
// file's salt and count and loads with it. A file sealed at a lower count than today's is given
// a key at today's count, written at the next save.
KLoadResult LoadWithPassword(KDocument& doc, const KDataPaths& paths, const KLoadResult& asked,
                             std::u16string_view password);

// What changed in the document.
enum class KChange { Entries, Settings, WordLists, MasterKey, Loaded };

class KDocument {
public:
    static constexpr std::int32_t kIdleLockDefault = 600;
    static constexpr char16_t kRefusal[] = u"Keyra のデータファイルではありません";

    explicit KDocument(KCipher* cipher = nullptr) : cipher_(cipher) {}
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
    // Throws KFileError when a file exists but cannot be read.
    KLoadResult Load(const KDataPaths& paths, const KMasterKey* key = nullptr);
    // Rewrites the whole file (sealed while a master password is set); the file replaced stays
    // as the backup. Throws KFileError when it cannot be written; the old file then stays.
    void Save(const KDataPaths& paths);

    // Sets a new master password (empty: removes it); the file follows at the next save.
    void SetMasterPassword(std::u16string_view password);

    // Whoever changed the document says so; the listener hears every change.
    void Changed(KChange what);
    std::function<void(KChange)> OnChanged;

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
};
