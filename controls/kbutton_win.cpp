#include "controls/kbutton_win.h"

#include <windowsx.h>

#include <cstring>
#include <new>
#include <string>

#include "framework/kstr.h"
#include "core/kerror.h"

namespace {

void ShowHandlerError(HWND owner, const std::exception& e) {
    std::wstring text;
    if (auto* k = dynamic_cast<const KError*>(&e)) {
        text.assign(k->Message().begin(), k->Message().end());
    } else {
        const char* w = e.what();
        const int n = MultiByteToWideChar(CP_UTF8, 0, w, -1, nullptr, 0);
        if (n > 1) {
            text.resize(static_cast<size_t>(n - 1));
            MultiByteToWideChar(CP_UTF8, 0, w, -1, text.data(), n);
        }
    }
    MessageBoxW(owner, text.c_str(), L"Keyra", MB_OK | MB_ICONERROR);
}

void RegisterButtonClass() {
    static bool done = false;
    if (done) return;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.style = CS_HREDRAW | CS_VREDRAW;  // no CS_DBLCLKS: a quick second press is another press
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.lpszClassName = TKButton::ClassName();
    if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) throw std::bad_alloc();
    kgdi::InstallSysColorResolver();
    done = true;
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

std::function<void(HWND, const std::exception&)> TKButton::ErrorHandler = ShowHandlerError;

TKButton::TKButton(HWND parent, bool visible) {
    RegisterButtonClass();
    parentColor_ = static_cast<kdraw::KColor>(GetSysColor(COLOR_BTNFACE));
    fontHeight_ = -kgdi::PointsToPixels(fontSize_);
    const DWORD style = WS_CHILD | WS_CLIPSIBLINGS | (visible ? WS_VISIBLE : 0);
    hwnd_ = CreateWindowExW(0, ClassName(), L"", style, 0, 0, 100, 22, parent, nullptr, GetModuleHandleW(nullptr),
                            nullptr);
    if (!hwnd_) throw std::bad_alloc();
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TKButton::Proc));
    if (!IsWindowEnabled(hwnd_)) state_ = ksDisabled;
}

TKButton::~TKButton() {
    *alive_ = false;
    if (hwnd_) {
        HWND h = hwnd_;
        SetWindowLongPtrW(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&DefWindowProcW));
        SetWindowLongPtrW(h, GWLP_USERDATA, 0);
        hwnd_ = nullptr;
        if (GetCapture() == h) ReleaseCapture();
        DestroyWindow(h);
    }
}

TKButton* TKButton::FromHandle(HWND hwnd) {
    if (!hwnd || GetWindowLongPtrW(hwnd, GWLP_WNDPROC) != reinterpret_cast<LONG_PTR>(&TKButton::Proc)) return nullptr;
    return reinterpret_cast<TKButton*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
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
    if (!hwnd_) return look_.caption;
    const int n = GetWindowTextLengthW(hwnd_);
    std::wstring buf(static_cast<size_t>(n) + 1, L'\0');
    const int got = GetWindowTextW(hwnd_, buf.data(), n + 1);
    return U(buf.c_str(), static_cast<size_t>(got));
}

void TKButton::SetCaption(const std::u16string& caption) {
    if (hwnd_) SetWindowTextW(hwnd_, W(caption));  // WM_SETTEXT repaints
    else look_.caption = caption;
}

void TKButton::SetFontName(const std::u16string& name) {
    fontName_ = name;
    FontChanged();
}

void TKButton::SetFontSize(int points) {
    fontSize_ = points;
    fontHeight_ = -kgdi::PointsToPixels(points);
    FontChanged();
}

void TKButton::SetFontHeight(int pixels) {
    fontHeight_ = -pixels;
    fontSize_ = MulDiv(pixels, 72, kgdi::PointsToPixels(72));
    FontChanged();
}

void TKButton::FontChanged() {
    font_.Reset();
    Repaint();
}

HFONT TKButton::FontHandle() {
    if (!font_) {
        LOGFONTW lf{};
        lf.lfHeight = fontHeight_;
        lf.lfWeight = FW_NORMAL;
        lf.lfCharSet = DEFAULT_CHARSET;
        const size_t n = fontName_.size() < LF_FACESIZE - 1 ? fontName_.size() : LF_FACESIZE - 1;
        std::memcpy(lf.lfFaceName, fontName_.data(), n * sizeof(wchar_t));
        font_.Reset(CreateFontIndirectW(&lf));
    }
    return font_.Get();
}

bool TKButton::Enabled() const { return hwnd_ && IsWindowEnabled(hwnd_); }
void TKButton::SetEnabled(bool enabled) {
    if (hwnd_) EnableWindow(hwnd_, enabled ? TRUE : FALSE);  // WM_ENABLE updates the state
}
bool TKButton::Visible() const { return hwnd_ && (GetWindowLongPtrW(hwnd_, GWL_STYLE) & WS_VISIBLE); }
void TKButton::SetVisible(bool visible) {
    if (hwnd_) ShowWindow(hwnd_, visible ? SW_SHOWNA : SW_HIDE);
}

