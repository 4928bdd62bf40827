#include "generator/generatorwindow_win.h"

#include "app/document.h"
#include "controls/buttonbank_win.h"
#include "controls/kbutton_win.h"
#include "core/kerror.h"
#include "core/kdpi.h"
#include "core/kstr.h"
#include "framework/dpi.h"
#include "framework/kstr.h"
#include "input/clipboard_win.h"
#include "resources/resource.h"
#include "storage/kini.h"
#include "storage/kplatform.h"

namespace {
constexpr wchar_t kClassName[] = L"VIDodureza";
constexpr int kButtons = 13;
constexpr COLORREF kPanelColor = 0xD8E9EC;
constexpr COLORREF kLengthColor = 0x808080;
constexpr char16_t kImportFilter[] = u"テキストファイル(*.txt)|*.txt|すべてのファイル(*.*)|*.*";
constexpr char16_t kOccupiedWarning[] = u"パスワードが設定されています。\n旧パスワードを控えてから空欄にして下さい！";

int TextHeight(HFONT font) {
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return tm.tmHeight;
}
}  // namespace

// One of the four combination boxes as the word lists see it.
class VIDodureza::Box : public KWordBox {
public:
    explicit Box(kf::ComboBox& box) : box_(box) {}
    std::u16string Text() override { return box_.Text(); }
    void SetText(const std::u16string& text) override { box_.SetText(text); }
    std::vector<std::u16string> Items() override { return box_.Items(); }
    void AddItem(const std::u16string& item) override { box_.AddItem(item); }
    int IndexOf(const std::u16string& item) override { return box_.IndexOf(item); }
    void DeleteItem(int index) override { box_.DeleteItem(index); }
    void ClearItems() override { box_.ClearItems(); }
    void Focus() override { box_.Focus(); }

private:
    kf::ComboBox& box_;
};

VIDodureza::VIDodureza(KGeneratorHost& host, KDocument& doc, std::unique_ptr<KRandomSource> random)
    : host_(host), doc_(doc), random_(random ? std::move(random) : std::make_unique<KSecureRandom>()) {}

