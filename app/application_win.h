// KApplication: the running program. It owns every object (the document, the engine state, the
// life cycle, both windows, the watches) and frees them in one fixed order once every window is
// gone. Every close, log-off, lock and paste goes through the life cycle here:
//   application_win.cpp           start, load, close, log-off, save
//   application_lock_win.cpp      locking and unlocking
//   application_services_win.cpp  the clipboard, the paste and the shell for the entry operations
//   application_csv_win.cpp       the import and export of CSV files
#pragma once
#include <windows.h>

#include <memory>
#include <string>
#include <thread>

#include "app/document.h"
#include "app/entryops.h"
#include "app/kengine.h"
#include "app/lifecycle.h"
#include "input/paste_win.h"
#include "ui/mainhost.h"
#include "ui/pinlock.h"

class TFKeyra;
class VIDodureza;
class KMouseWatch;
class KLockWatch;

class KApplication : private KMainHost, private KEntryServices {
public:
    KApplication();
    ~KApplication() override;
    KApplication(const KApplication&) = delete;
    KApplication& operator=(const KApplication&) = delete;

    // Starts the program and runs it until it ends.
    void Run();

private:
    // Start, close and save (application_win.cpp).
    bool Start();
    bool LoadData();
    // Shows a message during the start; false when the program was closed meanwhile.
    bool Tell(const std::u16string& text);
    void CloseRequested();
    void EndSession(bool ending);
    // Why the file is written now.
    enum class SaveWhy { Change, Lock, Close, EndSession };
    // A save after a quiet moment once the document changed.
    void SaveSoon();
    // The windows' places, then the file: on a worker for a change or a lock, here for a close
    // or a log-off (false, told, on failure).
    bool Save(SaveWhy why);
    // Before a save: another program's copy of the file is kept or read. False when nothing is
    // to be written.
    bool LookAtDisk(SaveWhy why);
    void SaveDone();
    void WaitForSave();
    // The document was read anew: the windows show it.
    void ShowReloaded();
    void Teardown();

    // Locking (application_lock_win.cpp).
    void Lock(KLockReason reason);
    void AskMasterToUnlock();
    void Unlocked();
    void PinSpent() override;

    // KMainHost
    bool MainMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void FirstActivation() override;
    void PinUnlocked() override { Unlocked(); }
    void ChangeMasterPassword() override;
    // The CSV import and export (application_csv_win.cpp).
    void ImportEntries() override;
    void ExportEntries() override;

    // KEntryServices (application_services_win.cpp)
    bool SetClipboardText(const std::u16string& text) override;
    void PasteToTarget() override;
    void RefusePaste() override;
    void OpenDocument(const std::u16string& text) override;
    void ShowNotice(const std::u16string& text) override;
    bool OptionsPanelOpen() override;
    void CloseOptionsPanel() override;
    void CopyEntry(const KIdData& entry) override;
    bool ReadEntry(KIdData& entry) override;

    HWND MainHandle() const;

    static constexpr UINT_PTR kCloseAfterPasteTimer = 0x4B43;
    static constexpr UINT kCloseAfterPasteMs = 500;
    static constexpr UINT_PTR kSaveTimer = 0x4B53;
    static constexpr UINT kSaveQuietMs = 2000;

    // A save under way on the worker.
    struct SaveJob {
        KDocumentImage image;
        KDataPaths paths;
        KSaveOutcome outcome;
    };
    std::unique_ptr<SaveJob> job_;
    std::thread saver_;
    int saveAgain_ = 0;
    int saveFailTold_ = 0;
    int noBackupTold_ = 0;

    KEngine engine_;
    KDocument doc_;
    KLifeCycle life_;
    KWinPasteExecutor pasteExecutor_;
    // Freed by Teardown in this order, after the windows.
    std::unique_ptr<KMouseWatch> clickWatch_;
    std::unique_ptr<KLockWatch> lockWatch_;
    std::unique_ptr<VIDodureza> generator_;
    std::unique_ptr<KEntryOps> ops_;
    std::unique_ptr<TFKeyra> main_;
    int askingMaster_ = 0;
};
