// A drop-down box, pick-only or editable, optionally sorted.
#include "framework/controls.h"

#include <commctrl.h>

#include "framework/controls_internal.h"
#include "framework/kstr.h"

namespace kf {

using detail::VisibleStyle;
using detail::WindowTextOf;

ComboBox::ComboBox(const ComboBoxArgs& a) : kind_(a.kind), dropRows_(a.dropRows > 0 ? a.dropRows : 8) {
    DWORD style = WS_TABSTOP | WS_VSCROLL | VisibleStyle(a.visible);
    style |= a.kind == ComboKind::PickOnly ? CBS_DROPDOWNLIST : (CBS_DROPDOWN | CBS_AUTOHSCROLL);
    if (a.sorted) style |= CBS_SORT;
    CreateControl(L"COMBOBOX", u"", style, 0, a.parent, a.bounds, nullptr);
    if (a.kind == ComboKind::Editable) {
        COMBOBOXINFO info{};
        info.cbSize = sizeof(info);
        if (GetComboBoxInfo(Handle(), &info)) edit_ = info.hwndItem;
        Attach(edit_);  // typed keys reach the edit part, not the box
    }
    change_ = a.onChange;
    keyFilter_ = a.onKeyTyped;
    SetItems(a.items);
    SetFont(a.font);
}

void ComboBox::SetFont(HFONT font) {
    Control::SetFont(font);
    SizeDropDown();
}

void ComboBox::SizeDropDown() {
    HWND h = Handle();
    if (!h) return;
    SendMessageW(h, CB_SETMINVISIBLE, static_cast<WPARAM>(dropRows_), 0);
    // Older controls size the drop-down from the window's height instead.
    RECT r = BoundsInParent();
    RECT closed{};
    GetWindowRect(h, &closed);
    COMBOBOXINFO info{};
    info.cbSize = sizeof(info);
    int closedHeight = r.bottom - r.top;
    if (GetComboBoxInfo(h, &info)) closedHeight = info.rcButton.bottom + info.rcButton.top;
    const int item = static_cast<int>(SendMessageW(h, CB_GETITEMHEIGHT, 0, 0));
    SetWindowPos(h, nullptr, 0, 0, r.right - r.left, closedHeight + dropRows_ * (item > 0 ? item : 16) + 2,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void ComboBox::SetDropRows(int rows) {
    dropRows_ = rows > 0 ? rows : 1;
    SizeDropDown();
}

std::vector<std::u16string> ComboBox::Items() const {
    std::vector<std::u16string> out;
    const int n = ItemCount();
    out.reserve(static_cast<size_t>(n > 0 ? n : 0));
    for (int i = 0; i < n; ++i) out.push_back(Item(i));
    return out;
}

int ComboBox::ItemCount() const {
    const LRESULT n = SendMessageW(Handle(), CB_GETCOUNT, 0, 0);
    return n == CB_ERR ? 0 : static_cast<int>(n);
}

std::u16string ComboBox::Item(int i) const {
    const LRESULT n = SendMessageW(Handle(), CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
    if (n == CB_ERR) return {};
    std::wstring buf(static_cast<size_t>(n) + 1, L'\0');
    const LRESULT got = SendMessageW(Handle(), CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(buf.data()));
    return got == CB_ERR ? std::u16string() : U(buf.c_str(), static_cast<size_t>(got));
}

void ComboBox::SetItems(const std::vector<std::u16string>& items) {
    const std::u16string text = Text();
    ClearItems();
    for (const auto& item : items) AddItem(item);
    if (kind_ == ComboKind::Editable) SetText(text);
}

int ComboBox::AddItem(const std::u16string& item) {
    return static_cast<int>(SendMessageW(Handle(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(W(item))));
}

int ComboBox::IndexOf(const std::u16string& item) const {
    // CB_FINDSTRINGEXACT ignores letter case; the lists compare exactly.
    const int n = ItemCount();
    for (int i = 0; i < n; ++i)
        if (Item(i) == item) return i;
    return -1;
}

void ComboBox::DeleteItem(int i) {
    if (i >= 0) SendMessageW(Handle(), CB_DELETESTRING, static_cast<WPARAM>(i), 0);
}

void ComboBox::ClearItems() {
    // CB_RESETCONTENT also empties an editable box's text; the lists and the text are apart.
    const std::u16string text = kind_ == ComboKind::Editable ? Text() : std::u16string();
    SendMessageW(Handle(), CB_RESETCONTENT, 0, 0);
    if (kind_ == ComboKind::Editable && !text.empty()) SetText(text);
}

int ComboBox::Selected() const { return static_cast<int>(SendMessageW(Handle(), CB_GETCURSEL, 0, 0)); }
void ComboBox::Select(int i) { SendMessageW(Handle(), CB_SETCURSEL, static_cast<WPARAM>(i), 0); }

std::u16string ComboBox::Text() const {
    if (kind_ == ComboKind::PickOnly) {
        const int sel = Selected();
        return sel >= 0 ? Item(sel) : std::u16string();
    }
    return WindowTextOf(Handle());
}

void ComboBox::SetText(const std::u16string& text) {
    if (kind_ == ComboKind::PickOnly) {
        Select(IndexOf(text));
        return;
    }
    SetWindowTextW(Handle(), W(text));
}

void ComboBox::OnCommand(int code) {
    if (code == CBN_SELCHANGE) {
        // The edit part still shows the old text while the selection changes: take the item.
        if (kind_ == ComboKind::Editable) {
            const int sel = Selected();
            if (sel >= 0) SetWindowTextW(Handle(), W(Item(sel)));
        }
        if (change_) change_();
    } else if (code == CBN_EDITCHANGE) {
        if (change_) change_();
    }
}

}  // namespace kf
