#include "ui/optionspanel_win.h"

#include <algorithm>

#include "app/document.h"
#include "controls/kbutton_win.h"
#include "core/kdpi.h"
#include "framework/dpi.h"
#include "resources/resource.h"
#include "ui/layout.h"
#include "ui/pinpanel_win.h"

namespace {
constexpr COLORREF kPanelColor = 0xD8E9EC;
constexpr int kPanelLeft = 4;
const char16_t kVersion[] = u"0.3";
const char16_t kNotice[] = u"(C) 2020 Keyra";

// The panel's places at 96 DPI; PlaceControls scales them to the window's DPI.
struct Place96 {
    int y, width;
};
constexpr int kCaptionLeft = 16;
constexpr int kCaptionTops[7] = {130, 158, 187, 215, 242, 270, 299};
constexpr Place96 kPasteMode{126, 113}, kGroupCount{154, 54}, kListHeight{182, 54}, kMemoHeight{208, 54},
    kFontName{238, 113}, kFontSize{266, 54};
constexpr int kBoxHeight = 21, kColorTop = 294, kColorWidth = 54, kColorHeight = 24, kColorGap = 5;

// Wide and tall enough for its caption in its font at `dpi`, never smaller than at 96 DPI.
void FitCheckBox(kf::CheckBox& box, int left, int top, int width, int dpi) {
    const SIZE text = kgdi::MeasureText(box.Font(), box.Text());
    const int need = text.cx + kf::SystemMetricAt(SM_CXMENUCHECK, dpi) + kdpi::Scale(8, dpi);
    box.SetBounds(kdpi::Scale(left, dpi), kdpi::Scale(top, dpi), kdpi::AtLeast(width, need, dpi),
                  kdpi::AtLeast(17, text.cy, dpi));
}

// Wide enough for its longest item beside the drop-down button.
int ComboWidth(const kf::ComboBox& box, HFONT font, int width96, int dpi) {
    int widest = kgdi::MeasureText(font, box.Text()).cx;
    for (const auto& item : box.Items()) widest = std::max<int>(widest, kgdi::MeasureText(font, item).cx);
    const int need = widest + kf::SystemMetricAt(SM_CXVSCROLL, dpi) + kdpi::Scale(8, dpi);
    return kdpi::AtLeast(width96, need, dpi);
}

int RightOf(const kf::Control& c) { return static_cast<int>(c.BoundsInParent().right); }
}  // namespace

TOptionsPanel::TOptionsPanel(KOptionsHost& host, KDocument& doc, TPinPanel& pin) : host_(host), doc_(doc), pin_(pin) {
    // The default faces of the window and the buttons ("ColorA=984E00", "ColorB=D8E9EC").
    customColors_[0] = 0x984E00;
    customColors_[1] = 0xD8E9EC;
    pin_.ShowOptions = [this](bool shown) {
        if (isOpen_) panel_->SetVisible(shown);
        if (isOpen_ && shown) panel_->BringToFront();
    };
    pin_.SetOptionsPinBox = [this](bool checked) {
        if (dispPin_) dispPin_->SetChecked(checked);
    };
    pin_.OptionsShown = [this] { return isOpen_ != 0; };
}

TOptionsPanel::~TOptionsPanel() {
    pin_.ShowOptions = nullptr;
    pin_.SetOptionsPinBox = nullptr;
    pin_.OptionsShown = nullptr;
}