void TKButton::SetBounds(int left, int top, int width, int height) {
    if (hwnd_) MoveWindow(hwnd_, left, top, width, height, TRUE);
}

namespace {
RECT BoundsInParent(HWND hwnd) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    MapWindowPoints(HWND_DESKTOP, GetParent(hwnd), reinterpret_cast<POINT*>(&r), 2);
    return r;
}
}  // namespace

int TKButton::Left() const { return hwnd_ ? BoundsInParent(hwnd_).left : 0; }
int TKButton::Top() const { return hwnd_ ? BoundsInParent(hwnd_).top : 0; }
int TKButton::Width() const {
    RECT r{};
    if (hwnd_) GetClientRect(hwnd_, &r);
    return r.right;
}
int TKButton::Height() const {
    RECT r{};
    if (hwnd_) GetClientRect(hwnd_, &r);
    return r.bottom;
}

void TKButton::SetParent(HWND parent) {
    if (hwnd_) ::SetParent(hwnd_, parent);
    Repaint();
}

void TKButton::Repaint() {
    if (hwnd_) InvalidateRect(hwnd_, nullptr, FALSE);
}

// ---- composing and painting ----

const kgdi::DibSection& TKButton::ComposeFace() {
    const int w = Width(), h = Height();
    look_.caption = Caption();
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
    GetClientRect(hwnd_, &r);
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

LRESULT CALLBACK TKButton::Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    TKButton* self = reinterpret_cast<TKButton*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self) return DefWindowProcW(hwnd, msg, wParam, lParam);
    std::shared_ptr<bool> alive = self->alive_;
    try {
        return self->OnMessage(msg, wParam, lParam, alive);
    } catch (const std::exception& e) {
        HWND owner = IsWindow(hwnd) ? GetAncestor(hwnd, GA_ROOT) : nullptr;
        if (ErrorHandler) ErrorHandler(owner, e);
        return 0;
    }
}

LRESULT TKButton::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, const std::shared_ptr<bool>& alive) {
    HWND hwnd = hwnd_;
    const int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
    switch (msg) {
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd, &ps);
            Paint(dc);
            EndPaint(hwnd, &ps);
            return 0;
        }
        case WM_PRINTCLIENT:
            Paint(reinterpret_cast<HDC>(wParam));
            return 0;
        case WM_SETTEXT: {
            const LRESULT r = DefWindowProcW(hwnd, msg, wParam, lParam);
            Repaint();
            return r;
        }
        case WM_SETFONT:
            return 0;
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
            return 0;
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
            return 0;
        }
        case WM_MOUSELEAVE:
            tracking_ = false;
            if (GetCapture() != hwnd && inside_) {
                inside_ = false;
                PointerLeft();
            }
            return 0;
        case WM_LBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
            SetCapture(hwnd);
            if (OnMouseDown) OnMouseDown(mbLeft, x, y);
            if (!*alive) return 0;
            if (state_ != ksDisabled) {
                pressed_ = 1;
                state_ = ksPressed;
                Repaint();
            }
            return 0;
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
            if (OnMouseDown) OnMouseDown(msg == WM_RBUTTONDOWN ? mbRight : mbMiddle, x, y);
            return 0;
        case WM_LBUTTONUP:
            if (GetCapture() == hwnd) {
                releasing_ = true;
                ReleaseCapture();
                releasing_ = false;
            }
            AfterRelease(x, y);
            return 0;
        case WM_RBUTTONUP:
        case WM_MBUTTONUP:
            AfterRelease(x, y);
            if (!*alive) return 0;
            if (msg == WM_RBUTTONUP) break;  // DefWindowProc turns it into WM_CONTEXTMENU
            return 0;
        case WM_CAPTURECHANGED:
            // Capture taken away without a release (a menu, another window): no click.
            if (!releasing_ && pressed_ && reinterpret_cast<HWND>(lParam) != hwnd) {
                pressed_ = 0;
                if (state_ != ksDisabled) state_ = inside_ || select_ ? ksEntered : ksNormal;
                Repaint();
            }
            return 0;
        case WM_CONTEXTMENU: {
            POINT pt{x, y};
            if (x == -1 && y == -1) {  // from the keyboard: the button's centre
                pt = {Width() / 2, Height() / 2};
                ClientToScreen(hwnd, &pt);
            }
            if (OnContextMenu) {
                OnContextMenu(pt);
                return 0;
            }
            if (PopupMenu) {
                TrackPopupMenu(PopupMenu, TPM_LEFTALIGN | TPM_RIGHTBUTTON, pt.x, pt.y, 0, GetAncestor(hwnd, GA_ROOT),
                               nullptr);
                return 0;
            }
            break;
        }
        case WM_NCDESTROY:
            hwnd_ = nullptr;
            break;
        default:
            break;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}
