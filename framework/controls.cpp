#include "framework/controls.h"

#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <unordered_map>

#include "framework/kstr.h"
#include "framework/syslib.h"

namespace kf {

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

// The common dialogs, loaded at the first dialog rather than at start.
const SystemLibrary& CommonDialogs() {
    static const SystemLibrary lib{L"comdlg32.dll"};
    return lib;
}

std::u16string WindowTextOf(HWND hwnd) {
    if (!hwnd) return {};
    const int n = GetWindowTextLengthW(hwnd);
    std::wstring buf(static_cast<size_t>(n) + 1, L'\0');
    const int got = GetWindowTextW(hwnd, buf.data(), n + 1);
    return U(buf.c_str(), static_cast<size_t>(got > 0 ? got : 0));
}

DWORD VisibleStyle(bool visible) { return visible ? WS_VISIBLE : 0; }

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

// ---- Label ----

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

// ---- Edit ----

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

// ---- ListBox ----

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

// ---- ComboBox ----

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

// ---- CheckBox ----

CheckBox::CheckBox(const CheckBoxArgs& a) {
    CreateControl(L"BUTTON", a.text, BS_AUTOCHECKBOX | WS_TABSTOP | VisibleStyle(a.visible), 0, a.parent, a.bounds,
                  a.font);
    onClicked_ = a.onClicked;
    if (a.backColor != kNoColor) SetBackColor(a.backColor);
}

bool CheckBox::Checked() const { return SendMessageW(Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED; }
void CheckBox::SetChecked(bool checked) {
    SendMessageW(Handle(), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void CheckBox::OnCommand(int code) {
    if (code == BN_CLICKED && onClicked_) onClicked_();
}

// ---- Panel ----

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

// ---- dialogs ----

bool PickColor(HWND owner, COLORREF& color, COLORREF (&custom)[16]) {
    CHOOSECOLORW cc{};
    cc.lStructSize = sizeof(cc);
    cc.hwndOwner = owner;
    cc.rgbResult = color;
    cc.lpCustColors = custom;
    cc.Flags = CC_RGBINIT;
    auto* choose = CommonDialogs().Proc<decltype(ChooseColorW)>("ChooseColorW");
    if (!choose || !choose(&cc)) return false;
    color = cc.rgbResult;
    return true;
}

std::u16string PickFileToOpen(HWND owner, const std::u16string& filter) {
    std::wstring f(filter.begin(), filter.end());
    for (auto& ch : f)
        if (ch == L'|') ch = L'\0';
    f.push_back(L'\0');
    f.push_back(L'\0');
    std::wstring file(32768, L'\0');
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof(ofn);
    ofn.hwndOwner = owner;
    ofn.lpstrFilter = f.c_str();
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    // The dialog must not move the current folder: a later load could be searched there.
    ofn.Flags = OFN_HIDEREADONLY | OFN_ENABLESIZING | OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
    auto* open = CommonDialogs().Proc<decltype(GetOpenFileNameW)>("GetOpenFileNameW");
    if (!open || !open(&ofn)) return {};
    return U(file.c_str());
}

namespace {
int CALLBACK CollectFont(const LOGFONTW* lf, const TEXTMETRICW*, DWORD, LPARAM param) {
    if (lf->lfFaceName[0] != L'@') reinterpret_cast<std::vector<std::u16string>*>(param)->push_back(U(lf->lfFaceName));
    return 1;
}
}  // namespace

std::vector<std::u16string> ScreenFontNames() {
    std::vector<std::u16string> names;
    HDC dc = GetDC(nullptr);
    LOGFONTW lf{};
    lf.lfCharSet = DEFAULT_CHARSET;
    EnumFontFamiliesExW(dc, &lf, CollectFont, reinterpret_cast<LPARAM>(&names), 0);
    ReleaseDC(nullptr, dc);
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    return names;
}

}  // namespace kf