// The window and its controls are made at the first opening: most starts never show them.
void VIDodureza::EnsureWindow() {
    if (Handle()) return;
    kf::RegisterWindowClass(kClassName);
    KGeneratorPosition pos = doc_.GeneratorPosition();
    KeepGeneratorOnScreen(pos, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    HWND hwnd = Create(kClassName, L"Rirezedu", WS_POPUP | WS_CLIPCHILDREN | WS_SYSMENU, WS_EX_TOPMOST, pos.left,
                       pos.top, 333, 371, host_.OwnerWindow());
    if (!hwnd) throw KError(u"パスワード生成のウィンドウを作成できませんでした。");
    SetWindowLongPtrW(hwnd, GWL_STYLE, GetWindowLongPtrW(hwnd, GWL_STYLE) & ~static_cast<LONG_PTR>(WS_CAPTION));
    CreateControls();
    bank_ = std::make_unique<TButtonBank>(kButtons, hwnd);
    bank_->OnButton = [this](int number) { ButtonPressed(number); };
    static const char16_t* const captions[kButtons + 1] = {
        u"", u"", u"generate", u"set", u"add", u"del", u"add", u"del", u"add", u"del", u"add", u"del", u"set", u"set"};
    for (int n = 2; n <= kButtons; ++n) {
        TKButton& b = *bank_->ByIndex(n);
        b.SetCaption(captions[n]);
        b.SetParent((n <= 3 ? panelRandom_ : panelCombo_)->Handle());
        b.SetParentColor(kPanelColor);
        b.OnContextMenu = [this](POINT screen) { PMenuButtonPopupAndRun(screen); };
    }
}

VIDodureza::~VIDodureza() {
    // The window and its controls go while everything their handlers reach is still there.
    Destroy();
    bank_.reset();
}

void VIDodureza::CreateControls() {
    HWND form = Handle();
    // Its font and place at the window's DPI come with the layout.
    kf::LabelArgs caption;
    caption.parent = form;
    caption.bounds = {6, 3, 120, 16};
    caption.text = u"Keyra Generator";
    caption.textColor = RGB(255, 255, 255);
    caption.backColor = faceColor_;
    caption_ = std::make_unique<kf::Label>(caption);

    kf::PanelArgs panel;
    panel.parent = form;
    panel.color = kPanelColor;
    panel.bounds = {4, 22, 100, 100};
    panelRandom_ = std::make_unique<kf::Panel>(panel);
    panelCombo_ = std::make_unique<kf::Panel>(panel);

    auto label = [](HWND parent, const char16_t* text, COLORREF color = kf::kNoColor) {
        kf::LabelArgs a;
        a.parent = parent;
        a.bounds = {0, 0, 10, 10};
        a.text = text;
        a.textColor = color;
        return std::make_unique<kf::Label>(a);
    };
    HWND pr = panelRandom_->Handle();
    HWND pc = panelCombo_->Handle();
    labelRandom_ = label(pr, u"ランダム");
    labelDigit_ = label(pr, u"桁数：");
    labelType_ = label(pr, u"種類：");
    labelPass1_ = label(pr, u"PASS1：");
    pass1Len_ = label(pr, u"", kLengthColor);
    labelCombo_ = label(pc, u"組み合わせ");
    labelGroup_ = label(pc, u"グループ：");
    labelName_ = label(pc, u"名前：");
    labelSymbol_ = label(pc, u"記号：");
    labelNumber_ = label(pc, u"数字：");
    labelPass2_ = label(pc, u"PASS2:");
    labelPass3_ = label(pc, u"PASS3：");
    pass2Len_ = label(pc, u"", kLengthColor);
    pass3Len_ = label(pc, u"", kLengthColor);

    kf::ComboBoxArgs digit;
    digit.parent = pr;
    digit.bounds = {0, 0, 100, 24};
    digit.items = {u"8", u"10", u"12", u"14", u"16", u"18", u"20"};
    digit.onChange = [this] { GenerateRandom(); };
    // Digits and Backspace only; pasted text is not filtered (a non-number counts as 0).
    digit.onKeyTyped = [](wchar_t ch) { return (ch >= L'0' && ch <= L'9') || ch == 8; };
    digit_ = std::make_unique<kf::ComboBox>(digit);
    kf::ComboBoxArgs type;
    type.parent = pr;
    type.bounds = {0, 0, 100, 24};
    type.kind = kf::ComboKind::PickOnly;
    for (int t = 0; t < krandom::kTypeCount; ++t) type.items.emplace_back(krandom::TypeName(t));
    type.onChange = [this] { GenerateRandom(); };
    type_ = std::make_unique<kf::ComboBox>(type);

    auto combo = [this, pc](bool isGroup) {
        kf::ComboBoxArgs a;
        a.parent = pc;
        a.bounds = {0, 0, 100, 24};
        a.sorted = true;
        a.onChange = [this, isGroup] {
            if (!lists_) return;  // still being made
            if (isGroup) lists_->FillNameBox(group_->Text());
            ComposePasswords();
        };
        return std::make_unique<kf::ComboBox>(a);
    };
    group_ = combo(true);
    name_ = combo(false);
    symbol_ = combo(false);
    number_ = combo(false);

    auto pass = [this](HWND parent, int box) {
        kf::EditArgs a;
        a.parent = parent;
        a.bounds = {0, 0, 100, 24};
        a.onTextChanged = [this, box] { EditPassChange(box); };
        return std::make_unique<kf::Edit>(a);
    };
    pass1_ = pass(pr, 1);
    pass2_ = pass(pc, 2);
    pass3_ = pass(pc, 3);

    // Boxes keep the system's window colour on the panels' colour.
    for (kf::Control* box : std::initializer_list<kf::Control*>{digit_.get(), type_.get(), group_.get(), name_.get(),
                                                                 symbol_.get(), number_.get(), pass1_.get(),
                                                                 pass2_.get(), pass3_.get()})
        box->SetBackColor(GetSysColor(COLOR_WINDOW));

    groupBox_ = std::make_unique<Box>(*group_);
    nameBox_ = std::make_unique<Box>(*name_);
    symbolBox_ = std::make_unique<Box>(*symbol_);
    numberBox_ = std::make_unique<Box>(*number_);
    lists_ = std::make_unique<KWordLists>(doc_.WordLists(), *groupBox_, *nameBox_, *symbolBox_, *numberBox_,
                                          static_cast<KWordListHost&>(*this));
    lists_->FillBoxes();
}

// ---- layout ----

void VIDodureza::StyleButtons(int height, int width) {
    const KSettings& look = doc_.Settings();
    const int title = kdpi::Scale(16, kf::WindowDpi(Handle()));
    TKButton& close = *bank_->ByIndex(1);
    close.SetStyle(zsFlat);
    close.SetFaceColor(static_cast<kdraw::KColor>(look.FormColor));
    close.SetParentColor(faceColor_);
    close.SetFontColor(0xFFFFFF);
    close.SetFontSize(9);
    close.LoadGlyph(kf::Instance(), IDB_CLOSE);
    close.SetBounds(close.Left(), close.Top(), title, title);
    close.SetVisible(true);
    for (int n = 2; n <= kButtons; ++n) {
        TKButton& b = *bank_->ByIndex(n);
        b.SetFaceColor(static_cast<kdraw::KColor>(look.ButtonColor));
        b.SetFontColor(0);
        b.SetFontName(look.FontName);
        b.SetFontSize(look.FontSize);
        // Wider where its caption needs it in the user's font.
        b.SetBounds(b.Left(), b.Top(), std::max(width, b.CaptionFitWidth()), height);
        b.SetVisible(true);
    }
}

void VIDodureza::LayoutControls() {
    if (!Handle()) return;  // laid out when first opened
    const KSettings& look = doc_.Settings();
    // Every place is a 96-DPI length scaled to the window's DPI; the fonts are made for it.
    const int dpi = kf::WindowDpi(Handle());
    const auto px = [dpi](int length) { return kdpi::Scale(length, dpi); };
    faceColor_ = static_cast<COLORREF>(look.FormColor);
    caption_->SetBackColor(faceColor_);
    {
        kgdi::Font font = kgdi::FontOfHeightAt(u"Tahoma", -13, dpi);
        caption_->SetFont(font.Get());
        captionFont_ = std::move(font);
    }
    caption_->SetBounds(px(6), px(3), px(120), px(16));
    caption_->AutoSize();
    labelFont_ = kgdi::PointFontAt(look.FontName, look.FontSize - 1, dpi);
    boxFont_ = kgdi::PointFontAt(look.FontName, look.FontSize, dpi);
    const SIZE groupText = kgdi::MeasureText(labelFont_.Get(), u"グループ：");
    const int LW = groupText.cx, LH = groupText.cy;
    const int BW = kgdi::MeasureText(labelFont_.Get(), u"pass").cx + px(8);
    const int EW = kgdi::MeasureText(boxFont_.Get(), u"12345678901234567890123456789012").cx + px(8);
    const int LO = (BW - kgdi::MeasureText(boxFont_.Get(), u"12").cx) / 2;
    // The height of a one-line edit box with a sunken border in the box font.
    const int EH = TextHeight(boxFont_.Get()) + px(8);
    const int P = EH + px(4);
    const int DY = (EH - LH) / 2 - 1;
    StyleButtons(EH, BW);

    auto placeLabel = [&](kf::Label& l, int left, int top) {
        l.SetFont(labelFont_.Get());
        l.SetBounds(left, top, 10, LH);
        l.AutoSize();
    };
    // One row: its label, its box, its buttons to the right; returns the left after the last.
    auto row = [&](int y, kf::Label& l, kf::Control& box, HFONT boxFont, std::initializer_list<int> buttons) {
        placeLabel(l, px(12), y + DY);
        int x = px(12) + LW + px(4);
        box.SetFont(boxFont);
        box.SetBounds(x, y, EW, EH);
        int width = EW;
        for (int n : buttons) {
            x += width + px(4);
            TKButton& b = *bank_->ByIndex(n);
            b.SetBounds(x, y, b.Width(), EH);
            width = b.Width();
        }
        return x;
    };
    auto lengthLabel = [&](kf::Label& l, int x, int y) { placeLabel(l, x + BW + LO + px(4), y + DY + px(1)); };
    // Both panels start their rows two thirds of a row below the heading.
    const int firstRow = static_cast<int>(px(4) + P * 2 / 3.0);

    placeLabel(*labelRandom_, px(4), px(4));
    int y = firstRow;
    TKButton& generate = *bank_->ByIndex(2);
    generate.SetBounds(0, 0, std::max(2 * BW + px(4), generate.CaptionFitWidth()), EH);
    row(y, *labelDigit_, *digit_, boxFont_.Get(), {2});
    y += P;
    row(y, *labelType_, *type_, labelFont_.Get(), {});
    y += P;
    lengthLabel(*pass1Len_, row(y, *labelPass1_, *pass1_, boxFont_.Get(), {3}), y);
    const int randomHeight = y + P + px(8);

    placeLabel(*labelCombo_, px(4), px(4));
    y = firstRow;
    row(y, *labelGroup_, *group_, boxFont_.Get(), {4, 5});
    y += P;
    row(y, *labelName_, *name_, boxFont_.Get(), {6, 7});
    y += P;
    row(y, *labelSymbol_, *symbol_, boxFont_.Get(), {8, 9});
    y += P;
    row(y, *labelNumber_, *number_, boxFont_.Get(), {10, 11});
    y += P;
    lengthLabel(*pass2Len_, row(y, *labelPass2_, *pass2_, boxFont_.Get(), {12}), y);
    y += P;
    lengthLabel(*pass3Len_, row(y, *labelPass3_, *pass3_, boxFont_.Get(), {13}), y);
    const int comboHeight = y + P + px(8);
    TKButton& del = *bank_->ByIndex(5);
    const int W = del.Left() + del.Width() + px(12);

    panelRandom_->SetBounds(px(4), px(22), W, randomHeight);
    panelCombo_->SetBounds(px(4), randomHeight + px(26), W, comboHeight);
    const int width = W + px(8);
    bank_->ByIndex(1)->SetBounds(width - px(20), px(3), px(16), px(16));
    SetWindowPos(Handle(), nullptr, 0, 0, width, randomHeight + comboHeight + px(30),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    InvalidateRect(Handle(), nullptr, TRUE);
}

// ---- opening and hiding ----

void VIDodureza::Toggle() {
    if (OpenFlag) {
        ShowWindow(Handle(), SW_HIDE);
        OpenFlag = 0;
        ResetDone = 0;
        return;
    }
    EnsureWindow();
    LayoutControls();
    OpenFlag = 1;
    ShowWindow(Handle(), SW_SHOW);
}

void VIDodureza::Hide() {
    if (Handle()) ShowWindow(Handle(), SW_HIDE);
    OpenFlag = 0;
}

void VIDodureza::HideByButton() {
    ShowWindow(Handle(), SW_HIDE);
    OpenFlag = 0;
    ResetDone = 0;
}

void VIDodureza::Conceal() {
    if (!pass3_ || isConcealed_) return;
    isConcealed_ = true;
    for (int box = 1; box <= 3; ++box) {
        kf::Edit& edit = PassBox(box);
        concealed_[box - 1] = edit.Text();
        edit.SetText(u"");
        edit.SetHint(u"", false);
        edit.SetTextColor(0);
    }
    kplat::Wipe(Match.title);
    kplat::Wipe(Match.password);
}

void VIDodureza::Reveal() {
    if (!isConcealed_ || !host_.HandOverAllowed()) return;
    isConcealed_ = false;
    for (int box = 1; box <= 3; ++box) {
        // The combined boxes are checked as their group and name, as when they were composed.
        SettingBox = box == 1 ? 0 : box;
        PassBox(box).SetText(concealed_[box - 1]);
        SettingBox = 0;
        kplat::Wipe(concealed_[box - 1]);
    }
}

bool VIDodureza::Owns(HWND window) { return window && (window == Handle() || IsChild(Handle(), window)); }

void VIDodureza::FormActivate() {
    if (ResetDone == 1) return;
    ResetFields();
    ResetDone = 1;
}

void VIDodureza::ResetFields() {
    digit_->SetText(u"");
    type_->Select(-1);
    pass1_->SetText(u"");
    lists_->RebuildDisplayLists(DispUsedMode());
    group_->SetText(u"");
    lists_->FillNameBox(u"");
    symbol_->SetText(u"");
    number_->SetText(u"");
    pass2_->SetText(u"");
    pass3_->SetText(u"");
}

// ---- the document ----

void VIDodureza::ListsReloaded() {
    if (!lists_) return;
    lists_->FillBoxes();
    ResetFields();
}

void VIDodureza::StorePosition() {
    if (RECT rc{}; Handle() && GetWindowRect(Handle(), &rc)) doc_.GeneratorPosition() = {rc.top, rc.left};
}

// While the main window is locked no check reads the entries: a text sent to a hidden box
// would otherwise learn which stored password begins with it.
const KIdTable* VIDodureza::Entries() { return host_.HandOverAllowed() ? &doc_.Entries() : nullptr; }

void VIDodureza::ListsChanged() { doc_.Changed(KChange::WordLists); }

int VIDodureza::DispUsedMode() const { return doc_.Settings().DispUsedMode; }

// ---- buttons ----

void VIDodureza::ButtonPressed(int number) {
    // Hidden while locked: a press can only be sent by another program then.
    if (!host_.HandOverAllowed()) return;
    switch (number) {
        case 1: HideByButton(); break;
        case 2: GenerateRandom(); return;
        case 3:
            SetIntoEntry(pass1_->Text());
            ShowUsedState(1);
            return;
        case 4: lists_->AddGroup(); break;
        case 5: lists_->DeleteGroup(); break;
        case 6: lists_->AddName(group_->Text()); break;
        case 7: lists_->DeleteName(group_->Text()); break;
        case 8: lists_->AddItem(*symbolBox_); break;
        case 9: lists_->DeleteItem(*symbolBox_); break;
        case 10: lists_->AddItem(*numberBox_); break;
        case 11: lists_->DeleteItem(*numberBox_); break;
        case 12: SetIntoEntry(pass2_->Text()); break;
        case 13: SetIntoEntry(pass3_->Text()); break;
        default: return;
    }
    ComposePasswords();
}

void VIDodureza::GenerateRandom() {
    pass1_->SetText(u"");
    const krandom::Result r = krandom::GenerateRandom(digit_->Text(), type_->Selected(), *random_);
    if (r.outcome == krandom::Outcome::TooLong) {
        kf::ShowMessage(Handle(), W(krandom::kTooLongMessage));
        return;
    }
    if (r.outcome != krandom::Outcome::Made) return;
    SettingBox = 1;
    pass1_->SetText(r.password);
    SettingBox = 0;
}

void VIDodureza::ComposePasswords() {
    // Emptied first, so the used check runs even when the text stays the same.
    SettingBox = 2;
    pass2_->SetText(u"");
    kf::PumpMessages();
    pass2_->SetText(lists_->Pass2());
    SettingBox = 0;
    SettingBox = 3;
    pass3_->SetText(u"");
    kf::PumpMessages();
    pass3_->SetText(lists_->Pass3());
    SettingBox = 0;
}

kf::Edit& VIDodureza::PassBox(int box) { return box == 1 ? *pass1_ : box == 2 ? *pass2_ : *pass3_; }

void VIDodureza::EditPassChange(int box) {
    if (!pass3_) return;  // still being created
    kf::Label& len = box == 1 ? *pass1Len_ : box == 2 ? *pass2Len_ : *pass3Len_;
    const std::u16string text = PassBox(box).Text();
    len.SetText(kstr::Decimal(static_cast<int>(text.size())));
    len.AutoSize();
    if (text.empty()) return;
    ShowUsedState(box);
}

void VIDodureza::ShowUsedState(int box) {
    kf::Edit& edit = PassBox(box);
    int used;
    if (box != 1 && SettingBox == box)
        used = IsPairUsed(Entries(), group_->Text(), name_->Text(), Match);
    else
        used = IsPasswordUsed(Entries(), edit.Text(), Match);
    if (used) {
        edit.SetTextColor(kUsedColor);
        edit.SetHint(UsedHint(Match, doc_.Settings().DispPassMode), true);
    } else {
        edit.SetTextColor(0);
        edit.SetHint(u"", false);
    }
}

void VIDodureza::SetIntoEntry(const std::u16string& text) {
    if (text.empty() || !host_.HandOverAllowed()) return;
    if (!host_.EntryPassword().empty()) {
        kf::ShowWarning(Handle(), W(kOccupiedWarning));
        return;
    }
    host_.HandOver(text);
    if (DispUsedMode() == 1) {
        lists_->RebuildDisplayLists(1);
        lists_->FillNameBox(group_->Text());
    }
}

void VIDodureza::ImportCombinationData() {
    const std::u16string path = kf::PickFileToOpen(Handle(), kImportFilter);
    // A lock cancels the dialog; a file picked just before it is not read either.
    if (path.empty() || !host_.HandOverAllowed()) return;
    KIni doc;
    lists_->ImportCount = 0;
    doc.LoadText(path);
    lists_->ImportLines(doc);
    kf::ShowMessage(Handle(), W(lists_->ImportedText()));
    lists_->FillGroupBox();
    lists_->RebuildDisplayLists(DispUsedMode());
}

// ---- menus ----

void VIDodureza::PMenuMainPopupAndRun(POINT screen) {
    if (!host_.HandOverAllowed()) return;
    kf::PopupMenu menu;
    const bool hideUsed = DispUsedMode() == 1;
    menu.items = {
        {kMenuDispUsed, L"使用済みの名前は表示しない(&U)", L"", true, hideUsed},
        {kMenuImport, L"組み合わせパスワードのインポート(&I)", L"", true, false},
        {0, L"-", L"", true, false},
        {kMenuHelp, L"ヘルプ(&H)", L"", true, false},
        {kMenuExit, L"パスワード生成の終了(&X)", L"", true, false},
    };
    const int tag = menu.Show(Handle(), screen);
    // A lock while the menu was open closed it: decided again at the choice.
    if (!host_.HandOverAllowed()) return;
    switch (tag) {
        case kMenuDispUsed:
            doc_.Settings().DispUsedMode = hideUsed ? 0 : 1;
            doc_.Changed(KChange::Settings);
            ResetFields();
            break;
        case kMenuImport: ImportCombinationData(); break;
        case kMenuHelp: host_.ShowHelp(); break;
        case kMenuExit: Hide(); break;
        default: break;
    }
}

void VIDodureza::PMenuButtonPopupAndRun(POINT screen) {
    if (!host_.HandOverAllowed()) return;
    const int last = bank_->LastIndex;
    kf::PopupMenu menu;
    menu.items = {{1, L"コピー(&C)", L"", true, false, last == 3 || last == 12 || last == 13}};
    if (menu.Show(Handle(), screen) != 1 || !host_.HandOverAllowed()) return;
    const int box = last == 3 ? 1 : last == 12 ? 2 : 3;
    SetClipboardText(Handle(), PassBox(box).Text());
}

// ---- messages ----

void VIDodureza::FormPaint() {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(Handle(), &ps);
    RECT rc;
    GetClientRect(Handle(), &rc);
    kgdi::PaintFormFrame(dc, rc.right, rc.bottom, static_cast<kdraw::KColor>(faceColor_), kf::WindowDpi(Handle()));
    EndPaint(Handle(), &ps);
}

void VIDodureza::DragEnded(bool moved) {
    if (moved) host_.SnapToNeighbour(Handle());
    kf::KeepTopOnScreen(Handle());
}

void VIDodureza::ShowMessage(const std::u16string& text) { kf::ShowMessage(Handle(), W(text)); }
void VIDodureza::ShowWarning(const std::u16string& text) { kf::ShowWarning(Handle(), W(text)); }
bool VIDodureza::AskYesNo(const std::u16string& text) { return kf::AskYesNo(Handle(), W(text)); }

bool VIDodureza::OnMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (msg) {
        case WM_PAINT:
            FormPaint();
            result = 0;
            return true;
        case WM_ERASEBKGND:
            result = 1;
            return true;
        // The face moves the window: the press captures the mouse, moves follow it, and the
        // release ends the drag, which docks the window when it was moved.
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
            kf::KeepTopOnScreen(Handle());
            return false;
        case WM_DPICHANGED: {
            // Moved to a screen of another DPI: the suggested place, the layout's size.
            const RECT* r = reinterpret_cast<const RECT*>(lParam);
            SetWindowPos(Handle(), nullptr, r->left, r->top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
            LayoutControls();
            kf::KeepTopOnScreen(Handle());
            result = 0;
            return true;
        }
        case WM_ACTIVATE:
            if (LOWORD(wParam) != WA_INACTIVE) FormActivate();
            return false;
        case WM_CONTEXTMENU: {
            POINT screen{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            if (screen.x == -1 && screen.y == -1) {
                RECT rc;
                GetWindowRect(Handle(), &rc);
                screen = {rc.left + 8, rc.top + 8};
            }
            PMenuMainPopupAndRun(screen);
            result = 0;
            return true;
        }
        case WM_CLOSE:
            // A close request from the system (Alt+F4) acts like the close button: the
            // window only hides; it is freed when the program ends.
            if (bank_) bank_->ButtonClicked(1);
            result = 0;
            return true;
        default:
            return false;
    }
}
