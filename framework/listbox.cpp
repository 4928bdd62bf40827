// A list box of text rows.
#include "framework/controls.h"

#include "framework/controls_internal.h"
#include "framework/kstr.h"

namespace kf {

using detail::VisibleStyle;

ListBox::ListBox(const ListBoxArgs& a) {
    const DWORD style = WS_VSCROLL | WS_TABSTOP | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | VisibleStyle(a.visible);
    CreateControl(L"LISTBOX", u"", style, WS_EX_CLIENTEDGE, a.parent, a.bounds, a.font);
    if (a.itemHeight > 0) SetItemHeight(a.itemHeight);
    selChange_ = a.onSelChange;
    keyDown_ = a.onKeyDown;
    keyFilter_ = a.onKeyTyped;
}

void ListBox::SetRows(const std::vector<std::u16string>& rows) {
    HWND h = Handle();
    SendMessageW(h, WM_SETREDRAW, FALSE, 0);
    SendMessageW(h, LB_RESETCONTENT, 0, 0);
    for (const auto& row : rows) SendMessageW(h, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(W(row)));
    SendMessageW(h, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(h, nullptr, TRUE);
}

void ListBox::SetRow(int row, const std::u16string& text) {
    HWND h = Handle();
    if (row < 0 || row >= Count()) return;
    const int selected = Selected();
    const int topIndex = static_cast<int>(SendMessageW(h, LB_GETTOPINDEX, 0, 0));
    SendMessageW(h, WM_SETREDRAW, FALSE, 0);
    SendMessageW(h, LB_DELETESTRING, static_cast<WPARAM>(row), 0);
    SendMessageW(h, LB_INSERTSTRING, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(W(text)));
    if (selected == row) SendMessageW(h, LB_SETCURSEL, static_cast<WPARAM>(row), 0);
    SendMessageW(h, LB_SETTOPINDEX, static_cast<WPARAM>(topIndex), 0);
    SendMessageW(h, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(h, nullptr, TRUE);
}

std::u16string ListBox::Row(int row) const {
    const LRESULT n = SendMessageW(Handle(), LB_GETTEXTLEN, static_cast<WPARAM>(row), 0);
    if (n == LB_ERR) return {};
    std::wstring buf(static_cast<size_t>(n) + 1, L'\0');
    const LRESULT got = SendMessageW(Handle(), LB_GETTEXT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(buf.data()));
    return got == LB_ERR ? std::u16string() : U(buf.c_str(), static_cast<size_t>(got));
}

int ListBox::Count() const { return static_cast<int>(SendMessageW(Handle(), LB_GETCOUNT, 0, 0)); }
int ListBox::Selected() const { return static_cast<int>(SendMessageW(Handle(), LB_GETCURSEL, 0, 0)); }
void ListBox::Select(int row) { SendMessageW(Handle(), LB_SETCURSEL, static_cast<WPARAM>(row), 0); }
void ListBox::SetItemHeight(int height) { SendMessageW(Handle(), LB_SETITEMHEIGHT, 0, height); }

void ListBox::OnCommand(int code) {
    if (code == LBN_SELCHANGE && selChange_) selChange_();
}

}  // namespace kf
