#include "controls/kbutton_win.h"

#include <windowsx.h>

#include <new>
#include <string>

#include "core/kdpi.h"
#include "core/kerror.h"
#include "framework/dpi.h"
#include "framework/kstr.h"

namespace {

void RegisterButtonClass() {
    // Once per process: a window has dozens of buttons.
    static const bool registered = [] {
        // No CS_DBLCLKS: a quick second press is another press.
        kf::RegisterWindowClass(TKButton::ClassName(), CS_HREDRAW | CS_VREDRAW);
        kgdi::InstallSysColorResolver();
        return true;
    }();
    (void)registered;
}

// Draws the caption with GDI on the face's DIB section.
class GdiTextPainter : public KTextPainter {
public:
    GdiTextPainter(HDC dc, HFONT font) : dc_(dc), sel_(dc, font) {}
    KTextSize Measure(std::u16string_view text) override {
        const SIZE s = kgdi::MeasureText(dc_, nullptr, text);
        return {s.cx, s.cy};
    }
    void Draw(kdraw::Dib24&, int x, int y, std::u16string_view text, kdraw::KColor color) override {
        SetBkMode(dc_, TRANSPARENT);
        SetTextColor(dc_, static_cast<COLORREF>(kdraw::ColorToRGB(color)));
        TextOutW(dc_, x, y, reinterpret_cast<const wchar_t*>(text.data()), static_cast<int>(text.size()));
        GdiFlush();  // the next pixel routine reads the rows directly
    }

private:
    HDC dc_;
    kgdi::SelectGuard sel_;
};

}  // namespace

TKButton::TKButton(HWND parent, bool visible) : TKButton(parent, Deferred{}) { MakeWindow(visible); }

TKButton::TKButton(HWND parent, Deferred) : pendingParent_(parent) {
    RegisterButtonClass();
    parentColor_ = static_cast<kdraw::KColor>(GetSysColor(COLOR_BTNFACE));
}

void TKButton::MakeWindow(bool visible) {
    const RECT& r = pendingBounds_;
    const DWORD style = WS_CHILD | WS_CLIPSIBLINGS | (visible ? WS_VISIBLE : 0) | (pendingEnabled_ ? 0 : WS_DISABLED);
    if (!Create(ClassName(), W(look_.caption), style, 0, r.left, r.top, r.right - r.left, r.bottom - r.top,
                pendingParent_))
        throw std::bad_alloc();
    state_ = IsWindowEnabled(Handle()) ? ksNormal : ksDisabled;
}

TKButton::~TKButton() {
    *alive_ = false;
    if (Handle() && GetCapture() == Handle()) ReleaseCapture();
    Destroy();
}

TKButton* TKButton::FromHandle(HWND hwnd) { return dynamic_cast<TKButton*>(kf::Window::FromHandle(hwnd)); }

void TKButton::OnException(const std::exception& e) {
    HWND h = Handle();
    kf::ShowError(h && IsWindow(h) ? GetAncestor(h, GA_ROOT) : nullptr, e);
}

// ---- properties ----

void TKButton::SetStyle(TKButtonStyle style) {
    look_.style = style;
    switch (style) {
        case zsNormal: look_.enter = zeNormal; break;
        case zsSingle:
        case zsFlat: look_.enter = zeSingle; break;
        case zsFrame: look_.enter = zeFrame; break;
    }
    Repaint();
}
void TKButton::SetEnter(TKButtonEnter enter) { look_.enter = enter; Repaint(); }
void TKButton::SetContrast(TKButtonContrast contrast) { look_.contrast = contrast; Repaint(); }
void TKButton::SetAlignment(TAlignment alignment) { look_.alignment = alignment; Repaint(); }
void TKButton::SetRound(int round) { round_ = round; Repaint(); }
void TKButton::SetMargin(int margin) { look_.margin = margin; Repaint(); }
void TKButton::SetSpacing(int spacing) { look_.spacing = spacing; Repaint(); }
void TKButton::SetTransparent(int transparent) { look_.transparent = transparent; Repaint(); }
void TKButton::SetSelect(int select) { select_ = select; Repaint(); }
void TKButton::SetFaceColor(kdraw::KColor color) { look_.faceColor = color; Repaint(); }
void TKButton::SetEnterTextColor(kdraw::KColor color) { look_.enterTextColor = color; Repaint(); }
void TKButton::SetEnterShade(int shade) { look_.enterShade = shade; Repaint(); }
void TKButton::SetEnterFaceColor(kdraw::KColor color) { look_.enterFaceColor = color; Repaint(); }
void TKButton::SetEnterFrameColor(kdraw::KColor color) { enterFrameColor_ = color; Repaint(); }
void TKButton::SetParentColor(kdraw::KColor color) { parentColor_ = color; Repaint(); }
void TKButton::SetFontColor(kdraw::KColor color) { look_.fontColor = color; Repaint(); }

void TKButton::SetGlyph(const kdraw::Dib24& picture) {
    glyph_ = picture;
    Repaint();
}

