// The base of every standard control: binding an object to its window, the parent's
// notifications forwarded to it, and what all controls share (bounds, text, colours).
#include "framework/controls.h"

#include <commctrl.h>

#include <algorithm>
#include <mutex>
#include <unordered_map>

#include "framework/controls_internal.h"
#include "framework/kstr.h"
#include "framework/syslib.h"

namespace kf {

namespace detail {

std::u16string WindowTextOf(HWND hwnd) {
    if (!hwnd) return {};
    const int n = GetWindowTextLengthW(hwnd);
    std::wstring buf(static_cast<size_t>(n) + 1, L'\0');
    const int got = GetWindowTextW(hwnd, buf.data(), n + 1);
    return U(buf.c_str(), static_cast<size_t>(got > 0 ? got : 0));
}

}  // namespace detail

using detail::WindowTextOf;

namespace {

// The common controls (the tooltip class and the standard classes), loaded once from System32.
struct CommonControlsLibrary {
    SystemLibrary library{L"comctl32.dll"};
    decltype(InitCommonControlsEx)* init = library.Proc<decltype(InitCommonControlsEx)>("InitCommonControlsEx");
};

const CommonControlsLibrary& ComCtl() {
    static const CommonControlsLibrary lib;
    return lib;
}

// Which object a subclassed window belongs to, and the procedure it had before. Kept here
// rather than in a window property: under Wine every property read is a server round trip,
// and the common controls' subclassing reads one for every message (a tenfold cost for a
// list filled with a hundred rows).
struct Bound {
    Control* control;
    WNDPROC previous;
};

std::mutex& BindingLock() {
    static std::mutex m;
    return m;
}

std::unordered_map<HWND, Bound>& Bindings() {
    static std::unordered_map<HWND, Bound> map;
    return map;
}

bool FindBinding(HWND hwnd, Bound& out) {
    std::lock_guard<std::mutex> lock(BindingLock());
    auto it = Bindings().find(hwnd);
    if (it == Bindings().end()) return false;
    out = it->second;
    return true;
}

}  // namespace

bool InitCommonControls() {
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
    return ComCtl().init && ComCtl().init(&icc);
}

bool ReflectToControl(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (msg) {
        case WM_COMMAND:
            if (lParam) {
                if (Control* c = Control::FromHandle(reinterpret_cast<HWND>(lParam))) {
                    c->OnCommand(HIWORD(wParam));
                    result = 0;
                    return true;
                }
            }
            return false;
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLORBTN:
            if (Control* c = Control::FromHandle(reinterpret_cast<HWND>(lParam)))
                return c->OnCtlColor(reinterpret_cast<HDC>(wParam), result);
            return false;
        default:
            return false;
    }
}

// ---- Control ----

Control::~Control() {
    {
        // The windows keep our procedure, which from now on only passes messages on: taking it
        // out could cut out a tooltip's subclass installed over it.
        std::lock_guard<std::mutex> lock(BindingLock());
        for (HWND h : attached_) {
            auto it = Bindings().find(h);
            if (it != Bindings().end()) it->second.control = nullptr;
        }
    }
    if (hwnd_ && IsWindow(hwnd_)) DestroyWindow(hwnd_);
    if (brush_) DeleteObject(brush_);
}

Control* Control::FromHandle(HWND hwnd) {
    Bound b{};
    return hwnd && FindBinding(hwnd, b) ? b.control : nullptr;
}

HWND Control::CreateControl(const wchar_t* className, const std::u16string& text, DWORD style, DWORD exStyle,
                            HWND parent, const Bounds& b, HFONT font) {
    hwnd_ = CreateWindowExW(exStyle, className, W(text), style | WS_CHILD | WS_CLIPSIBLINGS, b.x, b.y, b.width, b.height, parent,
                            nullptr, Instance(), nullptr);
    if (!hwnd_) throw std::bad_alloc();
    Attach(hwnd_);
    if (font) SetFont(font);
    return hwnd_;
}

void Control::Attach(HWND hwnd) {
    if (!hwnd) return;
    {
        std::lock_guard<std::mutex> lock(BindingLock());
        auto it = Bindings().find(hwnd);
        if (it != Bindings().end()) {
            it->second.control = this;
        } else {
            // Entered before the procedure is swapped, so that no message finds it unbound.
            Bound& b = Bindings()[hwnd];
            b.control = this;
            b.previous = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hwnd, GWLP_WNDPROC));
            SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SubclassProc));
        }
    }
    attached_.push_back(hwnd);
}