// The controls; their places and fonts at the window's DPI come from PlaceControls.
void TOptionsPanel::CreateControls() {

    kf::PanelArgs p;
    p.parent = host_.Window();
    p.bounds = {kPanelLeft, 50, 214, 345};
    p.color = kPanelColor;
    p.visible = false;
    panel_ = std::make_unique<kf::Panel>(p);
    const HWND parent = panel_->Handle();

    auto label = [parent](const std::u16string& text) {
        kf::LabelArgs a;
        a.parent = parent;
        a.bounds = {0, 0, 60, 14};
        a.text = text;
        return std::make_unique<kf::Label>(a);
    };
    {
        kf::LabelArgs a;
        a.parent = parent;
        a.bounds = {19, 8, 60, 22};
        a.text = u"Keyra";
        a.textColor = 0;
        a.onClicked = [this] { LabelAbortClick(); };
        labelAbort_ = std::make_unique<kf::Label>(a);
    }
    labelVersion_ = label(u"Version");
    labelCopyright_ = label(kNotice);

    // Decoded when first shown: few users ever click the name, and every start would pay for it.
    picture_ = std::make_unique<kf::AnimatedImage>(parent, kf::Bounds{2, 46, 211, 24}, false);

    kf::CheckBoxArgs check;
    check.parent = parent;
    check.bounds = {14, 70, 166, 17};
    check.text = u"起動時に暗証番号を入力する";
    check.onClicked = [this] { pin_.Lock().CheckBoxClicked(dispPin_->Checked()); };
    dispPin_ = std::make_unique<kf::CheckBox>(check);
    check.bounds = {14, 97, 149, 17};
    check.text = u"パスワードを表示する";
    check.onClicked = nullptr;
    dispPass_ = std::make_unique<kf::CheckBox>(check);

    const char16_t* const captions[7] = {u"貼り付け：", u"グループの数：", u"リストの高さ：", u"メモの高さ：",
                                         u"フォント名：", u"フォントサイズ：", u"色："};
    for (int i = 0; i < 7; ++i) captions_[i] = label(captions[i]);

    auto combo = [&](kf::ComboKind kind, std::vector<std::u16string> items) {
        kf::ComboBoxArgs a;
        a.parent = parent;
        a.bounds = {kPanelBoxLeft, 0, 54, kBoxHeight};
        a.kind = kind;
        a.dropRows = kind == kf::ComboKind::Editable ? 20 : static_cast<int>(items.size());
        a.items = std::move(items);
        return a;
    };
    pasteMode_ = std::make_unique<kf::ComboBox>(
        combo(kf::ComboKind::PickOnly, {u"貼り付けなし", u"通常の貼り付け", u"クリックして貼り付け"}));
    groupCount_ = std::make_unique<kf::ComboBox>(combo(kf::ComboKind::PickOnly, {u"5", u"6", u"7", u"8", u"9", u"10"}));

    kf::EditArgs edit;
    edit.parent = parent;
    edit.digitsOnly = true;
    edit.maxLength = 9;
    edit.bounds = {kPanelBoxLeft, 0, 54, kBoxHeight};
    listHeight_ = std::make_unique<kf::Edit>(edit);
    memoHeight_ = std::make_unique<kf::Edit>(edit);

    fontName_ = std::make_unique<kf::ComboBox>(combo(kf::ComboKind::Editable, {}));
    kf::ComboBoxArgs size =
        combo(kf::ComboKind::Editable, {u"8", u"9", u"10", u"11", u"12", u"13", u"14", u"15", u"16"});
    // ComboBoxFontSizeKeyPress: digits and backspace only.
    size.onKeyTyped = [](wchar_t ch) { return ch == 8 || (ch >= L'0' && ch <= L'9'); };
    fontSize_ = std::make_unique<kf::ComboBox>(size);

    // The colour buttons "form" (Tag 0) and "button" (Tag 1).
    const char16_t* names[2] = {u"form", u"button"};
    for (int tag = 0; tag < 2; ++tag) {
        auto b = std::make_unique<TKButton>(parent, true);
        b->SetStyle(zsSingle);
        b->SetCaption(names[tag]);
        b->SetFontName(u"Tahoma");
        b->SetFontHeight(12);
        b->SetParentColor(kPanelColor);
        b->Index = tag;
        b->OnClick = [this, tag] { ColorButtonClick(tag); };
        colors_[tag] = std::move(b);
    }
    // A caption wider than its place runs under the box beside it, never over it.
    for (auto& c : captions_)
        SetWindowPos(c->Handle(), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);

    const KSettings& e = doc_.Settings();
    colors_[0]->SetFaceColor(static_cast<kdraw::KColor>(e.FormColor));
    colors_[1]->SetFaceColor(static_cast<kdraw::KColor>(e.ButtonColor));
}

void TOptionsPanel::MoveHelpButton() {
    TKButton& help = host_.HelpButton();
    if (!helpMoved_) {
        help.SetParent(panel_->Handle());
        helpMoved_ = true;
    }
    RECT rc;
    GetClientRect(panel_->Handle(), &rc);
    help.SetStyle(zsSingle);
    help.SetParentColor(kPanelColor);
    help.SetFaceColor(kPanelColor);
    help.SetFontColor(0);
    help.SetCaption(u"help");
    // 9 pixels from the panel's top and right edges at 96 DPI, wider where its caption needs it.
    const int dpi = help.Dpi();
    const int width = kdpi::AtLeast(32, help.CaptionFitWidth(), dpi);
    help.SetBounds(rc.right - kdpi::Scale(9, dpi) - width, kdpi::Scale(9, dpi), width, kdpi::Scale(16, dpi));
    help.SetVisible(true);
}

