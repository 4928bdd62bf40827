// TFKeyra: the program's main window. It owns every object of the program and frees them
// in a fixed order when it closes. Its jobs live in one file each:
//   mainwindow_win.cpp          composition, start and close, layout, the bank's callback
//   mainwindow_entries_win.cpp  the controls as the entry operations and the data file see them
//   mainwindow_menus_win.cpp    the main, list and field-button menus
//   mainwindow_move_win.cpp     moving by the bare surface, snapping, the click watch's reports
//   mainwindow_generator_win.cpp  what the generator window sees of this one
//   mainwindow_lock_win.cpp     locking again: restored, session change, idle
#pragma once
#include <windows.h>

#include <functional>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/entryops.h"
#include "app/kengine.h"
#include "framework/controls.h"
#include "framework/gdi.h"
#include "framework/helpviewer.h"
#include "framework/window.h"
#include "input/paste_win.h"
#include "storage/kiddata.h"
#include "ui/layout.h"
#include "ui/pinlock.h"

class TButtonBank;
class TKButton;
class TWindowSnapper;
class KMouseWatch;
class KGeneratorSeam;
class KGeneratorHost;
class KOptionsPanelSeam;
class TPinPanel;
class TSearchBox;
namespace kf {
class SystemLibrary;
}

class TFKeyra : public kf::Window, private KDataHost, private KEntryView, private KEntryServices {
public:
    // Tags of the main menu.
    enum { kMenuGen = 1, kMenuChangeGroup = 2, kMenuMaster = 3, kMenuSearch = 4, kMenuHelp = 8, kMenuExit = 9 };

    TFKeyra();
    ~TFKeyra() override;

    // Creates the window and loads the data file; false when the program is to end.
    bool Start();

    KEngine* Engine() { return engine_.get(); }
    const KIdTable* Table() const { return table_.get(); }
    KEntryOps* Ops() { return ops_.get(); }
    TButtonBank* Bank() { return bank_.get(); }
    const KMainLayout& Layout() const { return layout_; }
    // The edit box of field n (1 title, 2 id, 3 pass, 4 url) and the memo.
    kf::Edit* Field(int n);
    kf::Edit* Memo() { return memo_.get(); }
    // The window's face colour (the setting FormColor once loaded).
    COLORREF PaintColor() const { return paintColor_; }
    void SetPaintColor(std::int32_t color) override;
    void ArrangeControls();
    // The page `page` of the help file ("options.html"), or its contents without one.
    void ShowHelp(const wchar_t* page = nullptr);
    // While the PIN is asked: the list, the fields and the memo take no input and the
    // generator is hidden (mainwindow_entries_win.cpp).
    bool PinAsked() const;
    void LockEntries(bool locked);
    void FocusList();
    // Covers the window again, as at start, when a lock is set (mainwindow_lock_win.cpp).
    void LockWindow(KLockReason reason);
    // The find box works while neither the options nor the PIN panel is shown.
    bool SearchAllowed() const;
    // Right edge of the caption label in the title row.
    int CaptionRight() const;

private:
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

    // Composition.
    void CreateControls();
    bool FormCreate();
    void BindBank();
    void FormActivate();
    void StartClickWatch();
    bool FormClose();
    void FormPaint();
    void EndSession();
    void ReleaseAll();
    void OnBankButton(int index);
    void CloseFromMenu();

    // The generator window and what it sees of this one (mainwindow_generator_win.cpp).
    std::unique_ptr<KGeneratorSeam> CreateGenerator();

    // Moving and the click watch (mainwindow_move_win.cpp).
    void CaptureClickTarget(POINT p, HWND window);
    void FormMouseDown();
    void FormMouseMove();
    void FormMouseUp();
    void DragEnded(bool moved);
    void KeepTitleRowOnScreen();
    bool NormalRect(RECT& rc);

