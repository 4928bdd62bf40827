// TFKeyra: the program's main window: the title row, the group buttons, the list, the field
// buttons with their boxes, the memo, and the panels laid over them. The data is the document's
// and the life cycle the application's (app/application_win.h); the window shows the one and
// asks the other. Its jobs live in one file each:
//   mainwindow_win.cpp          creation, layout, the bank's callback, messages
//   mainwindow_entries_win.cpp  the controls as the entry operations see them, covering at a lock
//   mainwindow_menus_win.cpp    the main, list and field-button menus
//   mainwindow_move_win.cpp     moving by the bare surface, snapping, the click watch's reports
//   mainwindow_hosts_win.cpp    what the panels and the generator see of this window
#pragma once
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/entryops.h"
#include "framework/controls.h"
#include "framework/gdi.h"
#include "framework/helpviewer.h"
#include "framework/window.h"
#include "ui/layout.h"
#include "ui/mainhost.h"
#include "ui/pinlock.h"

class TButtonBank;
class TWindowSnapper;
class KGeneratorSeam;
class KGeneratorHost;
class TOptionsPanel;
class TPinPanel;
class TSearchBox;

class TFKeyra : public kf::Window, private KEntryView {
public:
    // Tags of the main menu.
    enum {
        kMenuGen = 1,
        kMenuChangeGroup = 2,
        kMenuMaster = 3,
        kMenuSearch = 4,
        kMenuImport = 5,
        kMenuExport = 6,
        kMenuHelp = 8,
        kMenuExit = 9
    };

    TFKeyra(KMainHost& host, KDocument& doc, KEngine& engine, const KLifeCycle& life);
    ~TFKeyra() override;

    // Makes the window, hidden, with its controls and panels; false when it could not be made.
    bool Create();
    // What the window works with once both exist.
    void Attach(KEntryOps& ops, KGeneratorSeam& generator);
    KEntryView& View() { return *this; }
    // What the generator sees of this window.
    KGeneratorHost& GeneratorHost();

    // The data is in: placed and laid out from the settings, the group shown (unless `locked`,
    // then covered at once), and shown.
    void Open(bool locked);
    // The window's position into the settings, before a save.
    void StorePosition();
    // The document was read anew (another computer's copy): laid out and shown from it.
    void Reloaded();
    bool OptionsOpen() const;
    // The open options panel closes with its values applied.
    void ApplyOptions();

    // Covers the window at a lock: the find box and the options panel shut, the PIN panel over
    // the entries or, for the master password, the window hidden.
    void Cover(KLockCover cover);
    // The lock is lifted: the window shows the entries again.
    void Uncover();

    void ArrangeControls();
    // The page `page` of the help file ("options.html"), or its contents without one.
    void ShowHelp(const wchar_t* page = nullptr);
    HWND MemoHandle() const { return memo_ ? memo_->Handle() : nullptr; }
    void FocusList();

private:
    class PinHost;
    class OptionsHost;
    class SearchHost;
    class GenHost;

    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

    // Composition.
    void CreateControls();
    void BindBank();
    void FormActivate();
    void FormPaint();
    void OnBankButton(int index);
    void SetPaintColor(std::int32_t color);
    kf::Edit* Field(int n);
    int CaptionRight() const;
    // Locked, the list, the fields and the memo take no input and the generator is hidden.
    void LockEntries(bool locked);
    bool Locked() const;
    // The find box works while the entries are shown and neither panel covers them.
    bool SearchAllowed() const;

    // Moving and the click watch (mainwindow_move_win.cpp).
    void CaptureClickTarget(POINT p, HWND window);
    void DragEnded(bool moved);
    void KeepTitleRowOnScreen();
    bool NormalRect(RECT& rc);
    void SetWindowTopLeft(int top, int left);

    // Menus (mainwindow_menus_win.cpp).
    int ShowMenu(const kf::PopupMenu& menu, POINT screen);
    void PMenuMainPopupAndRun(POINT screen);
    void PMenuListPopupAndRun(POINT screen);
    void PMenuButtonPopupAndRun(POINT screen);
    bool ListKey(UINT key);
    bool SearchKey(UINT key);
    void FocusNext(HWND from, bool backwards);

    // KEntryView (mainwindow_entries_win.cpp)
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

    KMainHost& host_;
    KDocument& doc_;
    KEngine& engine_;
    const KLifeCycle& life_;
    KEntryOps* ops_ = nullptr;
    KGeneratorSeam* generator_ = nullptr;

    // Owned, freed after the window is gone: the panels before the adapters they call.
    std::unique_ptr<PinHost> pinHost_;
    std::unique_ptr<OptionsHost> optionsHost_;
    std::unique_ptr<SearchHost> searchHost_;
    std::unique_ptr<GenHost> generatorHost_;
    std::unique_ptr<TButtonBank> bank_;
    std::unique_ptr<TWindowSnapper> snapper_;
    std::unique_ptr<TPinPanel> pin_;
    std::unique_ptr<TOptionsPanel> options_;  // after pin_: it reaches the PIN panel until freed
    std::unique_ptr<TSearchBox> search_;

    std::unique_ptr<kf::Label> caption_;
    std::unique_ptr<kf::ListBox> list_;
    std::unique_ptr<kf::Edit> edits_[4];
    std::unique_ptr<kf::Edit> memo_;
    kgdi::Font userFont_;
    kgdi::Font captionFont_;
    KMainLayout layout_;
    kf::HelpViewer help_;  // the help windows close with the program

    COLORREF paintColor_ = 0x984E00;
    int activated_ = 0;
    int started_ = 0;  // the entries have been shown
    int masterCovered_ = 0;  // hidden behind the master password's prompt
    kf::SurfaceDrag drag_;
    int top_ = 100, left_ = 600;
};
