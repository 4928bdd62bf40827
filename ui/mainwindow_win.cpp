#include "ui/mainwindow_win.h"

#include <commctrl.h>
#include <htmlhelp.h>
#include <shellapi.h>

#include <cstring>

#include "controls/buttonbank_win.h"
#include "controls/kbutton_win.h"
#include "framework/kstr.h"
#include "input/clipboard_win.h"
#include "input/paste.h"
#include "input/zdinput_win.h"
#include "resources/resource.h"
#include "core/kerror.h"
#include "storage/kini.h"
#include "ui/snap_win.h"

namespace {
constexpr wchar_t kClassName[] = L"TFKeyra";
constexpr int kBankSize = 40;
constexpr int kListItemHeight = 16;

// Bank positions used by this window (Index = position + 1).
constexpr int kPosHelp = 0;
constexpr int kPosMinimize = 1;
constexpr int kPosClose = 2;
constexpr int kPosFirstGroup = 10;
constexpr int kPosFirstField = 30;
constexpr int kIndexHelp = 1;
constexpr int kIndexMinimize = 2;
constexpr int kIndexClose = 3;

const char16_t* const kFieldCaptions[4] = {u"title", u"id", u"pass", u"url"};

std::u16string WindowText(HWND hwnd) {
    int n = GetWindowTextLengthW(hwnd);
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    n = GetWindowTextW(hwnd, text.data(), n + 1);
    return U(text.c_str(), static_cast<size_t>(n > 0 ? n : 0));
}

std::u16string Decimal(int v) {
    const std::string s = std::to_string(v);
    return std::u16string(s.begin(), s.end());
}
}  // namespace

TFKeyra::TFKeyra() = default;

TFKeyra::~TFKeyra() { ReleaseAll(); }

bool TFKeyra::Start() {
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
    kgdi::InstallSysColorResolver();
    kf::RegisterWindowClass(kClassName, 0, nullptr, LoadIconW(kf::Instance(), MAKEINTRESOURCEW(IDI_KEYRA)));
    // Borderless and always on top; the caption bits are removed on purpose.
    HWND hwnd = Create(kClassName, L"Keyra", WS_POPUP | WS_CLIPCHILDREN | WS_SYSMENU | WS_MINIMIZEBOX, WS_EX_TOPMOST,
                       left_, top_, 200, 400);
    if (!hwnd) return false;
    SetWindowLongPtrW(hwnd, GWL_STYLE, GetWindowLongPtrW(hwnd, GWL_STYLE) & ~static_cast<LONG_PTR>(WS_CAPTION));
    CreateControls();
    if (!FormCreate()) {
        Destroy();
        return false;
    }
    ShowWindow(hwnd, SW_SHOW);
    UpdateWindow(hwnd);
    SetFocus(list_);
    return true;
}

void TFKeyra::CreateControls() {
    HWND form = Handle();
    captionFont_ = kgdi::Font(CreateFontW(-13, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                          CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, L"Tahoma"));
    caption_ = CreateWindowExW(0, L"STATIC", L"Keyra", WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 6, 3, 60, 16,
                               form, reinterpret_cast<HMENU>(kIdCaption), kf::Instance(), nullptr);
    SendMessageW(caption_, WM_SETFONT, reinterpret_cast<WPARAM>(captionFont_.Get()), FALSE);

    list_ = CreateWindowExW(WS_EX_CLIENTEDGE, L"LISTBOX", nullptr,
                            WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT, 4, 50,
                            100, 165, form, reinterpret_cast<HMENU>(kIdList), kf::Instance(), nullptr);
    for (int k = 0; k < 4; ++k) {
        edits_[k] = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", nullptr,
                                    WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL, 0, 0, 10, 10, form,
                                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(kIdEditTitle + k)), kf::Instance(),
                                    nullptr);
    }
    memo_ = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", nullptr,
                            WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_WANTRETURN |
                                ES_AUTOVSCROLL,
                            0, 0, 10, 10, form, reinterpret_cast<HMENU>(kIdMemo), kf::Instance(), nullptr);
    // No length limit of our own: the default of 32767 characters would cut long memos.
    for (HWND e : edits_) SendMessageW(e, EM_SETLIMITTEXT, 0, 0);
    SendMessageW(memo_, EM_SETLIMITTEXT, 0, 0);

    for (HWND child : {list_, edits_[0], edits_[1], edits_[2], edits_[3], memo_})
        SetWindowSubclass(child, ChildProc, 1, reinterpret_cast<DWORD_PTR>(this));
}

