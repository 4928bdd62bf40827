// TFKeyra's composition: creation of every object in a fixed order, the load and save error
// policy, the layout, the bank's callback and the close.
#include "ui/mainwindow_win.h"

#include "app/mainbank.h"
#include "controls/buttonbank_win.h"
#include "controls/kbutton_win.h"
#include "core/kdpi.h"
#include "core/kstr.h"
#include "framework/dpi.h"
#include "framework/kstr.h"
#include "framework/syslib.h"
#include "generator/generatorhost.h"
#include "generator/generatorseam.h"
#include "input/clipboard_win.h"
#include "input/zdinput_win.h"
#include "resources/resource.h"
#include "storage/kini.h"
#include "storage/kvault.h"
#include "ui/optionspanel_win.h"
#include "ui/optionsseam.h"
#include "ui/pinpanel_win.h"
#include "ui/masterdialogs_win.h"
#include "ui/searchbox_win.h"
#include "ui/snap_win.h"
#include "ui/winpos.h"

using namespace kmainbank;

namespace {
constexpr wchar_t kClassName[] = L"TFKeyra";
constexpr int kListItemHeight = 16;
constexpr UINT kWatchMessage = WM_APP + 3;
constexpr UINT kLockWatchMessage = WM_APP + 4;
const char16_t* const kFieldCaptions[kFields] = {u"title", u"id", u"pass", u"url"};

}  // namespace

TFKeyra::TFKeyra() = default;

TFKeyra::~TFKeyra() { ReleaseAll(); }

kf::Edit* TFKeyra::Field(int n) { return n >= 1 && n <= kFields ? edits_[n - 1].get() : nullptr; }

bool TFKeyra::Start() {
    kf::InitCommonControls();
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
    // The session and idle watch (a hook, wtsapi32) once the window is on the screen.
    PostMessageW(hwnd, kLockWatchMessage, 0, 0);
    if (pin_ && pin_->Asking())
        pin_->FocusEdit();
    else
        list_->Focus();
    return true;
}

void TFKeyra::CreateControls() {
    HWND form = Handle();
    const int dpi = kf::WindowDpi(form);
    captionFont_ = kgdi::FontOfHeightAt(u"Tahoma", -13, dpi);
    kf::LabelArgs caption;
    caption.parent = form;
    caption.bounds = {kdpi::Scale(6, dpi), kdpi::Scale(3, dpi), kdpi::Scale(60, dpi), kdpi::Scale(16, dpi)};
    caption.text = u"Keyra";
    caption.font = captionFont_.Get();
    caption.textColor = RGB(255, 255, 255);
    caption.backColor = paintColor_;
    caption_ = std::make_unique<kf::Label>(caption);

    // Tab moves between the fields; the memo takes it as text.
    auto tabKey = [this](UINT vk) {
        if (vk != VK_TAB) return false;
        FocusNext(GetFocus(), (GetKeyState(VK_SHIFT) & 0x8000) != 0);
        return true;
    };
    auto noTabChar = [](wchar_t ch) { return ch != L'\t' && ch != 6; };

    kf::ListBoxArgs list;
    list.parent = form;
    list.bounds = {4, 50, 100, 165};
    list.itemHeight = kListItemHeight;
    list.onSelChange = [this] {
        if (ops_) ops_->ListBoxIDClick();
    };
    // Ctrl+C, Ctrl+V and Del act on entries while the list has the focus.
    list.onKeyDown = [this, tabKey](UINT vk) { return tabKey(vk) || ListKey(vk) || SearchKey(vk); };
    list.onKeyTyped = [](wchar_t ch) { return ch != L'\t' && ch != 3 && ch != 22 && ch != 6; };
    list_ = std::make_unique<kf::ListBox>(list);

    for (int k = 0; k < kFields; ++k) {
        kf::EditArgs edit;
        edit.parent = form;
        edit.bounds = {0, 0, 10, 10};
        edit.onKeyTyped = noTabChar;
        edit.onKeyDown = [this, tabKey](UINT vk) { return tabKey(vk) || SearchKey(vk); };
        edit.maxLength = KIdData::kFieldMax;
        if (k == 0) edit.onTextChanged = [this] {
            if (ops_) ops_->EditTitleChange();
        };
        edits_[k] = std::make_unique<kf::Edit>(edit);
    }
    kf::EditArgs memo;
    memo.parent = form;
    memo.bounds = {0, 0, 10, 10};
    memo.multiline = true;
    memo.maxLength = KIdData::kMemoMax;
    memo.onKeyDown = [this](UINT vk) { return SearchKey(vk); };
    memo.onKeyTyped = [](wchar_t ch) { return ch != 6; };
    memo.onClicked = [this] {
        if (ops_) ops_->MemoIDClick();
    };
    memo_ = std::make_unique<kf::Edit>(memo);
}

