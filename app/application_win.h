// KApplication: the running program. It owns every object (the document, the engine state, the
// life cycle, both windows, the watches) and frees them in one fixed order once every window is
// gone. Every close, log-off, lock and paste goes through the life cycle here:
//   application_win.cpp           start, load, close, log-off, save
//   application_lock_win.cpp      locking and unlocking
//   application_services_win.cpp  the clipboard, the paste and the shell for the entry operations
#pragma once
#include <windows.h>

#include <memory>
#include <string>

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
    // Keeps what is typed and the windows' places, then writes the file; false (told) on failure.
    bool Save();
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