// Every control at its 96-DPI place scaled to the window's DPI, in fonts made for that DPI.
// Where a caption does not fit, the boxes move right of it and the panel widens (ui/options.h).
void TOptionsPanel::PlaceControls() {
    const int dpi = kf::WindowDpi(host_.Window());
    const auto px = [dpi](int length) { return kdpi::Scale(length, dpi); };
    {
        kgdi::Font panel = kgdi::FontOfHeightAt(u"Tahoma", -12, dpi);
        kgdi::Font name = kgdi::FontOfHeightAt(u"Arial", -19, dpi);
        kgdi::Font notice = kgdi::FontOfHeightAt(u"MS UI Gothic", -12, dpi);
        kgdi::Font box = kgdi::FontOfHeightAt(u"Tahoma", -13, dpi);
        labelAbort_->SetFont(name.Get());
        labelVersion_->SetFont(notice.Get());
        labelCopyright_->SetFont(notice.Get());
        dispPin_->SetFont(panel.Get());
        dispPass_->SetFont(panel.Get());
        for (auto& c : captions_) c->SetFont(panel.Get());
        listHeight_->SetFont(box.Get());
        memoHeight_->SetFont(box.Get());
        panelFont_ = std::move(panel);
        nameFont_ = std::move(name);
        smallFont_ = std::move(notice);
        boxFont_ = std::move(box);
    }
    labelAbort_->SetBounds(px(19), px(8), px(60), px(22));
    labelAbort_->AutoSize();
    labelVersion_->SetBounds(std::max(px(91), RightOf(*labelAbort_) + px(4)), px(16), px(60), px(14));
    labelVersion_->AutoSize();
    labelCopyright_->SetBounds(px(19), px(32), px(60), px(14));
    labelCopyright_->AutoSize();
    // The picture is drawn pixel for pixel: its size stays, its place follows the scale.
    MoveWindow(picture_->Handle(), px(2), px(46), 211, 24, TRUE);
    FitCheckBox(*dispPin_, 14, 70, 166, dpi);
    FitCheckBox(*dispPass_, 14, 97, 149, dpi);

    int captionWidth = 0;
    for (int i = 0; i < 7; ++i) {
        captions_[i]->SetBounds(px(kCaptionLeft), px(kCaptionTops[i]), px(60), px(14));
        captionWidth = std::max<int>(captionWidth, captions_[i]->AutoSize().cx);
    }
    const HFONT panelFont = panelFont_.Get();
    const int pasteWidth = ComboWidth(*pasteMode_, panelFont, kPasteMode.width, dpi);
    const int groupWidth = ComboWidth(*groupCount_, panelFont, kGroupCount.width, dpi);
    const int sizeWidth = ComboWidth(*fontSize_, panelFont, kFontSize.width, dpi);
    int colorWidth = 0;
    for (auto& b : colors_) colorWidth = std::max(colorWidth, kdpi::AtLeast(kColorWidth, b->CaptionFitWidth(), dpi));
    const int rowWidth =
        std::max({pasteWidth, groupWidth, sizeWidth, px(kFontName.width), 2 * colorWidth + px(kColorGap)});

    // The name row's right end: the version, then the help button 9 pixels from the edge.
    TKButton& help = host_.HelpButton();
    help.SetCaption(u"help");
    const int helpWidth = kdpi::AtLeast(32, help.CaptionFitWidth(), dpi);
    const int otherRight =
        std::max({RightOf(*labelVersion_) + px(8) + helpWidth + px(9), RightOf(*labelCopyright_) + px(4),
                  RightOf(*dispPin_) + px(4), RightOf(*dispPass_) + px(4)});
    columns_ = OptionColumns(dpi, captionWidth, rowWidth, otherRight);
    const int x = columns_.boxLeft;

    // Combo boxes take their closed height from their font; their width is set here.
    auto placeBox = [&](kf::Control& c, const Place96& p, int width) {
        c.SetBounds(x, px(p.y), width, px(kBoxHeight));
    };
    placeBox(*pasteMode_, kPasteMode, pasteWidth);
    placeBox(*groupCount_, kGroupCount, groupWidth);
    placeBox(*fontName_, kFontName, px(kFontName.width));
    placeBox(*fontSize_, kFontSize, sizeWidth);
    for (kf::ComboBox* c : {pasteMode_.get(), groupCount_.get(), fontName_.get(), fontSize_.get()})
        c->SetFont(panelFont);
    const int editHeight = std::max<int>(px(kBoxHeight), kgdi::MeasureText(boxFont_.Get(), u"").cy + px(2));
    listHeight_->SetBounds(x, px(kListHeight.y), px(kListHeight.width), editHeight);
    memoHeight_->SetBounds(x, px(kMemoHeight.y), px(kMemoHeight.width), editHeight);
    for (int tag = 0; tag < 2; ++tag)
        colors_[tag]->SetBounds(x + tag * (colorWidth + px(kColorGap)), px(kColorTop), colorWidth, px(kColorHeight));
}