bool TFKeyra::FormCreate() {
    activated_ = 0;
    drag_.Reset();
    engine_ = std::make_unique<KEngine>();
    wchar_t path[MAX_PATH * 4];
    DWORD n = GetModuleFileNameW(nullptr, path, static_cast<DWORD>(std::size(path)));
    engine_->SetExecutablePath(U(path, n));
    engine_->ScreenWidth = GetSystemMetrics(SM_CXSCREEN);
    engine_->ScreenHeight = GetSystemMetrics(SM_CYSCREEN);
    if (engine_->CaptionFromBaseName()) caption_->SetText(engine_->BaseName);
    snapper_ = std::make_unique<TWindowSnapper>();
    // Most of the forty positions are never shown: their windows are made only when they are.
    bank_ = std::make_unique<TButtonBank>(kCount, Handle(), true);
    generator_ = CreateGenerator();
    table_ = std::make_unique<KIdTable>();
    pin_ = std::make_unique<TPinPanel>(*this);
    options_ = std::make_unique<TOptionsPanel>(*this, *pin_);
    ops_ = std::make_unique<KEntryOps>(*engine_, *table_, static_cast<KEntryView&>(*this),
                                       static_cast<KEntryServices&>(*this));
    search_ = std::make_unique<TSearchBox>(*this);

    bool loaded = false;
    engine_->Cipher = &SystemCipher();
    try {
        loaded = engine_->LoadAll(*table_, *this);
    } catch (const std::exception& e) {
        // A file we could not read must never be saved over from a half-loaded state.
        kf::ShowError(Handle(), e);
        loaded = false;
    }
    if (!loaded) {
        // Giving up at the master password ends the program without a further word.
        if (!engine_->StartCancelled) kf::ShowMessage(Handle(), L"Keyra を終了します");
        ReleaseAll();
        return false;
    }

    BindBank();
    ArrangeControls();
    KeepTitleRowOnScreen();
    ops_->Start();
    generator_->LayoutControls();
    generator_->FillGroupBox();
    return true;
}

void TFKeyra::BindBank() {
    bank_->OnButton = [this](int index) { OnBankButton(index); };
    for (int pos = 0; pos < kCount; ++pos) {
        TKButton& b = bank_->Button(pos);
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
        const bool field = FieldOfIndex(kbank::IndexOf(pos)) != 0;
        b.OnContextMenu = [this, field](POINT screen) {
            if (field)
                PMenuButtonPopupAndRun(screen);
            else
                PMenuMainPopupAndRun(screen);
        };
    }
}

