// KEngine: the one engine state of the program: file locations, settings, the current
// group and entry, the click captures that aim a paste, the pending text and the undo copy.
#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "app/settings.h"
#include "storage/kiddata.h"
#include "storage/kvault.h"

class KIni;

// What the data file needs from the windows around it. The main window implements it;
// tests use a recording stand-in.
class KDataHost {
public:
    virtual ~KDataHost() = default;
    virtual int WindowTop() = 0;
    virtual int WindowLeft() = 0;
    virtual void SetWindowTopLeft(int top, int left) = 0;
    virtual void ScreenSize(int& width, int& height) = 0;  // read now, not cached
    virtual void SetPaintColor(std::int32_t color) = 0;
    virtual void MaskPassword() = 0;
    virtual void LoadGeneratorData(KIni& doc) = 0;
    virtual void SaveGeneratorData(KIni& doc) = 0;
    virtual void ShowMessage(const std::u16string& text) = 0;
    // A data file under a master password: asks for it until `tryOpen` takes one (true) or
    // the user gives up (false).
    virtual bool AskMasterPassword(const std::function<bool(const std::u16string&)>& tryOpen) { return false; }
};

// The settings are its base: LoadAll replaces them all at once, SaveAll writes them.
struct KEngine : KSettings {
    // File locations, formed from the executable's full path.
    std::u16string ExeName;
    std::u16string ExeDir;
    std::u16string DataPath;
    std::u16string InitialPath;
    std::u16string BaseName;
    std::u16string HelpPath;

    // Where the user is.
    std::int32_t Group = 1;
    std::int32_t GroupButton = 11;
    std::int32_t Current = 0;
    std::array<std::int32_t, 10> GroupItem{};  // groups 1..10 at [0..9]
    std::int32_t GroupOffset = 0;

    // Click captures (written on the user-interface thread only).
    std::int32_t HomeX = 0, HomeY = 0;
    std::int32_t TargetX = 0, TargetY = 0;
    std::uintptr_t TargetWindow = 0;
    std::uint32_t TargetProcess = 0, TargetThread = 0;  // owners of TargetWindow at the click
    std::int32_t ScreenWidth = 0, ScreenHeight = 0;
    std::int32_t MemoTarget = 0;

    std::u16string PendingText;

    // Seconds without a key or click in the program's windows before the window locks again.
    // Not one of the settings the options show: kept in the data file only when it is not the
    // default, and never longer than the default.
    static constexpr std::int32_t kIdleLockDefault = 600;
    std::int32_t IdleLockSeconds = kIdleLockDefault;

    std::int32_t UndoPending = 0;
    std::int32_t UndoGroup = 0;
    std::int32_t UndoItem = 0;
    std::int32_t UndoIndex = 0;
    KIdData UndoEntry;

    // Forms the file locations from the executable's full path ("C:\Tools\keyra.exe").
    void SetExecutablePath(std::u16string_view exePath);
    // The caption label shows the base name unless it is exactly "keyra".
    bool CaptionFromBaseName() const { return BaseName != u"keyra"; }

    int& ItemOfGroup(int group) { return GroupItem.at(static_cast<std::size_t>(group - 1)); }

    // 1 while the data file on disk is damaged and no copy of it could be set aside yet:
    // SaveAll must not replace it until one has been.
    std::int32_t KeepDataFile = 0;

    // The master password's key while one is set (in memory only); the cryptography it uses.
    KMasterKey Master;
    KCipher* Cipher = nullptr;
    // 1 when the file on disk is sealed under a master password.
    std::int32_t FileSealed = 0;
    // 1 when LoadAll returned false because the user gave up at the master password.
    std::int32_t StartCancelled = 0;

    // Data file (datafile.cpp). LoadAll returns false after showing the refusal message;
    // throws KFileError when the file exists but cannot be read. A damaged file loads as far
    // as it can be read, is copied aside and reported in one message.
    bool LoadAll(KIdTable& table, KDataHost& host);
    // Throws KFileError when the file cannot be written; the old file then stays as it was.
    // The file replaced stays as BackupPath(). With a master password the file is sealed.
    void SaveAll(const KIdTable& table, KDataHost& host);
    std::u16string BackupPath() const { return DataPath + u".bak"; }
};