void TOptionsPanel::Open() {
    // Made at the first opening, not at every start.
    if (!panel_) CreateControls();
    // Opened again while open (the window moved to a screen of another DPI): laid out anew,
    // the values as they are.
    const bool again = isOpen_ != 0;
    isOpen_ = 1;
    labelVersion_->SetText(std::u16string(u"Version ") + kVersion);
    labelCopyright_->SetText(kNotice);
    PlaceControls();

    const KRect area = host_.PanelArea();
    const HWND form = host_.Window();
    RECT rc;
    GetClientRect(form, &rc);
    const KPanelPlacement place = PlaceOpenPanel(area.top, area.height, rc.right, rc.bottom, columns_);
    if (place.formWidth != rc.right || place.formHeight != rc.bottom)
        SetWindowPos(form, nullptr, 0, 0, place.formWidth, place.formHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    panel_->SetBounds(area.left, area.top, place.panelWidth, place.panelHeight);
    panel_->SetColor(kPanelColor);
    MoveHelpButton();
    if (again) {
        InvalidateRect(host_.Window(), nullptr, TRUE);
        return;
    }

    fontName_->SetItems(kf::ScreenFontNames());
    openedWith_ = doc_.Settings();
    Fill(OptionValuesOf(doc_.Settings()));

    panel_->SetVisible(true);
    panel_->BringToFront();
    InvalidateRect(form, nullptr, TRUE);
}

void TOptionsPanel::Fill(const KOptionValues& v) {
    pasteMode_->Select(v.pasteModeItem);
    groupCount_->Select(v.groupCountItem);
    listHeight_->SetText(v.listHeight);
    memoHeight_->SetText(v.memoHeight);
    dispPass_->SetChecked(v.dispPass);
    pin_.Lock().SetBoxQuietly(v.dispPin);
    colors_[0]->SetFaceColor(static_cast<kdraw::KColor>(v.formColor));
    colors_[1]->SetFaceColor(static_cast<kdraw::KColor>(v.buttonColor));
    fontName_->SetText(v.fontName);
    fontSize_->SetText(v.fontSize);
}

KOptionValues TOptionsPanel::Values() const {
    KOptionValues v;
    v.pasteModeItem = pasteMode_->Selected();
    v.groupCountItem = groupCount_->Selected();
    v.listHeight = listHeight_->Text();
    v.memoHeight = memoHeight_->Text();
    v.dispPass = dispPass_->Checked();
    v.dispPin = dispPin_->Checked();
    v.formColor = static_cast<std::int32_t>(colors_[0]->FaceColor());
    v.buttonColor = static_cast<std::int32_t>(colors_[1]->FaceColor());
    v.fontName = fontName_->Text();
    v.fontSize = fontSize_->Text();
    return v;
}

void TOptionsPanel::CloseAndApply() {
    if (!isOpen_) return;
    isOpen_ = 0;
    panel_->SetVisible(false);
    ApplyOptionValues(Values(), pin_.Lock().Mode, doc_.Settings(), host_.GroupOffset());
    // A PIN set or removed while the panel was open counts too.
    if (!SameSettings(openedWith_, doc_.Settings())) doc_.Changed(KChange::Settings);
    host_.Applied();
}

// The controls of the closed panel still take messages sent from outside: they do nothing then.
void TOptionsPanel::ColorButtonClick(int tag) {
    if (!isOpen_) return;
    TKButton& b = *colors_[tag];
    COLORREF color = static_cast<COLORREF>(b.FaceColor());
    if (!kf::PickColor(host_.Window(), color, customColors_) || !isOpen_) return;
    b.SetFaceColor(static_cast<kdraw::KColor>(color));
    InvalidateRect(host_.Window(), nullptr, TRUE);
}

void TOptionsPanel::LabelAbortClick() {
    if (!isOpen_) return;
    if (picture_->Visible()) {
        picture_->SetVisible(false);
        picture_->Stop();
    } else {
        if (picture_->FrameCount() == 0) picture_->LoadResource(IDR_EASTEREGG);
        picture_->SetVisible(true);
        // The picture class's fastest: ten times the normal speed.
        picture_->SetSpeed(1000);
        picture_->Start();
    }
    InvalidateRect(host_.Window(), nullptr, TRUE);
}
