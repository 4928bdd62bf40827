// VIDodureza: the password generator window. Random passwords and passwords composed from
// the user's word lists, whether a stored entry already uses one, and the hand-over of a
// password to the entry that the main window is editing.
#pragma once
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "framework/controls.h"
#include "framework/gdi.h"
#include "framework/window.h"
#include "generator/generatorhost.h"
#include "generator/generatorseam.h"
#include "generator/randompass.h"
#include "generator/wordlists.h"

class KDocument;
class TButtonBank;

class VIDodureza : public kf::Window, public KGeneratorSeam, private KWordListHost {
public:
    // Tags of the face's menu.
    enum { kMenuImport = 1, kMenuDispUsed = 2, kMenuHelp = 8, kMenuExit = 9 };
    static constexpr COLORREF kUsedColor = 0x000080;

    // The window itself is made at the first opening; `random` defaults to the system's secure
    // generator. The word lists stay the document's: the window shows and edits them.
    VIDodureza(KGeneratorHost& host, KDocument& doc, std::unique_ptr<KRandomSource> random = nullptr);
    ~VIDodureza() override;

    // KGeneratorSeam
    bool IsOpen() override { return OpenFlag != 0; }
    void Toggle() override;
    void Hide() override;
    void Conceal() override;
    void Reveal() override;
    bool Owns(HWND window) override;
    void LayoutControls() override;
    void ListsReloaded() override;
    void StorePosition() override;

    void ButtonPressed(int number);
    void GenerateRandom();
    void ComposePasswords();
    void ResetFields();
    void ShowUsedState(int box);
    void SetIntoEntry(const std::u16string& text);
    void ImportCombinationData();
    int DispUsedMode() const;
    // Null until the first opening.
    TButtonBank* Bank() { return bank_.get(); }
    KWordLists* Lists() { return lists_.get(); }

    int ResetDone = 0;
    int OpenFlag = 0;
    int SettingBox = 0;
    KMatch Match;

private:
    class Box;
    bool OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void EnsureWindow();
    void CreateControls();
    void StyleButtons(int height, int width);
    void FormActivate();
    void FormPaint();
    void HideByButton();
    void EditPassChange(int box);
    kf::Edit& PassBox(int box);
    void PMenuMainPopupAndRun(POINT screen);
    void PMenuButtonPopupAndRun(POINT screen);
    void DragEnded(bool moved);

    // KWordListHost
    void ShowMessage(const std::u16string& text) override;
    void ShowWarning(const std::u16string& text) override;
    bool AskYesNo(const std::u16string& text) override;
    const KIdTable* Entries() override;
    void ListsChanged() override;

    KGeneratorHost& host_;
    KDocument& doc_;
    std::unique_ptr<KRandomSource> random_;
    std::unique_ptr<TButtonBank> bank_;
    std::unique_ptr<kf::Label> caption_;
    std::unique_ptr<kf::Panel> panelRandom_, panelCombo_;
    std::unique_ptr<kf::Label> labelRandom_, labelDigit_, labelType_, labelPass1_, pass1Len_;
    std::unique_ptr<kf::Label> labelCombo_, labelGroup_, labelName_, labelSymbol_, labelNumber_;
    std::unique_ptr<kf::Label> labelPass2_, labelPass3_, pass2Len_, pass3Len_;
    std::unique_ptr<kf::ComboBox> digit_, type_, group_, name_, symbol_, number_;
    std::unique_ptr<kf::Edit> pass1_, pass2_, pass3_;
    std::unique_ptr<Box> groupBox_, nameBox_, symbolBox_, numberBox_;
    std::unique_ptr<KWordLists> lists_;
    kgdi::Font captionFont_, labelFont_, boxFont_;
    COLORREF faceColor_ = 0x984E00;
    kf::SurfaceDrag drag_;
    // The three passwords while the main window is locked; empty otherwise.
    std::u16string concealed_[3];
    bool isConcealed_ = false;
};
