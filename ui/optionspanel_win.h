// PanelOption: the settings of the program, laid over the list, field and memo area while
// open. Filled from KEngine on opening; its values go back (ui/options.h) when it closes.
#pragma once
#include <windows.h>

#include <memory>

#include "framework/animimage.h"
#include "framework/controls.h"
#include "framework/gdi.h"
#include "ui/options.h"
#include "ui/optionsseam.h"

class TFKeyra;
class TKButton;
class TPinPanel;

class TOptionsPanel : public KOptionsPanelSeam {
public:
    TOptionsPanel(TFKeyra& form, TPinPanel& pin);
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

    TFKeyra& form_;
    TPinPanel& pin_;
    int isOpen_ = 0;
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