void TFKeyra::ArrangeControls() {
    KEngine& e = *engine_;
    // Every place is a 96-DPI length scaled to the window's DPI (ui/layout.h).
    const int dpi = kf::WindowDpi(Handle());
    const auto px = [dpi](int length) { return kdpi::Scale(length, dpi); };
    userFont_ = kgdi::PointFontAt(e.FontName, e.FontSize, dpi);
    const SIZE pass = kgdi::MeasureText(userFont_.Get(), u"pass");
    const SIZE title = kgdi::MeasureText(userFont_.Get(), u"title");
    const int w = FieldButtonWidth(pass.cx, title.cx, dpi);
    int h = 0;
    {
        HDC dc = GetDC(nullptr);
        HGDIOBJ old = SelectObject(dc, userFont_.Get());
        TEXTMETRICW tm{};
        GetTextMetricsW(dc, &tm);
        SelectObject(dc, old);
        ReleaseDC(nullptr, dc);
        // The height of a one-line edit box with a sunken border in this font.
        h = tm.tmHeight + px(8);
    }
    const int n = ops_->GroupButtonCount();
    layout_ = ComputeMainLayout(w, h, n, e.ListHeight, e.MemoHeight, dpi);
    const KMainLayout& l = layout_;
    TButtonBank& bank = *bank_;
    auto PlaceButton = [&bank](int pos, const KRect& r, std::int32_t face, std::int32_t text) {
        bank.Place(pos, r.left, r.top, r.width, r.height, face, text);
    };
    // The options panel takes the help button at its first opening and keeps it.
    const bool helpInPanel = bank.Button(kHelpPos).Parent() != Handle();
    for (int pos = 0; pos < kCount; ++pos)
        if (pos != kHelpPos || !helpInPanel) bank.Button(pos).SetParentColor(static_cast<kdraw::KColor>(paintColor_));

    // Title row: help (hidden here), minimize, close.
    for (int k = 0; k < kTitleButtons; ++k) {
        if (k == 0 && helpInPanel) continue;
        TKButton& b = bank.Button(kHelpPos + k);
        b.SetStyle(zsFlat);
        b.SetFontSize(9);
        b.OnContextMenu = nullptr;
        PlaceButton(kHelpPos + k, l.titleButtons[k], e.FormColor, 0xFFFFFF);
    }
    bank.Button(kMinimizePos).LoadGlyph(kf::Instance(), IDB_MINIMIZE);
    bank.Button(kClosePos).LoadGlyph(kf::Instance(), IDB_CLOSE);
    if (!helpInPanel) bank.Button(kHelpPos).SetVisible(false);

    // Group row: n group buttons and "OP".
    for (int k = 1; k <= kMaxGroupButtons + 1; ++k) bank.Button(GroupPos(k)).SetVisible(false);
    for (int k = 0; k <= n; ++k) {
        TKButton& b = bank.Button(GroupPos(k + 1));
        b.SetCaption(k < n ? kstr::Decimal(e.GroupOffset + k + 1) : std::u16string(u"OP"));
        b.SetFontName(e.FontName);
        b.SetFontSize(e.FontSize);
        PlaceButton(GroupPos(k + 1), l.groupButtons[k], e.ButtonColor, e.ButtonShortTextColor);
    }

    list_->SetFont(userFont_.Get());
    list_->SetItemHeight(std::max(px(kListItemHeight), h - px(8)));
    list_->SetBounds(l.list.left, l.list.top, l.list.width, l.list.height);

    for (int f = 1; f <= kFields; ++f) {
        TKButton& b = bank.Button(FieldPos(f));
        b.SetCaption(kFieldCaptions[f - 1]);
        b.SetFontName(e.FontName);
        b.SetFontSize(e.FontSize);
        PlaceButton(FieldPos(f), l.fieldButtons[f - 1], e.ButtonColor, e.ButtonLongTextColor);
        kf::Edit& edit = *edits_[f - 1];
        edit.SetFont(userFont_.Get());
        edit.SetBounds(l.edits[f - 1].left, l.edits[f - 1].top, l.edits[f - 1].width, l.edits[f - 1].height);
    }
    memo_->SetFont(userFont_.Get());
    memo_->SetBounds(l.memo.left, l.memo.top, l.memo.width, l.memo.height);

    // The caption label keeps its place; it only takes the width of its text, in its font at
    // this DPI.
    {
        kgdi::Font font = kgdi::FontOfHeightAt(u"Tahoma", -13, dpi);
        caption_->SetFont(font.Get());
        captionFont_ = std::move(font);
    }
    caption_->SetBounds(px(6), px(3), px(60), px(16));
    caption_->AutoSize();

    SetWindowPos(Handle(), nullptr, 0, 0, l.formWidth, l.formHeight, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(Handle(), nullptr, TRUE);
}

void TFKeyra::FormActivate() {
    if (activated_ || !engine_) return;
    activated_ = 1;
    // The watch (DirectInput) takes a while to set up: it is made right after the first
    // paint, not before it.
    PostMessageW(Handle(), kWatchMessage, 0, 0);
    pin_->AskAtStart();
}

void TFKeyra::StartClickWatch() {
    if (clickWatch_ || !engine_) return;
    clickWatch_ = std::make_unique<KMouseWatch>(kf::Instance(), Handle());
    clickWatch_->Start();
}

bool TFKeyra::FormClose() {
    if (!engine_) return true;
    // Every close comes here (the buttons, the menu, Alt+F4, the taskbar, another program):
    // what is being typed is kept. While the PIN is asked nothing can be typed, and what was
    // typed before a lock was kept by the lock.
    if (ops_ && !(pin_ && pin_->Asking())) ops_->StoreCurrent();
    if (options_->IsOpen()) options_->CloseAndApply();
    try {
        engine_->SaveAll(*table_, *this);
    } catch (const std::exception& e) {
        // The window stays open with everything in memory, so the user can try again.
        kf::ShowError(Handle(), e);
        return false;
    }
    ReleaseAll();
    return true;
}

void TFKeyra::ReleaseAll() {
    StopLockWatch();
    search_.reset();
    generator_.reset();
    generatorHost_.reset();
    clickWatch_.reset();
    ops_.reset();
    engine_.reset();
    table_.reset();
    bank_.reset();
    snapper_.reset();
    options_.reset();
    pin_.reset();
}

void TFKeyra::EndSession() {
    if (!engine_) return;
    // What is being typed, and an open options panel, are kept as a close keeps them.
    if (ops_ && !(pin_ && pin_->Asking())) ops_->StoreCurrent();
    if (options_ && options_->IsOpen()) options_->CloseAndApply();
    try {
        engine_->SaveAll(*table_, *this);
    } catch (const std::exception& e) {
        kf::ShowError(Handle(), e);
    }
}

void TFKeyra::FormPaint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(Handle(), &ps);
    RECT rc;
    GetClientRect(Handle(), &rc);
    kgdi::PaintFormFrame(dc, rc.right, rc.bottom, static_cast<kdraw::KColor>(paintColor_), kf::WindowDpi(Handle()));
    EndPaint(Handle(), &ps);
}