bool TKButton::LoadGlyph(HINSTANCE instance, int id) {
    kdraw::Dib24 picture;
    if (!kgdi::LoadBitmapResource(instance ? instance : GetModuleHandleW(nullptr), id, picture)) return false;
    SetGlyph(picture);
    return true;
}

void TKButton::SetUnderGlyph(const kdraw::Dib24* picture) {
    underGlyph_ = picture;
    Repaint();
}

std::u16string TKButton::Caption() const {
    if (!Handle()) return look_.caption;
    const int n = GetWindowTextLengthW(Handle());
    std::wstring buf(static_cast<size_t>(n) + 1, L'\0');
    const int got = GetWindowTextW(Handle(), buf.data(), n + 1);
    return U(buf.c_str(), static_cast<size_t>(got));
}

void TKButton::SetCaption(const std::u16string& caption) {
    if (Handle()) SetWindowTextW(Handle(), W(caption));  // WM_SETTEXT repaints
    else look_.caption = caption;
}

void TKButton::SetFontName(const std::u16string& name) {
    fontName_ = name;
    FontChanged();
}

void TKButton::SetFontSize(int points) {
    fontSize_ = points;
    fontHeight_ = 0;
    FontChanged();
}

void TKButton::SetFontHeight(int pixels) {
    fontHeight_ = -pixels;
    fontSize_ = MulDiv(pixels, 72, kdpi::kBase);
    FontChanged();
}

void TKButton::FontChanged() {
    font_.Reset();
    Repaint();
}

int TKButton::Dpi() const { return kf::WindowDpi(Handle() ? Handle() : pendingParent_); }

HFONT TKButton::FontHandle() {
    // Made again when the window has moved to a screen of another DPI.
    const int dpi = Dpi();
    if (font_ && fontDpi_ != dpi) font_.Reset();
    if (!font_) {
        const int height = fontHeight_ ? kdpi::Scale(fontHeight_, dpi) : -kdpi::PointsToPixels(fontSize_, dpi);
        font_ = kgdi::CreateFontOfHeight(fontName_, height);
        fontDpi_ = dpi;
    }
    return font_.Get();
}

int TKButton::CaptionFitWidth() {
    // The face keeps 4 pixels free beside a centred caption (kbutton_face.h); 4 more give it air.
    return kgdi::MeasureText(FontHandle(), Caption()).cx + kdpi::Scale(8, Dpi());
}

bool TKButton::Enabled() const { return Handle() ? IsWindowEnabled(Handle()) != FALSE : pendingEnabled_; }
void TKButton::SetEnabled(bool enabled) {
    if (Handle()) {
        EnableWindow(Handle(), enabled ? TRUE : FALSE);  // WM_ENABLE updates the state
    } else {
        pendingEnabled_ = enabled;
        state_ = enabled ? ksNormal : ksDisabled;
    }
}
bool TKButton::Visible() const { return Handle() && (GetWindowLongPtrW(Handle(), GWL_STYLE) & WS_VISIBLE); }
void TKButton::SetVisible(bool visible) {
    if (Handle())
        ShowWindow(Handle(), visible ? SW_SHOWNA : SW_HIDE);
    else if (visible)
        MakeWindow(true);  // in place and shown in one step
}

void TKButton::SetBounds(int left, int top, int width, int height) {
    if (Handle())
        MoveWindow(Handle(), left, top, width, height, TRUE);
    else
        pendingBounds_ = {left, top, left + width, top + height};
}

namespace {
RECT BoundsInParent(HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    MapWindowPoints(HWND_DESKTOP, GetParent(hwnd), reinterpret_cast<POINT*>(&r), 2);
    return r;
}
}  // namespace

int TKButton::Left() const { return Handle() ? BoundsInParent(Handle()).left : pendingBounds_.left; }
int TKButton::Top() const { return Handle() ? BoundsInParent(Handle()).top : pendingBounds_.top; }
int TKButton::Width() const {
    RECT r{};
    if (!Handle()) return pendingBounds_.right - pendingBounds_.left;
    GetClientRect(Handle(), &r);
    return r.right;
}
int TKButton::Height() const {
    RECT r{};
    if (!Handle()) return pendingBounds_.bottom - pendingBounds_.top;
    GetClientRect(Handle(), &r);
    return r.bottom;
}

void TKButton::SetParent(HWND parent) {
    if (Handle()) ::SetParent(Handle(), parent);
    else pendingParent_ = parent;
    Repaint();
}

HWND TKButton::Parent() const { return Handle() ? GetParent(Handle()) : pendingParent_; }

void TKButton::Repaint() {
    if (Handle()) InvalidateRect(Handle(), nullptr, FALSE);
}

// ---- composing and painting ----

const kgdi::DibSection& TKButton::ComposeFace() {
    const int w = Width(), h = Height();
    look_.caption = Caption();
    look_.dpi = Dpi();
    kdraw::CaptureBackground(background_, w, h, underGlyph_, Left(), Top(), parentColor_);
    face_.Resize(w, h);
    if (w > 0 && h > 0) {
        GdiTextPainter painter(face_.Dc(), FontHandle());
        ::ComposeFace(face_.Pixels(), background_, look_, state_, glyph_.Empty() ? nullptr : &glyph_, painter,
                      &face_.Pixels());
        face_.Flush();
    }
    return face_;
}

