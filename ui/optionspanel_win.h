// PanelOption: the settings of the program, laid over the list, field and memo area while
// open. Filled from KEngine on opening; its values go back (ui/options.h) when it closes.
#pragma once
#include <windows.h>

#include <cstdint>
#include <memory>

#include "app/settings.h"
#include "framework/animimage.h"
#include "framework/controls.h"
#include "framework/gdi.h"
#include "ui/options.h"
#include "ui/optionsseam.h"

class KDocument;
class TKButton;
class TPinPanel;
struct KRect;

// What the options panel needs of the window it lies on.
class KOptionsHost {
public:
    virtual ~KOptionsHost() = default;
    virtual HWND Window() = 0;
    // The area of the list, the field rows and the memo, which the panel covers.
    virtual KRect PanelArea() = 0;
    // The title row's help button, which the panel takes at its first opening and keeps.
    virtual TKButton& HelpButton() = 0;
    // The second group page, which follows a new count of group buttons.
    virtual std::int32_t& GroupOffset() = 0;
    // The settings changed: the window lays itself out anew.
    virtual void Applied() = 0;
};

class TOptionsPanel : public KOptionsPanelSeam {
public:
    TOptionsPanel(KOptionsHost& host, KDocument& doc, TPinPanel& pin);
    ~TOptionsPanel() override;

    bool IsOpen() override { return isOpen_ != 0; }
    void Open() override;
    void CloseAndApply() override;

private:
    void CreateControls();
    void PlaceControls();
    KOptionValues Values() const;
    void Fill(const KOptionValues& v);
    void ColorButtonClick(int tag);
    void LabelAbortClick();
    void MoveHelpButton();

    KOptionsHost& host_;
    KDocument& doc_;
    TPinPanel& pin_;
    int isOpen_ = 0;
    KSettings openedWith_;
    bool helpMoved_ = false;
    COLORREF customColors_[16] = {};
    KOptionColumns columns_;  // where the boxes start and how small the panel may be, at its DPI

    kgdi::Font panelFont_, nameFont_, smallFont_, boxFont_;
    std::unique_ptr<kf::Panel> panel_;
    std::unique_ptr<kf::Label> labelAbort_, labelVersion_, labelCopyright_;
    std::unique_ptr<kf::AnimatedImage> picture_;
    std::unique_ptr<kf::CheckBox> dispPin_, dispPass_;
    std::unique_ptr<kf::Label> captions_[7];
    std::unique_ptr<kf::ComboBox> pasteMode_, groupCount_, fontName_, fontSize_;
    std::unique_ptr<kf::Edit> listHeight_, memoHeight_;
    std::unique_ptr<TKButton> colors_[2];
};
