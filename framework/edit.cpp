// A one-line edit box or the multi-line memo, with a tooltip for its hint.
#include "framework/controls.h"

#include <commctrl.h>

#include "framework/controls_internal.h"
#include "framework/kstr.h"

namespace kf {

using detail::VisibleStyle;

Edit::Edit(const EditArgs& a) {
    DWORD style = WS_TABSTOP | VisibleStyle(a.visible);
    if (a.multiline)
        style |= ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL | WS_VSCROLL;
    else
        style |= ES_AUTOHSCROLL;
    if (a.digitsOnly) style |= ES_NUMBER;
    if (a.password) style |= ES_PASSWORD;
    CreateControl(L"EDIT", a.text, style, a.border ? WS_EX_CLIENTEDGE : 0, a.parent, a.bounds, a.font);
    // No limit of our own unless asked: the default of 32767 characters would cut long memos.
    SendMessageW(Handle(), EM_SETLIMITTEXT, static_cast<WPARAM>(a.maxLength > 0 ? a.maxLength : 0), 0);
    changed_ = a.onTextChanged;
    keyFilter_ = a.onKeyTyped;
    keyDown_ = a.onKeyDown;
    clicked_ = a.onClicked;
}

Edit::~Edit() {
    if (tip_ && IsWindow(tip_)) DestroyWindow(tip_);
}

void Edit::SetPasswordChar(wchar_t ch) {
    if (!Handle()) return;
    SendMessageW(Handle(), EM_SETPASSWORDCHAR, ch, 0);
    InvalidateRect(Handle(), nullptr, TRUE);
}

void Edit::SetCaret(int position) {
    if (!Handle()) return;
    const int end = GetWindowTextLengthW(Handle());
    const int p = position < 0 || position > end ? end : position;
    SendMessageW(Handle(), EM_SETSEL, static_cast<WPARAM>(p), static_cast<LPARAM>(p));
}

void Edit::SetHint(const std::u16string& hint, bool show) {
    hint_ = hint;
    hintShown_ = show;
    HWND h = Handle();
    if (!h) return;
    TOOLINFOW ti{};
    ti.cbSize = sizeof(ti);
    ti.hwnd = GetParent(h);
    ti.uId = reinterpret_cast<UINT_PTR>(h);
    ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    ti.lpszText = const_cast<wchar_t*>(W(hint_));
    if (!tip_) {
        tip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                               CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, GetAncestor(h, GA_ROOT),
                               nullptr, Instance(), nullptr);
        if (!tip_) return;
        SendMessageW(tip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
    } else {
        SendMessageW(tip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&ti));
    }
    SendMessageW(tip_, TTM_ACTIVATE, show && !hint_.empty() ? TRUE : FALSE, 0);
}

void Edit::OnCommand(int code) {
    if (code == EN_CHANGE && changed_) changed_();
}

bool Edit::OnControlMessage(HWND, UINT msg, WPARAM wParam, LPARAM, LRESULT& result) {
    // Ctrl+A selects all in a one-line box too.
    if (msg == WM_CHAR && wParam == 1 && !(GetWindowLongPtrW(Handle(), GWL_STYLE) & ES_MULTILINE)) {
        SendMessageW(Handle(), EM_SETSEL, 0, -1);
        result = 0;
        return true;
    }
    return false;
}

}  // namespace kf