bool TFKeyra::FormCreate() {
    activated_ = 0;
    drag_ = 0;
    engine_ = std::make_unique<KEngine>();
    wchar_t path[MAX_PATH * 4];
    DWORD n = GetModuleFileNameW(nullptr, path, static_cast<DWORD>(std::size(path)));
    engine_->SetExecutablePath(U(path, n));
    engine_->ScreenWidth = GetSystemMetrics(SM_CXSCREEN);
    engine_->ScreenHeight = GetSystemMetrics(SM_CYSCREEN);
    if (engine_->CaptionFromBaseName()) SetWindowTextW(caption_, W(engine_->BaseName));
    snapper_ = std::make_unique<TWindowSnapper>();
    bank_ = std::make_unique<TButtonBank>(kBankSize, Handle());
    generator_ = std::make_unique<KGeneratorSeam>();
    table_ = std::make_unique<KIdTable>();
    options_ = std::make_unique<KOptionsPanelSeam>();
    ops_ = std::make_unique<KEntryOps>(*engine_, *table_, static_cast<KEntryView&>(*this),
                                       static_cast<KEntryServices&>(*this));

    bool loaded = false;
    try {
        loaded = engine_->LoadAll(*table_, *this);
    } catch (const std::exception& e) {
        // A file we could not read must never be saved over from a half-loaded state.
        kf::ShowError(Handle(), e);
        loaded = false;
    }
    if (!loaded) {
        kf::ShowMessage(Handle(), L"Keyra を終了します");
        ReleaseAll();
        return false;
    }

    bank_->OnButton = [this](int index) { OnBankButton(index); };
    for (int pos = 0; pos < kBankSize; ++pos) {
        TKButton& b = bank_->Button(pos);
        b.SetParentColor(static_cast<kdraw::KColor>(paintColor_));
        // A press on our own button is the home point at once: the click watch may report it
        // only after the button has already fired and the paste has used the old point.
        b.OnMouseDown = [this, bankDown = b.OnMouseDown](int button, int x, int y) {
            if (bankDown) bankDown(button, x, y);
            if (button == TKButton::mbLeft && engine_) {
                POINT p;
                GetCursorPos(&p);
                engine_->HomeX = p.x;
                engine_->HomeY = p.y;
            }
        };
        b.OnContextMenu = [this, pos](POINT screen) {
            if (pos >= kPosFirstField && pos < kPosFirstField + 4)
                PMenuButtonPopupAndRun(screen);
            else
                PMenuMainPopupAndRun(screen);
        };
    }
    ArrangeControls();
    ops_->Start();
    return true;
}

