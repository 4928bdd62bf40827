// A plain child window that groups controls over a colour of its own.
#include "framework/controls.h"

#include "framework/controls_internal.h"
#include "framework/kstr.h"

namespace kf {

using detail::VisibleStyle;

Panel::Panel(const PanelArgs& a) : color_(a.color) {
    RegisterWindowClass(L"KPanel", 0);
    Create(L"KPanel", L"", WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | VisibleStyle(a.visible), WS_EX_CONTROLPARENT,
           a.bounds.x, a.bounds.y, a.bounds.width, a.bounds.height, a.parent);
    if (!Handle()) throw std::bad_alloc();
}

Panel::~Panel() {
    Destroy();
    if (brush_) DeleteObject(brush_);
}

void Panel::SetBounds(int x, int y, int width, int height) {
    if (Handle()) MoveWindow(Handle(), x, y, width, height, TRUE);
}

RECT Panel::BoundsInParent() const {
    RECT r{};
    if (!Handle()) return r;
    GetWindowRect(Handle(), &r);
    MapWindowPoints(HWND_DESKTOP, GetParent(Handle()), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

void Panel::SetColor(COLORREF color) {
    color_ = color;
    if (brush_) {
        DeleteObject(brush_);
        brush_ = nullptr;
    }
    if (Handle()) RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void Panel::SetVisible(bool visible) {
    if (Handle()) ShowWindow(Handle(), visible ? SW_SHOWNA : SW_HIDE);
}
bool Panel::Visible() const { return Handle() && (GetWindowLongPtrW(Handle(), GWL_STYLE) & WS_VISIBLE); }
void Panel::BringToFront() {
    if (Handle()) SetWindowPos(Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

bool Panel::OnMessage(UINT msg, WPARAM wParam, LPARAM, LRESULT& result) {
    switch (msg) {
        case WM_ERASEBKGND: {
            if (!brush_) brush_ = CreateSolidBrush(color_);
            RECT r;
            GetClientRect(Handle(), &r);
            FillRect(reinterpret_cast<HDC>(wParam), &r, brush_);
            result = 1;
            return true;
        }
        case WM_PAINT: {
            PAINTSTRUCT ps;
            BeginPaint(Handle(), &ps);
            EndPaint(Handle(), &ps);
            result = 0;
            return true;
        }
        default:
            return false;
    }
}

}  // namespace kf
