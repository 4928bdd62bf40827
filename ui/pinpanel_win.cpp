#include "ui/pinpanel_win.h"

#include <algorithm>

#include "controls/kbutton_win.h"
#include "app/document.h"
#include "core/kdpi.h"
#include "framework/dpi.h"

namespace {
constexpr COLORREF kPanelColor = 0xD8E9EC;
// 96-DPI places, scaled to the window's DPI when the panel is shown.
constexpr int kPanelTop = 22, kPanelLeft = 4;
constexpr int kButtonTop = 98, kButtonWidth = 58, kButtonHeight = 24, kButtonGap = 4;
constexpr UINT_PTR kWaitTimer = 0x5049;
// The one panel whose wait is counting down (a timer procedure has no object).
TPinPanel* g_waiting = nullptr;
}  // namespace

TPinPanel::TPinPanel(KPinHost& host, KDocument& doc) : host_(host), doc_(doc), lock_(doc, *this) {}

// Made when the panel is first shown: only a start with a PIN or the options' PIN box needs it.
void TPinPanel::EnsurePanel() {
    if (panel_) return;
    kf::PanelArgs p;
    p.parent = host_.Window();
    p.bounds = {kPanelLeft, kPanelTop, 100, 100};
    p.color = kPanelColor;
    p.visible = false;
    panel_ = std::make_unique<kf::Panel>(p);
    const HWND parent = panel_->Handle();

    kf::LabelArgs label;
    label.parent = parent;
    label.bounds = {16, 19, 180, 14};
    label.text = u"暗証番号を入力してください";
    label4_ = std::make_unique<kf::Label>(label);

    kf::EditArgs edit;
    edit.parent = parent;
    edit.bounds = {16, 42, 49, 24};
    edit.digitsOnly = true;
    edit.password = true;  // dots, not the digits, for whoever looks on
    edit.maxLength = 4;
    edit.onTextChanged = [this] { lock_.Typed(); };
    edit_ = std::make_unique<kf::Edit>(edit);

    label.bounds = {90, 47, 60, 14};
    label.text = u"数字4桁";
    content_ = std::make_unique<kf::Label>(label);

    const char16_t* captions[3] = {u"登録", u"削除", u"キャンセル"};
    const std::function<void()> actions[3] = {[this] { lock_.Register(); }, [this] { lock_.Remove(); },
                                              [this] { lock_.Cancel(); }};
    for (int i = 0; i < 3; ++i) {
        auto b = std::make_unique<TKButton>(parent, true);
        b->SetStyle(zsSingle);
        b->SetCaption(captions[i]);
        b->SetFontName(u"Tahoma");
        b->SetFontHeight(12);
        b->SetFontColor(0);
        b->SetParentColor(kPanelColor);
        b->Index = i + 2;  // the panel buttons' tags: 2 register, 3 remove, 4 cancel
        b->OnClick = actions[i];
        buttons_[i] = std::move(b);
    }
}

TPinPanel::~TPinPanel() {
    if (g_waiting == this) {
        if (panel_ && panel_->Handle()) KillTimer(panel_->Handle(), kWaitTimer);
        g_waiting = nullptr;
    }
}

// The panel over the window below the title row, and its controls, at the window's DPI. A
// caption wider than its button widens the button.
void TPinPanel::PlaceControls() {
    const int dpi = kf::WindowDpi(host_.Window());
    const auto px = [dpi](int length) { return kdpi::Scale(length, dpi); };
    RECT rc;
    GetClientRect(host_.Window(), &rc);
    panel_->SetBounds(px(kPanelLeft), px(kPanelTop), rc.right - px(8), rc.bottom - px(26));
    {
        kgdi::Font font = kgdi::FontOfHeightAt(u"Tahoma", -12, dpi);
        kgdi::Font editFont = kgdi::FontOfHeightAt(u"Tahoma", -13, dpi);
        label4_->SetFont(font.Get());
        content_->SetFont(font.Get());
        edit_->SetFont(editFont.Get());
        font_ = std::move(font);
        editFont_ = std::move(editFont);
    }
    label4_->SetBounds(px(16), px(19), px(180), px(14));
    label4_->AutoSize();
    // The box holds four digits in its font however tall that is.
    const int editHeight = std::max<int>(px(24), kgdi::MeasureText(editFont_.Get(), u"").cy + px(2));
    edit_->SetBounds(px(16), px(42), px(49), editHeight);
    content_->SetBounds(px(90), px(47), px(60), px(14));
    content_->AutoSize();
    int left = px(16);
    for (auto& b : buttons_) {
        const int width = kdpi::AtLeast(kButtonWidth, b->CaptionFitWidth(), dpi);
        b->SetBounds(left, px(kButtonTop), width, px(kButtonHeight));
        left += width + px(kButtonGap);
    }
}