void TKButton::Paint(HDC dc) {
    ComposeFace();
    if (face_.Width() > 0) BitBlt(dc, 0, 0, face_.Width(), face_.Height(), face_.Dc(), 0, 0, SRCCOPY);
}

// ---- pointer and clicks ----

void TKButton::Call(const std::function<void()>& handler) {
    if (handler) handler();
}

bool TKButton::InsideClient(int x, int y) const {
    RECT r{};
    GetClientRect(Handle(), &r);
    return x >= 0 && y >= 0 && x < r.right && y < r.bottom;
}

void TKButton::PointerEntered() {
    if (state_ == ksDisabled) return;
    auto alive = alive_;
    Call(OnMouseEnter);
    if (!*alive) return;
    state_ = ksEntered;
    Repaint();
}

void TKButton::PointerLeft() {
    if (state_ == ksDisabled) return;
    auto alive = alive_;
    Call(OnMouseLeave);
    if (!*alive) return;
    state_ = select_ ? ksEntered : ksNormal;
    Repaint();
}

void TKButton::Click() {
    if (state_ == ksDisabled) return;
    auto alive = alive_;
    Call(OnClick);
    if (*alive) pressed_ = 0;
}

void TKButton::AfterRelease(int x, int y) {
    if (state_ == ksDisabled) return;
    if (InsideClient(x, y)) {
        state_ = ksEntered;
    } else if (inside_) {
        // Released off the button without a move seen there: it has been left.
        inside_ = false;
        auto alive = alive_;
        PointerLeft();
        if (!*alive) return;
    } else {
        state_ = select_ ? ksEntered : ksNormal;
    }
    Repaint();
    if (pressed_) Click();
}

bool TKButton::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    HWND hwnd = Handle();
    const std::shared_ptr<bool> alive = alive_;
    result = 0;
    const int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
    switch (msg) {
        case WM_ERASEBKGND:
            result = 1;
            return true;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd, &ps);
            Paint(dc);
            EndPaint(hwnd, &ps);
            return true;
        }
        case WM_PRINTCLIENT:
            Paint(reinterpret_cast<HDC>(wParam));
            return true;
        case WM_SETTEXT: {
            result = DefWindowProcW(hwnd, msg, wParam, lParam);
            Repaint();
            return true;
        }
        case WM_SETFONT:
            return true;
        case WM_ENABLE:
            if (wParam) {
                state_ = ksNormal;
            } else {
                state_ = ksDisabled;
                pressed_ = 0;
                inside_ = false;  // no pointer messages reach a disabled window
                if (GetCapture() == hwnd) ReleaseCapture();
            }
            Repaint();
            return true;
        case WM_MOUSEMOVE: {
            const bool in = InsideClient(x, y);
            if (in && !inside_) {
                inside_ = true;
                if (!tracking_) {
                    TRACKMOUSEEVENT tme{sizeof(tme), TME_LEAVE, hwnd, 0};
                    tracking_ = TrackMouseEvent(&tme) != FALSE;
                }
                PointerEntered();
            } else if (!in && inside_) {
                // Only seen while the mouse is captured after a press.
                inside_ = false;
                PointerLeft();
            }
            return true;
        }
        case WM_MOUSELEAVE:
            tracking_ = false;
            if (GetCapture() != hwnd && inside_) {
                inside_ = false;
                PointerLeft();
            }
            return true;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            SetCapture(hwnd);
            if (OnMouseDown) OnMouseDown(mbLeft, x, y);
            if (!*alive) return true;
            if (state_ != ksDisabled) {
                pressed_ = 1;
                state_ = ksPressed;
                Repaint();
            }
            return true;
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
            if (OnMouseDown) OnMouseDown(msg == WM_RBUTTONDOWN ? mbRight : mbMiddle, x, y);
            return true;
        case WM_LBUTTONUP:
            if (GetCapture() == hwnd) {
                releasing_ = true;
                ReleaseCapture();
                releasing_ = false;
            }
            AfterRelease(x, y);
            return true;
        case WM_RBUTTONUP:
        case WM_MBUTTONUP:
            AfterRelease(x, y);
            if (!*alive) return true;
            if (msg == WM_RBUTTONUP) break;  // DefWindowProc turns it into WM_CONTEXTMENU
            return true;
        case WM_CAPTURECHANGED:
            // Capture taken away without a release (a menu, another window): no click.
            if (!releasing_ && pressed_ && reinterpret_cast<HWND>(lParam) != hwnd) {
                pressed_ = 0;
                if (state_ != ksDisabled) state_ = inside_ || select_ ? ksEntered : ksNormal;
                Repaint();
            }
            return true;
        case WM_CONTEXTMENU: {
            POINT pt{x, y};
            if (x == -1 && y == -1) {  // from the keyboard: the button's centre
                pt = {Width() / 2, Height() / 2};
                ClientToScreen(hwnd, &pt);
            }
            if (OnContextMenu) {
                OnContextMenu(pt);
                return true;
            }
            break;
        }
        default:
            break;
    }
    return false;
}