void TFKeyra::SetPaintColor(std::int32_t color) {
    paintColor_ = static_cast<COLORREF>(color);
    if (caption_) caption_->SetBackColor(paintColor_);
}

void TFKeyra::OnBankButton(int index) {
    if (!engine_) return;
    if (PinAsked() && !BankButtonActsWhileAsked(index)) return;
    if (ops_->OnBankButton(index)) {
        RunPendingLock();
        return;
    }
    switch (index) {
        case kHelp:
            // The button sits in the options panel.
            ShowHelp(L"options.html");
            return;
        case kMinimize:
            SendMessageW(Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
            InvalidateRect(Handle(), nullptr, TRUE);
            kf::PumpMessages();
            return;
        case kClose:
            PostMessageW(Handle(), WM_CLOSE, 0, 0);
            return;
        default:
            break;
    }
    if (index == Options(ops_->GroupButtonCount()) && ops_->OptionsButton()) {
        search_->Close();
        generator_->Hide();
        options_->Open();
    }
}

void TFKeyra::CloseFromMenu() {
    // The close itself keeps what is being typed.
    PostMessageW(Handle(), WM_CLOSE, 0, 0);
}

void TFKeyra::ShowHelp(const wchar_t* page) {
    if (!engine_) return;
    // A missing help file is not an error.
    if (GetFileAttributesW(W(engine_->HelpPath)) == INVALID_FILE_ATTRIBUTES) return;
    if (page)
        help_.ShowTopic(Handle(), W(engine_->HelpPath), page);
    else
        help_.ShowContents(Handle(), W(engine_->HelpPath));
}

int TFKeyra::CaptionRight() const {
    return caption_ ? static_cast<int>(caption_->BoundsInParent().right) : 0;
}

bool TFKeyra::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (LockMessage(msg, wParam, lParam, result)) return true;
    switch (msg) {
        case WM_KEYDOWN:
            if (!SearchKey(static_cast<UINT>(wParam))) return false;
            result = 0;
            return true;
        case WM_PAINT:
            FormPaint();
            result = 0;
            return true;
        case kWatchMessage:
            StartClickWatch();
            result = 0;
            return true;
        case kLockWatchMessage:
            if (engine_) StartLockWatch();
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
            if (bool moved = false; drag_.End(moved)) DragEnded(moved);
            result = 0;
            return true;
        case WM_NCHITTEST:
            // Whatever moves the window, its top never stays above the screen.
            kf::KeepTopOnScreen(Handle());
            return false;
        case WM_ACTIVATE:
            if (LOWORD(wParam) != WA_INACTIVE) FormActivate();
            // While the PIN is asked the keys go to its box, never to the list beneath.
            if (LOWORD(wParam) != WA_INACTIVE && pin_ && pin_->Asking()) {
                pin_->FocusEdit();
                result = 0;
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
            if (reinterpret_cast<HWND>(wParam) == list_->Handle())
                PMenuListPopupAndRun(screen);
            else
                PMenuMainPopupAndRun(screen);
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
        case WM_DPICHANGED: {
            // Moved to a screen of another DPI: the suggested place, then the layout at the new
            // DPI decides the size; the open panels follow.
            const RECT* r = reinterpret_cast<const RECT*>(lParam);
            SetWindowPos(Handle(), nullptr, r->left, r->top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            if (engine_) {
                ArrangeControls();
                if (options_->IsOpen()) options_->Open();
                pin_->DpiChanged();
                if (search_->IsOpen()) search_->Open();
                KeepTitleRowOnScreen();
            }
            result = 0;
            return true;
        }
        case WM_DESTROY:
            ClearOwnClipboard(true);  // a password must not outlive the program there
            PostQuitMessage(0);
            result = 0;
            return true;
        default:
            return false;
    }
}