void TPinPanel::DpiChanged() {
    if (panel_ && panel_->Visible()) PlaceControls();
}

void TPinPanel::ShowPinPanel() {
    EnsurePanel();
    if (ShowOptions) ShowOptions(false);
    PlaceControls();
    panel_->SetColor(kPanelColor);
    for (auto& b : buttons_) b->SetFaceColor(static_cast<kdraw::KColor>(doc_.Settings().ButtonColor));
    panel_->SetVisible(true);
    panel_->BringToFront();
}

void TPinPanel::HidePinPanel(bool backToOptions) {
    if (panel_) panel_->SetVisible(false);
    if (backToOptions && ShowOptions) ShowOptions(true);
}

std::u16string TPinPanel::PinText() { return edit_ ? edit_->Text() : std::u16string(); }

void TPinPanel::SetPinText(const std::u16string& text) {
    if (edit_) edit_->SetText(text);
}

void TPinPanel::FocusPin(bool caretAtEnd) {
    if (!edit_) return;
    // A lock while the user works elsewhere must not take the focus from there; the window's
    // activation brings it here.
    if (GetActiveWindow() != host_.Window()) return;
    edit_->Focus();
    if (caretAtEnd) edit_->SetCaret(-1);
}

void TPinPanel::ShowSettingControls(bool shown) {
    if (!panel_) return;
    content_->SetVisible(shown);
    for (auto& b : buttons_) b->SetVisible(shown);
}

void TPinPanel::SetPinBox(bool checked) {
    if (SetOptionsPinBox) SetOptionsPinBox(checked);
}

void TPinPanel::Beep() { ::Beep(2000, 100); }

void TPinPanel::Repaint() { InvalidateRect(host_.Window(), nullptr, TRUE); }

void TPinPanel::SetWindowLocked(bool locked) { host_.SetWindowLocked(locked); }

void TPinPanel::FocusList() { host_.FocusList(); }

// ---- the wait after a miss ----

void TPinPanel::EnsureWaitLine() {
    if (waitLine_ || !panel_) return;
    // Under the box, as wide as the panel and three lines high (the text wraps in a narrow
    // window), whatever sizes the layout gave them.
    const RECT box = edit_->BoundsInParent();
    RECT rc;
    GetClientRect(panel_->Handle(), &rc);
    const int lineHeight = box.bottom - box.top - 8;
    kf::LabelArgs a;
    a.parent = panel_->Handle();
    a.bounds = {box.left, box.bottom + 8, std::max<int>(rc.right - 2 * box.left, 60), 3 * lineHeight + 4};
    a.font = font_.Get();
    a.visible = false;
    waitLine_ = std::make_unique<kf::Label>(a);
}

void TPinPanel::SetWaiting(int ms) {
    if (!panel_) return;
    if (ms <= 0) {
        KillTimer(panel_->Handle(), kWaitTimer);
        if (g_waiting == this) g_waiting = nullptr;
        waitUntil_ = 0;
        if (waitLine_) waitLine_->SetVisible(false);
        edit_->SetEnabled(true);
        return;
    }
    EnsureWaitLine();
    edit_->SetEnabled(false);
    waitUntil_ = GetTickCount64() + static_cast<std::uint64_t>(ms);
    g_waiting = this;
    ShowWaitLeft();
    waitLine_->SetVisible(true);
    // A few ticks a second count the line down; the first one past the end ends the wait.
    SetTimer(panel_->Handle(), kWaitTimer, 250, &TPinPanel::WaitTick);
}

void TPinPanel::ShowWaitLeft() {
    const std::uint64_t now = GetTickCount64();
    const int left = waitUntil_ > now ? static_cast<int>(waitUntil_ - now) : 0;
    const std::u16string text = PinWaitText(left);
    if (waitLine_->Text() != text) waitLine_->SetText(text);
}

void CALLBACK TPinPanel::WaitTick(HWND window, UINT, UINT_PTR id, DWORD) {
    TPinPanel* self = g_waiting;
    if (!self || !self->panel_ || window != self->panel_->Handle()) {
        KillTimer(window, id);
        return;
    }
    if (GetTickCount64() < self->waitUntil_) {
        self->ShowWaitLeft();
        return;
    }
    self->lock_.WaitOver();
}

void TPinPanel::HandToMaster() { host_.PinSpent(); }
