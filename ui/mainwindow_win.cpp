// TFKeyra's composition: the window and its controls, the layout from the settings, the bank's
// callback and the window's messages.
#include "ui/mainwindow_win.h"

#include "app/mainbank.h"
#include "controls/buttonbank_win.h"
#include "controls/kbutton_win.h"
#include "core/kdpi.h"
#include "core/kstr.h"
#include "framework/dpi.h"
#include "framework/kstr.h"
#include "generator/generatorseam.h"
#include "input/zdinput_win.h"
#include "resources/resource.h"
#include "ui/mainwindow_hosts_win.h"
#include "ui/optionspanel_win.h"
#include "ui/pinpanel_win.h"
#include "ui/searchbox_win.h"
#include "ui/snap_win.h"

using namespace kmainbank;

namespace {
constexpr wchar_t kClassName[] = L"TFKeyra";
constexpr int kListItemHeight = 16;
const char16_t* const kFieldCaptions[kFields] = {u"title", u"id", u"pass", u"url"};
}  // namespace

TFKeyra::TFKeyra(KMainHost& host, KDocument& doc, KEngine& engine, const KLifeCycle& life)
    : host_(host), doc_(doc), engine_(engine), life_(life) {}

TFKeyra::~TFKeyra() {
    // The window and every control on it go first, while all their handlers reach is there.
    Destroy();
}

kf::Edit* TFKeyra::Field(int n) { return n >= 1 && n <= kFields ? edits_[n - 1].get() : nullptr; }

bool TFKeyra::Create() {
    kf::InitCommonControls();
    kgdi::InstallSysColorResolver();
    kf::RegisterWindowClass(kClassName, 0, nullptr, LoadIconW(kf::Instance(), MAKEINTRESOURCEW(IDI_KEYRA)));
    // Borderless and always on top; the caption bits are removed on purpose.
    HWND hwnd = kf::Window::Create(kClassName, L"Keyra", WS_POPUP | WS_CLIPCHILDREN | WS_SYSMENU | WS_MINIMIZEBOX,
                                   WS_EX_TOPMOST, left_, top_, 200, 400);
    if (!hwnd) return false;
    SetWindowLongPtrW(hwnd, GWL_STYLE, GetWindowLongPtrW(hwnd, GWL_STYLE) & ~static_cast<LONG_PTR>(WS_CAPTION));
    CreateControls();
    drag_.Reset();
    if (engine_.CaptionFromBaseName()) caption_->SetText(engine_.BaseName);
    snapper_ = std::make_unique<TWindowSnapper>();
    // Most of the forty positions are never shown: their windows are made only when they are.
    bank_ = std::make_unique<TButtonBank>(kCount, hwnd, true);
    pinHost_ = std::make_unique<PinHost>(*this);
    optionsHost_ = std::make_unique<OptionsHost>(*this);
    searchHost_ = std::make_unique<SearchHost>(*this);
    generatorHost_ = std::make_unique<GenHost>(*this);
    pin_ = std::make_unique<TPinPanel>(*pinHost_, doc_);
    options_ = std::make_unique<TOptionsPanel>(*optionsHost_, doc_, *pin_);
    search_ = std::make_unique<TSearchBox>(*searchHost_, doc_);
    return true;
}

void TFKeyra::Attach(KEntryOps& ops, KGeneratorSeam& generator) {
    ops_ = &ops;
    generator_ = &generator;
    BindBank();
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

void TFKeyra::Open(bool locked) {
    KSettings& s = doc_.Settings();
    ClampWindowPosition(s.Top, s.Left, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    SetWindowTopLeft(s.Top, s.Left);
    SetPaintColor(s.FormColor);
    ArrangeControls();
    KeepTitleRowOnScreen();
    if (locked) {
        Cover(KLockCover::Pin);
    } else {
        started_ = 1;
        ops_->Start();
    }
    ops_->MaskPassword();
    ShowWindow(Handle(), SW_SHOW);
    UpdateWindow(Handle());
    if (locked)
        pin_->FocusEdit();
    else
        list_->Focus();
}

void TFKeyra::BindBank() {
    bank_->OnButton = [this](int index) { OnBankButton(index); };
    for (int pos = 0; pos < kCount; ++pos) {
        TKButton& b = bank_->Button(pos);
        // A press on our own button is the home point at once: the click watch may report it
        // only after the button has already fired and the paste has used the old point.
        b.OnMouseDown = [this, bankDown = b.OnMouseDown](int button, int x, int y) {
            if (bankDown) bankDown(button, x, y);
            if (button == TKButton::mbLeft) {
                POINT p;
                GetCursorPos(&p);
                engine_.HomeX = p.x;
                engine_.HomeY = p.y;
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
    const KSettings& e = doc_.Settings();
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
    const int n = GroupButtonCount(e);
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
        b.SetCaption(k < n ? kstr::Decimal(engine_.GroupOffset + k + 1) : std::u16string(u"OP"));
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
    if (activated_) return;
    activated_ = 1;
    host_.FirstActivation();
}

void TFKeyra::Reloaded() {
    SetPaintColor(doc_.Settings().FormColor);
    ArrangeControls();
    // Locked, the entries come back at the unlock.
    if (!Locked()) ops_->FillList();
    ops_->MaskPassword();
}

bool TFKeyra::OptionsOpen() const { return options_ && options_->IsOpen(); }

void TFKeyra::ApplyOptions() {
    if (options_ && options_->IsOpen()) options_->CloseAndApply();
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
    if (!ops_) return;
    if (Locked() && !BankButtonActsWhileAsked(index)) return;
    if (ops_->OnBankButton(index)) return;
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

void TFKeyra::ShowHelp(const wchar_t* page) {
    // A missing help file is not an error.
    if (GetFileAttributesW(W(engine_.HelpPath)) == INVALID_FILE_ATTRIBUTES) return;
    if (page)
        help_.ShowTopic(Handle(), W(engine_.HelpPath), page);
    else
        help_.ShowContents(Handle(), W(engine_.HelpPath));
}

int TFKeyra::CaptionRight() const {
    return caption_ ? static_cast<int>(caption_->BoundsInParent().right) : 0;
}

bool TFKeyra::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (host_.MainMessage(msg, wParam, lParam, result)) return true;
    switch (msg) {
        case WM_KEYDOWN:
            if (!SearchKey(static_cast<UINT>(wParam))) return false;
            result = 0;
            return true;
        case WM_PAINT:
            FormPaint();
            result = 0;
            return true;
        case WM_ERASEBKGND:
            result = 1;
            return true;
        case WM_LBUTTONDOWN:
            drag_.Press(Handle());
            result = 0;
            return true;
        case WM_MOUSEMOVE:
            drag_.Follow(Handle());
            result = 0;
            return true;
        case WM_LBUTTONUP:
            drag_.Release(Handle());
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
        case WM_KEYRA_LOCKED:
            if (pin_->Asking()) {
                if (generator_) generator_->Hide();
                pin_->FocusEdit();
            }
            result = 0;
            return true;
        case WM_DPICHANGED: {
            // Moved to a screen of another DPI: the suggested place, then the layout at the new
            // DPI decides the size; the open panels follow.
            const RECT* r = reinterpret_cast<const RECT*>(lParam);
            SetWindowPos(Handle(), nullptr, r->left, r->top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            if (ops_) {
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
            PostQuitMessage(0);
            result = 0;
            return true;
        default:
            return false;
    }
}