LRESULT CALLBACK Control::SubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    Bound bound{};
    if (!FindBinding(hwnd, bound)) return DefWindowProcW(hwnd, msg, wParam, lParam);
    const WNDPROC previous = bound.previous;
    Control* self = bound.control;
    if (msg == WM_NCDESTROY) {
        {
            std::lock_guard<std::mutex> lock(BindingLock());
            Bindings().erase(hwnd);
        }
        if (self) {
            auto& a = self->attached_;
            a.erase(std::remove(a.begin(), a.end(), hwnd), a.end());
            if (hwnd == self->hwnd_) self->hwnd_ = nullptr;
        }
        return CallWindowProcW(previous, hwnd, msg, wParam, lParam);
    }
    if (!self) return CallWindowProcW(previous, hwnd, msg, wParam, lParam);
    try {
        switch (msg) {
            case WM_CHAR:
                if (self->keyFilter_ && !self->keyFilter_(static_cast<wchar_t>(wParam))) return 0;
                break;
            case WM_KEYDOWN:
                if (self->keyDown_ && self->keyDown_(static_cast<UINT>(wParam))) return 0;
                break;
            case WM_LBUTTONDOWN:
                if (self->clicked_) self->clicked_();
                break;
            default:
                break;
        }
        LRESULT result = 0;
        if (self->OnControlMessage(hwnd, msg, wParam, lParam, result)) return result;
    } catch (const std::exception& e) {
        ShowError(GetAncestor(hwnd, GA_ROOT), e);
        return 0;
    }
    return CallWindowProcW(previous, hwnd, msg, wParam, lParam);
}

void Control::SetBounds(int x, int y, int width, int height) {
    if (hwnd_) MoveWindow(hwnd_, x, y, width, height, TRUE);
}

RECT Control::BoundsInParent() const {
    RECT r{};
    if (!hwnd_) return r;
    GetWindowRect(hwnd_, &r);
    MapWindowPoints(HWND_DESKTOP, GetParent(hwnd_), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

void Control::SetVisible(bool visible) {
    if (hwnd_) ShowWindow(hwnd_, visible ? SW_SHOWNA : SW_HIDE);
}
bool Control::Visible() const { return hwnd_ && (GetWindowLongPtrW(hwnd_, GWL_STYLE) & WS_VISIBLE); }
void Control::SetEnabled(bool enabled) {
    if (hwnd_) EnableWindow(hwnd_, enabled ? TRUE : FALSE);
}
bool Control::Enabled() const { return hwnd_ && IsWindowEnabled(hwnd_); }

void Control::SetFont(HFONT font) {
    font_ = font;
    if (hwnd_) SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

std::u16string Control::Text() const { return WindowTextOf(hwnd_); }
void Control::SetText(const std::u16string& text) {
    if (hwnd_) SetWindowTextW(hwnd_, W(text));
}
void Control::Focus() {
    if (hwnd_) SetFocus(hwnd_);
}
bool Control::HasFocus() const {
    HWND f = GetFocus();
    return f && (f == hwnd_ || std::find(attached_.begin(), attached_.end(), f) != attached_.end());
}
void Control::SetParent(HWND parent) {
    if (hwnd_) ::SetParent(hwnd_, parent);
}
void Control::BringToFront() {
    if (hwnd_) SetWindowPos(hwnd_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void Control::SetTextColor(COLORREF color) {
    textColor_ = color;
    if (hwnd_) InvalidateRect(hwnd_, nullptr, TRUE);
}

void Control::SetBackColor(COLORREF color) {
    backColor_ = color;
    if (brush_) {
        DeleteObject(brush_);
        brush_ = nullptr;
    }
    if (hwnd_) InvalidateRect(hwnd_, nullptr, TRUE);
}

bool Control::OnCtlColor(HDC dc, LRESULT& result) {
    COLORREF back = backColor_;
    // Without a colour of its own a control takes the colour of the panel it sits on.
    if (back == kNoColor && hwnd_) {
        if (auto* panel = dynamic_cast<Panel*>(Window::FromHandle(GetParent(hwnd_)))) back = panel->Color();
    }
    if (textColor_ == kNoColor && back == kNoColor) return false;
    if (textColor_ != kNoColor) ::SetTextColor(dc, textColor_);
    if (back == kNoColor) {
        // Only the text colour is ours: the system's window colour behind it.
        const bool edit = GetWindowLongPtrW(hwnd_, GWL_STYLE) & ES_READONLY ? false : true;
        const int sys = edit ? COLOR_WINDOW : COLOR_BTNFACE;
        SetBkColor(dc, GetSysColor(sys));
        result = reinterpret_cast<LRESULT>(GetSysColorBrush(sys));
        return true;
    }
    if (!brush_ || back != backColor_) {
        if (brush_) DeleteObject(brush_);
        brush_ = CreateSolidBrush(back);
    }
    SetBkColor(dc, back);
    result = reinterpret_cast<LRESULT>(brush_);
    return true;
}

}  // namespace kf