void TFKeyra::ArrangeControls() {
    KEngine& e = *engine_;
    userFont_ = kgdi::CreatePointFont(e.FontName, e.FontSize);
    const SIZE pass = kgdi::MeasureText(userFont_.Get(), u"pass");
    const SIZE title = kgdi::MeasureText(userFont_.Get(), u"title");
    const int w = FieldButtonWidth(pass.cx, title.cx);
    int h = 0;
    {
        HDC dc = GetDC(nullptr);
        HGDIOBJ old = SelectObject(dc, userFont_.Get());
        TEXTMETRICW tm{};
        GetTextMetricsW(dc, &tm);
        SelectObject(dc, old);
        ReleaseDC(nullptr, dc);
        // The height of a one-line edit box with a sunken border in this font.
        h = tm.tmHeight + 8;
    }
    const int n = ops_->GroupButtonCount();
    layout_ = ComputeMainLayout(w, h, n, e.ListHeight, e.MemoHeight);

    TButtonBank& bank = *bank_;
    bank.TitleFace = e.FormColor;
    bank.TitleText = 0xFFFFFF;
    bank.GroupFace = e.ButtonColor;
    bank.GroupText = e.ButtonShortTextColor;
    bank.ColumnFace = e.ButtonColor;
    bank.ColumnText = e.ButtonLongTextColor;
    for (int pos = 0; pos < kBankSize; ++pos) bank.Button(pos).SetParentColor(static_cast<kdraw::KColor>(paintColor_));

    // Title row: help (hidden here), minimize, close.
    bank.X = layout_.formWidth - 56;
    bank.Y = 3;
    bank.PlaceTitleRow(3, 16, 16);
    bank.Button(kPosMinimize).LoadGlyph(kf::Instance(), IDB_MINIMIZE);
    bank.Button(kPosClose).LoadGlyph(kf::Instance(), IDB_CLOSE);
    bank.Button(kPosHelp).SetVisible(false);

    // Group row.
    bank.X = 4;
    bank.Y = 16 + 6;
    for (int pos = kPosFirstGroup; pos < kPosFirstGroup + 10; ++pos) bank.Button(pos).SetVisible(false);
    bank.PlaceGroupRow(n + 1, h, w);
    for (int k = 0; k <= n; ++k) {
        TKButton& b = bank.Button(kPosFirstGroup + k);
        b.SetCaption(k < n ? Decimal(e.GroupOffset + k + 1) : std::u16string(u"OP"));
        b.SetFontName(e.FontName);
        b.SetFontSize(e.FontSize);
        b.SetVisible(true);
    }

    const KMainLayout& l = layout_;
    SendMessageW(list_, WM_SETFONT, reinterpret_cast<WPARAM>(userFont_.Get()), FALSE);
    const int textHeight = h - 8;
    SendMessageW(list_, LB_SETITEMHEIGHT, 0, std::max(kListItemHeight, textHeight));
    MoveWindow(list_, l.list.left, l.list.top, l.list.width, l.list.height, TRUE);

    bank.X = 4;
    bank.Y = l.fieldButtons[0].top;
    bank.PlaceColumn(4, h, w);
    for (int k = 0; k < 4; ++k) {
        TKButton& b = bank.Button(kPosFirstField + k);
        b.SetCaption(kFieldCaptions[k]);
        b.SetFontName(e.FontName);
        b.SetFontSize(e.FontSize);
    }
    for (int k = 0; k < 4; ++k) {
        SendMessageW(edits_[k], WM_SETFONT, reinterpret_cast<WPARAM>(userFont_.Get()), FALSE);
        MoveWindow(edits_[k], l.edits[k].left, l.edits[k].top, l.edits[k].width, l.edits[k].height, TRUE);
    }
    SendMessageW(memo_, WM_SETFONT, reinterpret_cast<WPARAM>(userFont_.Get()), FALSE);
    MoveWindow(memo_, l.memo.left, l.memo.top, l.memo.width, l.memo.height, TRUE);

    // The caption label keeps its place; it only takes the width of its text.
    const SIZE cap = kgdi::MeasureText(captionFont_.Get(), WindowText(caption_));
    MoveWindow(caption_, 6, 3, cap.cx, cap.cy, TRUE);

    SetWindowPos(Handle(), nullptr, 0, 0, l.formWidth, l.formHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(Handle(), nullptr, TRUE);
}

void TFKeyra::FormActivate() {
    if (activated_ || !engine_) return;
    activated_ = 1;
    clickWatch_ = std::make_unique<KMouseWatch>(kf::Instance(), Handle());
    engine_->ClickWatch = clickWatch_.get();
    clickWatch_->Start();
}

bool TFKeyra::FormClose() {
    if (!engine_) return true;
    if (options_->IsOpen()) options_->CloseAndApply();
    try {
        engine_->SaveAll(*table_, *this);
    } catch (const std::exception& e) {
        // The old file is still intact and everything is in memory: stay open so the user can retry.
        kf::ShowError(Handle(), e);
        return false;
    }
    ReleaseAll();
    return true;
}

void TFKeyra::EndSession() {
    if (!engine_) return;
    // Take what is being typed into the entry too, so a log-off does not lose it.
    ops_->StoreCurrent();
    try {
        engine_->SaveAll(*table_, *this);
    } catch (const std::exception& e) {
        kf::ShowError(Handle(), e);
    }
}

void TFKeyra::ReleaseAll() {
    // Fixed order: nothing is freed while something that uses it is still alive.
    generator_.reset();
    if (engine_) engine_->ClickWatch = nullptr;
    clickWatch_.reset();
    ops_.reset();
    engine_.reset();
    table_.reset();
    bank_.reset();
    snapper_.reset();
    options_.reset();
}

void TFKeyra::FormPaint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(Handle(), &ps);
    RECT rc;
    GetClientRect(Handle(), &rc);
    kgdi::PaintFormFrame(dc, rc.right, rc.bottom, static_cast<kdraw::KColor>(paintColor_));
    EndPaint(Handle(), &ps);
}

