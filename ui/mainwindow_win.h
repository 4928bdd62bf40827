// TFKeyra: the program's main window. It owns every object of the program and frees them
// in a fixed order when it closes.
#pragma once
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "app/entryops.h"
#include "app/kengine.h"
#include "framework/gdi.h"
#include "framework/window.h"
#include "input/paste_win.h"
#include "storage/kiddata.h"
#include "ui/layout.h"

class TButtonBank;
class TWindowSnapper;
class KMouseWatch;

// Where the options panel and the generator window plug in; until they exist these do nothing.
class KOptionsPanelSeam {
public:
    virtual ~KOptionsPanelSeam() = default;
    virtual bool IsOpen() { return false; }
    virtual void Open() {}
    virtual void CloseAndApply() {}
};
class KGeneratorSeam {
public:
    virtual ~KGeneratorSeam() = default;
    virtual bool IsOpen() { return false; }
    virtual void Toggle() {}
    virtual void Hide() {}
    virtual bool Owns(HWND) { return false; }
};

class TFKeyra : public kf::Window, private KDataHost, private KEntryView, private KEntryServices {
public:
    // Tags of the main menu.
    enum { kMenuGen = 1, kMenuChangeGroup = 2, kMenuHelp = 8, kMenuExit = 9 };
    // Child control ids.
    enum { kIdList = 100, kIdEditTitle = 101, kIdEditId = 102, kIdEditPass = 103, kIdEditUrl = 104, kIdMemo = 105,
           kIdCaption = 106 };

    TFKeyra();
    ~TFKeyra() override;

    // Creates the window and loads the data file; false when the program is to end.
    bool Start();

    KEngine* Engine() { return engine_.get(); }
    const KMainLayout& Layout() const { return layout_; }

private:
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

    void CreateControls();
    bool FormCreate();
    void FormActivate();
    bool FormClose();
    void FormPaint();
    void EndSession();
    void ReleaseAll();
    void ArrangeControls();
    void OnBankButton(int index);
    void CaptureClickTarget(POINT p, HWND window);
    void FormMouseDown();
    void FormMouseMove();
    void FormMouseUp();
    void DragEnded();
    void KeepTopOnScreen();
    void KeepTitleRowOnScreen();
    bool NormalRect(RECT& rc);
    void ShowHelp();
    void CloseFromMenu();
    void PMenuMainPopupAndRun(POINT screen);
    void PMenuListPopupAndRun(POINT screen);
    void PMenuButtonPopupAndRun(POINT screen);
    bool ListKey(WPARAM key);
    void FocusNext(HWND from, bool backwards);
    HWND FieldHandle(int n) const;

    static LRESULT CALLBACK ChildProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR self);

    // KDataHost
    int WindowTop() override;
    int WindowLeft() override;
    void SetWindowTopLeft(int top, int left) override;
    void ScreenSize(int& width, int& height) override;
    void SetPaintColor(std::int32_t color) override;
    void MaskPassword() override;
    void LoadGeneratorData(KIni& doc) override;
    void SaveGeneratorData(KIni& doc) override;
    void ShowMessage(const std::u16string& text) override;

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
    void SetClipboardText(const std::u16string& text) override;
    void PasteToTarget() override;
    void OpenDocument(const std::u16string& text) override;
    bool OptionsPanelOpen() override;
    void CloseOptionsPanel() override;
    void CopyEntry(const KIdData& entry) override;
    bool ReadEntry(KIdData& entry) override;

    // Owned objects, freed in FormClose in this order after the save.
    std::unique_ptr<KGeneratorSeam> generator_;
    std::unique_ptr<KMouseWatch> clickWatch_;
    std::unique_ptr<KEntryOps> ops_;
    std::unique_ptr<KEngine> engine_;
    std::unique_ptr<KIdTable> table_;
    std::unique_ptr<TButtonBank> bank_;
    std::unique_ptr<TWindowSnapper> snapper_;
    std::unique_ptr<KOptionsPanelSeam> options_;

    HWND caption_ = nullptr;
    HWND list_ = nullptr;
    HWND edits_[4] = {};
    HWND memo_ = nullptr;
    kgdi::Font userFont_;
    kgdi::Font captionFont_;
    kgdi::Brush paintBrush_;
    KMainLayout layout_;
    KWinPasteExecutor pasteExecutor_;

    COLORREF paintColor_ = 0x984E00;
    int activated_ = 0;
    int drag_ = 0;
    POINT press_{};
    POINT dragOrigin_{};
    int closing_ = 0;
    int top_ = 100, left_ = 600;
    std::vector<std::u16string> generatorLines_;
};
