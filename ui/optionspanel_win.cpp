#include "ui/optionspanel_win.h"

#include <algorithm>

#include "app/document.h"
#include "controls/kbutton_win.h"
#include "resources/resource.h"
#include "ui/layout.h"
#include "ui/pinpanel_win.h"

namespace {
constexpr COLORREF kPanelColor = 0xD8E9EC;
constexpr int kPanelLeft = 4;
const char16_t kVersion[] = u"0.3";
const char16_t kNotice[] = u"(C) 2020 Keyra";

// Wide enough for its caption in the font the screen really uses, within the narrowest panel.
void FitCheckBox(kf::CheckBox& box) {
    const RECT r = box.BoundsInParent();
    const int need = kgdi::MeasureText(box.Font(), box.Text()).cx + GetSystemMetrics(SM_CXMENUCHECK) + 8;
    const int width = std::min<int>(std::max<int>(r.right - r.left, need), kPanelMinWidth - r.left - 4);
    box.SetBounds(r.left, r.top, width, r.bottom - r.top);
}
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

void TOptionsPanel::CreateControls() {
    panelFont_ = kgdi::CreateFontOfHeight(u"Tahoma", -12);
    nameFont_ = kgdi::CreateFontOfHeight(u"Arial", -19);
    smallFont_ = kgdi::CreateFontOfHeight(u"MS UI Gothic", -12);
    boxFont_ = kgdi::CreateFontOfHeight(u"Tahoma", -13);

    kf::PanelArgs p;
    p.parent = host_.Window();
    p.bounds = {kPanelLeft, 50, 214, 345};
    p.color = kPanelColor;
    p.visible = false;
    panel_ = std::make_unique<kf::Panel>(p);
    const HWND parent = panel_->Handle();

    auto label = [parent](int x, int y, const std::u16string& text, HFONT font) {
        kf::LabelArgs a;
        a.parent = parent;
        a.bounds = {x, y, 60, 14};
        a.text = text;
        a.font = font;
        auto l = std::make_unique<kf::Label>(a);
        l->AutoSize();
        return l;
    };
    {
        kf::LabelArgs a;
        a.parent = parent;
        a.bounds = {19, 8, 60, 22};
        a.text = u"Keyra";
        a.font = nameFont_.Get();
        a.textColor = 0;
        a.onClicked = [this] { LabelAbortClick(); };
        labelAbort_ = std::make_unique<kf::Label>(a);
        labelAbort_->AutoSize();
    }
    labelVersion_ = label(91, 16, u"Version", smallFont_.Get());
    labelCopyright_ = label(19, 32, kNotice, smallFont_.Get());

    // Decoded when first shown: few users ever click the name, and every start would pay for it.
    picture_ = std::make_unique<kf::AnimatedImage>(parent, kf::Bounds{2, 46, 211, 24}, false);

    kf::CheckBoxArgs check;
    check.parent = parent;
    check.font = panelFont_.Get();
    check.bounds = {14, 70, 166, 17};
    check.text = u"起動時に暗証番号を入力する";
    check.onClicked = [this] { pin_.Lock().CheckBoxClicked(dispPin_->Checked()); };
    dispPin_ = std::make_unique<kf::CheckBox>(check);
    FitCheckBox(*dispPin_);
    check.bounds = {14, 97, 149, 17};
    check.text = u"パスワードを表示する";
    check.onClicked = nullptr;
    dispPass_ = std::make_unique<kf::CheckBox>(check);
    FitCheckBox(*dispPass_);

    const struct {
        int x, y;
        const char16_t* text;
    } captions[7] = {{16, 130, u"貼り付け："}, {16, 158, u"グループの数："}, {16, 187, u"リストの高さ："},
                     {16, 215, u"メモの高さ："}, {16, 242, u"フォント名："},   {16, 270, u"フォントサイズ："},
                     {16, 299, u"色："}};
    for (int i = 0; i < 7; ++i) captions_[i] = label(captions[i].x, captions[i].y, captions[i].text, panelFont_.Get());

    auto combo = [&](int x, int y, int w, kf::ComboKind kind, std::vector<std::u16string> items) {
        kf::ComboBoxArgs a;
        a.parent = parent;
        a.bounds = {x, y, w, 21};
        a.kind = kind;
        a.dropRows = kind == kf::ComboKind::Editable ? 20 : static_cast<int>(items.size());
        a.font = panelFont_.Get();
        a.items = std::move(items);
        return a;
    };
    pasteMode_ = std::make_unique<kf::ComboBox>(combo(90, 126, 113, kf::ComboKind::PickOnly,
                                                      {u"貼り付けなし", u"通常の貼り付け", u"クリックして貼り付け"}));
    groupCount_ = std::make_unique<kf::ComboBox>(
        combo(90, 154, 54, kf::ComboKind::PickOnly, {u"5", u"6", u"7", u"8", u"9", u"10"}));

    kf::EditArgs edit;
    edit.parent = parent;
    edit.font = boxFont_.Get();
    edit.digitsOnly = true;
    edit.maxLength = 9;
    edit.bounds = {90, 182, 54, 21};
    listHeight_ = std::make_unique<kf::Edit>(edit);
    edit.bounds = {90, 208, 54, 21};
    memoHeight_ = std::make_unique<kf::Edit>(edit);

    fontName_ = std::make_unique<kf::ComboBox>(combo(90, 238, 113, kf::ComboKind::Editable, {}));
    kf::ComboBoxArgs size = combo(90, 266, 54, kf::ComboKind::Editable,
                                  {u"8", u"9", u"10", u"11", u"12", u"13", u"14", u"15", u"16"});
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
        b->SetBounds(tag == 0 ? 90 : 149, 294, 54, 24);
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
    help.SetBounds(rc.right - 41, 9, 32, 16);
    help.SetVisible(true);
}

void TOptionsPanel::Open() {
    // Made at the first opening, not at every start.
    if (!panel_) CreateControls();
    isOpen_ = 1;
    labelVersion_->SetText(std::u16string(u"Version ") + kVersion);
    labelVersion_->AutoSize();
    labelCopyright_->SetText(kNotice);

    const KRect area = host_.PanelArea();
    const HWND form = host_.Window();
    RECT rc;
    GetClientRect(form, &rc);
    const KPanelPlacement place = PlaceOpenPanel(area.top, area.height, rc.right, rc.bottom);
    if (place.formWidth != rc.right || place.formHeight != rc.bottom)
        SetWindowPos(form, nullptr, 0, 0, place.formWidth, place.formHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    panel_->SetBounds(kPanelLeft, area.top, place.panelWidth, place.panelHeight);
    panel_->SetColor(kPanelColor);
    MoveHelpButton();

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