    // Locking again (mainwindow_lock_win.cpp).
    void StartLockWatch();
    void StopLockWatch();
    void CheckIdle();
    void SizeChanged(WPARAM kind);
    void RunPendingLock();
    void AskMasterToUnlock();
    bool LockMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    static LRESULT CALLBACK InputHook(int code, WPARAM wParam, LPARAM lParam);

    // Menus (mainwindow_menus_win.cpp).
    void PMenuMainPopupAndRun(POINT screen);
    void PMenuListPopupAndRun(POINT screen);
    void PMenuButtonPopupAndRun(POINT screen);
    bool ListKey(UINT key);
    bool SearchKey(UINT key);
    void FocusNext(HWND from, bool backwards);

    // KDataHost
    int WindowTop() override;
    int WindowLeft() override;
    void SetWindowTopLeft(int top, int left) override;
    void ScreenSize(int& width, int& height) override;
    void MaskPassword() override;
    void LoadGeneratorData(KIni& doc) override;
    void SaveGeneratorData(KIni& doc) override;
    void ShowMessage(const std::u16string& text) override;
    bool AskMasterPassword(const std::function<bool(const std::u16string&)>& tryOpen) override;

    // KEntryView
    void ListSetRows(const std::vector<std::u16string>& rows) override;
    void ListSetRow(int row, const std::u16string& text) override;
    int ListSelected() override;
    void ListSelect(int row) override;
    std::u16string FieldText(int n) override;
    void SetFieldText(int n, const std::u16string& text) override;
    void SetPasswordMask(bool masked) override;
    void Repaint() override;
    void SetButtonColors(int index, std::int32_t face, std::int32_t text) override;
    void SetButtonCaption(int index, const std::u16string& caption) override;
    int BankLastIndex() override;
    void SetBankLastIndex(int index) override;

    // KEntryServices
    bool SetClipboardText(const std::u16string& text) override;
    void PasteToTarget() override;
    void RefusePaste() override;
    void OpenDocument(const std::u16string& text) override;
    bool OptionsPanelOpen() override;
    void CloseOptionsPanel() override;
    void CopyEntry(const KIdData& entry) override;
    bool ReadEntry(KIdData& entry) override;

    std::unique_ptr<KGeneratorHost> generatorHost_;  // outlives the generator
    // Owned objects, freed in FormClose in this order after the save.
    std::unique_ptr<KGeneratorSeam> generator_;
    std::unique_ptr<KMouseWatch> clickWatch_;
    std::unique_ptr<KEntryOps> ops_;
    std::unique_ptr<KEngine> engine_;
    std::unique_ptr<KIdTable> table_;
    std::unique_ptr<TButtonBank> bank_;
    std::unique_ptr<TWindowSnapper> snapper_;
    std::unique_ptr<KOptionsPanelSeam> options_;
    std::unique_ptr<TPinPanel> pin_;  // after options_: the options panel reaches it until freed
    std::unique_ptr<TSearchBox> search_;

    std::unique_ptr<kf::Label> caption_;
    std::unique_ptr<kf::ListBox> list_;
    std::unique_ptr<kf::Edit> edits_[4];
    std::unique_ptr<kf::Edit> memo_;
    kgdi::Font userFont_;
    kgdi::Font captionFont_;
    KMainLayout layout_;
    KWinPasteExecutor pasteExecutor_;
    kf::HelpViewer help_;  // the help windows close with the program

    COLORREF paintColor_ = 0x984E00;
    int activated_ = 0;
    kf::SurfaceDrag drag_;
    int closing_ = 0;
    // Locking again.
    int minimized_ = 0;
    int lockPending_ = 0;  // a lock waits for the paste under way to end
    int masterLocked_ = 0;  // hidden behind the master password's prompt
    KLockReason pendingReason_ = KLockReason::Idle;
    std::uint64_t lastInput_ = 0;  // GetTickCount64 of the last key or click
    std::unique_ptr<kf::SystemLibrary> wtsapi_;
    int sessionNotified_ = 0;
    int top_ = 100, left_ = 600;
};
