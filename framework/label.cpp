// A static text, optionally clickable, that can size itself to its text.
#include "framework/controls.h"

#include "framework/controls_internal.h"
#include "framework/kstr.h"

namespace kf {

using detail::VisibleStyle;

Label::Label(const LabelArgs& a) {
    DWORD style = SS_LEFT | SS_NOPREFIX | VisibleStyle(a.visible);
    if (a.onClicked) style |= SS_NOTIFY;
    CreateControl(L"STATIC", a.text, style, 0, a.parent, a.bounds, a.font);
    onClicked_ = a.onClicked;
    if (a.textColor != kNoColor) SetTextColor(a.textColor);
    if (a.backColor != kNoColor) SetBackColor(a.backColor);
}

SIZE Label::AutoSize() {
    SIZE s{0, 0};
    HWND h = Handle();
    if (!h) return s;
    HDC dc = GetDC(h);
    HGDIOBJ old = SelectObject(dc, Font() ? Font() : GetStockObject(DEFAULT_GUI_FONT));
    const std::u16string text = Text();
    RECT r{0, 0, 0, 0};
    DrawTextW(dc, W(text), static_cast<int>(text.size()), &r, DT_CALCRECT | DT_NOPREFIX | DT_SINGLELINE);
    if (text.empty()) {
        TEXTMETRICW tm{};
        GetTextMetricsW(dc, &tm);
        r.bottom = tm.tmHeight;
    }
    SelectObject(dc, old);
    ReleaseDC(h, dc);
    s = {r.right - r.left, r.bottom - r.top};
    RECT b = BoundsInParent();
    SetBounds(b.left, b.top, s.cx, s.cy);
    return s;
}

void Label::OnCommand(int code) {
    if (code == STN_CLICKED && onClicked_) onClicked_();
}

}  // namespace kf