void TFKeyra::OnBankButton(int index) {
    if (!ops_) return;
    if (ops_->OnBankButton(index)) return;  // page switch, group and field buttons
    switch (index) {
        case kIndexHelp:
            ShowHelp();
            return;
        case kIndexMinimize:
            SendMessageW(Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
            InvalidateRect(Handle(), nullptr, TRUE);
            kf::PumpMessages();
            return;
        case kIndexClose:
            ops_->StoreCurrent();
            PostMessageW(Handle(), WM_CLOSE, 0, 0);
            return;
        default:
            break;
    }
    if (index == ops_->GroupButtonCount() + 11 && ops_->OptionsButton()) {
        generator_->Hide();
        options_->Open();
    }
}

void TFKeyra::CloseFromMenu() {
    // The menu closes like the close button: what is being typed is kept too.
    if (ops_) ops_->StoreCurrent();
    PostMessageW(Handle(), WM_CLOSE, 0, 0);
}

void TFKeyra::ShowHelp() {
    if (!engine_) return;
    // A missing help file is not an error.
    if (GetFileAttributesW(W(engine_->HelpPath)) == INVALID_FILE_ATTRIBUTES) return;
    HtmlHelpW(Handle(), W(engine_->HelpPath), HH_DISPLAY_TOC, 0);
}

void TFKeyra::CaptureClickTarget(POINT p, HWND window) {
    if (!engine_) return;
    HWND outer = window;
    for (int i = 0; i < 16 && outer; ++i) {
        HWND parent = GetParent(outer);
        if (!parent) break;
        outer = parent;
    }
    DWORD pid = 0;
    if (outer) GetWindowThreadProcessId(outer, &pid);
    // Decided by the window under the press, not by which window is in front when the report
    // arrives: the press itself may not have activated its window yet.
    if (!outer || pid != GetCurrentProcessId()) {
        engine_->TargetX = p.x;
        engine_->TargetY = p.y;
        engine_->TargetWindow = reinterpret_cast<std::uintptr_t>(outer);
        engine_->MemoTarget = 0;
    } else if (!generator_->Owns(outer)) {
        engine_->HomeX = p.x;
        engine_->HomeY = p.y;
    }
    // Recorded before pending messages run, so a later press handled meanwhile is not
    // overwritten by this earlier one.
    kf::PumpMessages();
}

// The bare surface moves the window: the press captures the mouse, moves follow it, and
// the release ends the drag. A press and release without moving is a click on the window.
void TFKeyra::FormMouseDown() {
    GetCursorPos(&press_);
    RECT rc;
    GetWindowRect(Handle(), &rc);
    dragOrigin_ = {rc.left, rc.top};
    drag_ = 1;
    SetCapture(Handle());
}

void TFKeyra::FormMouseMove() {
    if (!drag_) return;
    POINT cursor;
    GetCursorPos(&cursor);
    SetWindowPos(Handle(), nullptr, dragOrigin_.x + cursor.x - press_.x, dragOrigin_.y + cursor.y - press_.y, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TFKeyra::FormMouseUp() {
    if (!drag_) return;
    FormMouseMove();
    ReleaseCapture();  // WM_CAPTURECHANGED ends the drag
}

void TFKeyra::DragEnded() {
    drag_ = 0;
    POINT cursor;
    GetCursorPos(&cursor);
    if (cursor.x == press_.x && cursor.y == press_.y) {
        OnBankButton(0);  // a click on the bare window switches the group page
    } else if (snapper_) {
        snapper_->SnapToNeighbour(Handle());
    }
    KeepTopOnScreen();
}

void TFKeyra::KeepTopOnScreen() {
    RECT rc;
    if (GetWindowRect(Handle(), &rc) && rc.top < 0)
        SetWindowPos(Handle(), nullptr, rc.left, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TFKeyra::PMenuMainPopupAndRun(POINT screen) {
    if (!engine_) return;
    kf::PopupMenu menu;
    const bool panel = options_->IsOpen();
    menu.items = {
        {kMenuGen, L"パスワード生成(&p)", L"", !panel, generator_->IsOpen()},
        {kMenuChangeGroup, L"グループの切り替え(&G)", L"", !panel, false},
        {0, L"-", L"", true, false},
        {kMenuHelp, L"ヘルプ(&H)", L"", true, false},
        {kMenuExit, L"終了(&X)", L"", true, false},
    };
    switch (menu.Show(Handle(), screen)) {
        case kMenuGen:
            generator_->Toggle();
            break;
        case kMenuChangeGroup:
            ops_->TogglePage();
            break;
        case kMenuHelp:
            ShowHelp();
            break;
        case kMenuExit:
            CloseFromMenu();
            break;
        default:
            break;
    }
}

void TFKeyra::PMenuListPopupAndRun(POINT screen) {
    if (!ops_) return;
    const KListMenuState state = ops_->PMenuListPopup(ClipboardHasEntry(Handle()));
    kf::PopupMenu menu;
    menu.items = {
        {kListCopy, L"コピー(&C)", L"Ctrl+C", state.Copy, false},
        {kListPaste, L"貼り付け(&P)", L"Ctrl+V", state.Paste, false},
        {0, L"-", L"", true, false},
        {kListDelete, L"削除(&D)", L"Del", state.Delete, false},
        {kListUndo, L"元に戻す(&U)", L"", state.Undo, false},
    };
    const int tag = menu.Show(Handle(), screen);
    if (tag && ops_) ops_->PMenuListClick(tag);
}

void TFKeyra::PMenuButtonPopupAndRun(POINT screen) {
    if (!ops_) return;
    kf::PopupMenu menu;
    menu.items = {{1, L"コピー(&C)", L"", true, false}};
    if (menu.Show(Handle(), screen) == 1 && ops_) ops_->PMenuButtonClick(bank_->LastIndex);
}

bool TFKeyra::ListKey(WPARAM key) {
    if (!ops_) return false;
    const bool ctrl = (GetKeyState(VK_CONTROL) & 0x8000) != 0;
    int tag = 0;
    if (ctrl && key == 'C') tag = kListCopy;
    else if (ctrl && key == 'V') tag = kListPaste;
    else if (!ctrl && key == VK_DELETE) tag = kListDelete;
    if (!tag) return false;
    ops_->PMenuListClick(tag);
    return true;
}

void TFKeyra::FocusNext(HWND from, bool backwards) {
    HWND order[] = {list_, edits_[0], edits_[1], edits_[2], edits_[3], memo_};
    constexpr int count = static_cast<int>(std::size(order));
    for (int i = 0; i < count; ++i) {
        if (order[i] != from) continue;
        SetFocus(order[(i + (backwards ? count - 1 : 1)) % count]);
        return;
    }
}

LRESULT CALLBACK TFKeyra::ChildProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR ref) {
    auto* self = reinterpret_cast<TFKeyra*>(ref);
    try {
        switch (msg) {
            case WM_KEYDOWN:
                if (wParam == VK_TAB && hwnd != self->memo_) {
                    self->FocusNext(hwnd, (GetKeyState(VK_SHIFT) & 0x8000) != 0);
                    return 0;
                }
                if (hwnd == self->list_ && self->ListKey(wParam)) return 0;
                break;
            case WM_CHAR:
                // Tab moves between the fields (handled on key down); Ctrl+C/V on the list are entries.
                if (wParam == L'\t' && hwnd != self->memo_) return 0;
                if (hwnd == self->list_ && (wParam == 3 || wParam == 22)) return 0;
                break;
            case WM_LBUTTONDOWN:
                if (hwnd == self->memo_ && self->ops_) self->ops_->MemoIDClick();
                break;
            case WM_NCDESTROY:
                RemoveWindowSubclass(hwnd, ChildProc, 1);
                break;
            default:
                break;
        }
    } catch (const std::exception& e) {
        kf::ShowError(self->Handle(), e);
        return 0;
    }
    return DefSubclassProc(hwnd, msg, wParam, lParam);
}

bool TFKeyra::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (msg) {
        case WM_PAINT:
            FormPaint();
            result = 0;
            return true;
        case WM_ERASEBKGND:
            result = 1;
            return true;
        case WM_LBUTTONDOWN:
            FormMouseDown();
            result = 0;
            return true;
        case WM_MOUSEMOVE:
            FormMouseMove();
            result = 0;
            return true;
        case WM_LBUTTONUP:
            FormMouseUp();
            result = 0;
            return true;
        case WM_CAPTURECHANGED:
            if (drag_) DragEnded();
            result = 0;
            return true;
        case WM_NCHITTEST:
            // Whatever moves the window, its top never stays above the screen.
            KeepTopOnScreen();
            return false;
        case WM_ACTIVATE:
            if (LOWORD(wParam) != WA_INACTIVE) FormActivate();
            return false;
        case WM_COMMAND: {
            if (!ops_) return false;
            const int id = LOWORD(wParam);
            const int code = HIWORD(wParam);
            if (id == kIdList && code == LBN_SELCHANGE) ops_->ListBoxIDClick();
            else if (id == kIdEditTitle && code == EN_CHANGE) ops_->EditTitleChange();
            result = 0;
            return true;
        }
        case WM_CTLCOLORSTATIC:
            if (reinterpret_cast<HWND>(lParam) == caption_) {
                HDC dc = reinterpret_cast<HDC>(wParam);
                SetTextColor(dc, RGB(255, 255, 255));
                SetBkColor(dc, paintColor_);
                if (!paintBrush_) paintBrush_ = kgdi::Brush(CreateSolidBrush(paintColor_));
                result = reinterpret_cast<LRESULT>(paintBrush_.Get());
                return true;
            }
            return false;
        case WM_CONTEXTMENU: {
            POINT screen{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            if (screen.x == -1 && screen.y == -1) {  // from the keyboard
                RECT rc;
                GetWindowRect(reinterpret_cast<HWND>(wParam), &rc);
                screen = {rc.left + 8, rc.top + 8};
            }
            if (reinterpret_cast<HWND>(wParam) == list_) PMenuListPopupAndRun(screen);
            else PMenuMainPopupAndRun(screen);
            result = 0;
            return true;
        }
        case WM_KEYRA_CLICK: {
            const KClickReport r = DecodeClickReport(wParam, lParam);
            CaptureClickTarget(r.point, r.window);
            result = 0;
            return true;
        }
        case WM_CLOSE:
            if (closing_) return true;
            closing_ = 1;
            if (FormClose()) DestroyWindow(Handle());
            closing_ = 0;
            result = 0;
            return true;
        case WM_ENDSESSION:
            EndSession();
            result = 0;
            return true;
        case WM_DESTROY:
            PostQuitMessage(0);
            result = 0;
            return true;
        default:
            return false;
    }
}

// ---- KDataHost ----

int TFKeyra::WindowTop() {
    RECT rc;
    return GetWindowRect(Handle(), &rc) ? rc.top : top_;
}

int TFKeyra::WindowLeft() {
    RECT rc;
    return GetWindowRect(Handle(), &rc) ? rc.left : left_;
}

void TFKeyra::SetWindowTopLeft(int top, int left) {
    top_ = top;
    left_ = left;
    SetWindowPos(Handle(), nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TFKeyra::ScreenSize(int& width, int& height) {
    width = GetSystemMetrics(SM_CXSCREEN);
    height = GetSystemMetrics(SM_CYSCREEN);
}

void TFKeyra::SetPaintColor(std::int32_t color) {
    paintColor_ = static_cast<COLORREF>(color);
    paintBrush_.Reset();
}

void TFKeyra::MaskPassword() {
    if (ops_) ops_->MaskPassword();
}

// Until the generator window exists its lines ($Top, $Left, #..., $SYMBOL, $NUMBER) are
// carried over unchanged, so a save does not drop the user's word lists.
void TFKeyra::LoadGeneratorData(KIni& doc) {
    generatorLines_.clear();
    for (int i = 0; i < doc.LineCount(); ++i) {
        const std::u16string name = doc.LineName(i);
        if (!name.empty() && (name[0] == u'$' || name[0] == u'#')) generatorLines_.push_back(doc.Line(i));
    }
}

void TFKeyra::SaveGeneratorData(KIni& doc) {
    for (const auto& line : generatorLines_) doc.AppendLine(line);
}

void TFKeyra::ShowMessage(const std::u16string& text) { kf::ShowMessage(Handle(), W(text)); }

// ---- KEntryView ----

void TFKeyra::ListSetRows(const std::vector<std::u16string>& rows) {
    SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list_, LB_RESETCONTENT, 0, 0);
    for (const auto& row : rows) SendMessageW(list_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(W(row)));
    SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list_, nullptr, TRUE);
}

void TFKeyra::ListSetRow(int row, const std::u16string& text) {
    const int count = static_cast<int>(SendMessageW(list_, LB_GETCOUNT, 0, 0));
    if (row < 0 || row >= count) return;
    const int selected = static_cast<int>(SendMessageW(list_, LB_GETCURSEL, 0, 0));
    const int topIndex = static_cast<int>(SendMessageW(list_, LB_GETTOPINDEX, 0, 0));
    SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list_, LB_DELETESTRING, static_cast<WPARAM>(row), 0);
    SendMessageW(list_, LB_INSERTSTRING, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(W(text)));
    if (selected == row) SendMessageW(list_, LB_SETCURSEL, static_cast<WPARAM>(row), 0);
    SendMessageW(list_, LB_SETTOPINDEX, static_cast<WPARAM>(topIndex), 0);
    SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list_, nullptr, TRUE);
}

int TFKeyra::ListSelected() { return static_cast<int>(SendMessageW(list_, LB_GETCURSEL, 0, 0)); }

void TFKeyra::ListSelect(int row) { SendMessageW(list_, LB_SETCURSEL, static_cast<WPARAM>(row), 0); }

HWND TFKeyra::FieldHandle(int n) const {
    if (n >= 1 && n <= 4) return edits_[n - 1];
    if (n == 5) return memo_;
    return nullptr;
}

std::u16string TFKeyra::FieldText(int n) {
    HWND h = FieldHandle(n);
    return h ? WindowText(h) : std::u16string();
}

void TFKeyra::SetFieldText(int n, const std::u16string& text) {
    if (HWND h = FieldHandle(n)) SetWindowTextW(h, W(text));
}

void TFKeyra::SetPasswordMask(bool masked) {
    SendMessageW(edits_[2], EM_SETPASSWORDCHAR, masked ? L'*' : 0, 0);
    InvalidateRect(edits_[2], nullptr, TRUE);
}

void TFKeyra::Repaint() { RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW); }

void TFKeyra::SetButtonColors(int index, std::int32_t face, std::int32_t text) {
    if (index < 1 || index > kBankSize) return;
    TKButton& b = bank_->Button(index - 1);
    b.SetFaceColor(static_cast<kdraw::KColor>(face));
    b.SetFontColor(static_cast<kdraw::KColor>(text));
}

void TFKeyra::SetButtonCaption(int index, const std::u16string& caption) {
    if (index >= 1 && index <= kBankSize) bank_->Button(index - 1).SetCaption(caption);
}

int TFKeyra::BankLastIndex() { return bank_->LastIndex; }

void TFKeyra::SetBankLastIndex(int index) { bank_->LastIndex = index; }

// ---- KEntryServices ----

void TFKeyra::SetClipboardText(const std::u16string& text) { ::SetClipboardText(Handle(), text); }

void TFKeyra::PasteToTarget() {
    if (engine_) ::PasteToTarget(*engine_, reinterpret_cast<std::uintptr_t>(memo_), pasteExecutor_);
}

void TFKeyra::OpenDocument(const std::u16string& text) {
    ShellExecuteW(Handle(), L"open", W(text), nullptr, nullptr, SW_SHOWDEFAULT);
}

bool TFKeyra::OptionsPanelOpen() { return options_ && options_->IsOpen(); }

void TFKeyra::CloseOptionsPanel() {
    if (options_) options_->CloseAndApply();
}

void TFKeyra::CopyEntry(const KIdData& entry) { ::CopyEntry(Handle(), entry); }

bool TFKeyra::ReadEntry(KIdData& entry) {
    if (!ClipboardHasEntry(Handle())) return false;
    entry = ReadClipboardEntry(Handle());
    return true;
}
