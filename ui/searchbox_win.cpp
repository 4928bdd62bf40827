#include "ui/searchbox_win.h"

#include "app/entrysearch.h"
#include "app/document.h"
#include "core/kdpi.h"
#include "framework/dpi.h"

namespace {
constexpr COLORREF kMissColor = RGB(0xFF, 0xC0, 0xC0);
// Over the title row, between the caption and the minimize button, which stay reachable;
// 96-DPI places, scaled to the window's DPI.
constexpr int kTop = 2, kHeight = 19, kRightGap = 42;
}  // namespace

TSearchBox::TSearchBox(KSearchHost& host, const KDocument& doc) : host_(host), doc_(doc) {}

TSearchBox::~TSearchBox() = default;

void TSearchBox::EnsureBox() {
    if (edit_) return;
    kf::EditArgs a;
    a.parent = host_.Window();
    a.bounds = {40, kTop, 100, kHeight};
    a.visible = false;
    a.maxLength = KIdData::kFieldMax;
    a.onTextChanged = [this] { Find(true); };
    a.onKeyDown = [this](UINT vk) {
        if (vk == VK_ESCAPE) {
            Close();
            return true;
        }
        if (vk == VK_RETURN || vk == VK_F3) {
            Next();
            return true;
        }
        return MainWindowKey(vk);
    };
    // Return, Escape and Ctrl+F arrive as characters too; none of them is text.
    a.onKeyTyped = [](wchar_t ch) { return ch != L'\r' && ch != L'\n' && ch != 27 && ch != 6; };
    edit_ = std::make_unique<kf::Edit>(a);
}

void TSearchBox::Place() {
    const int dpi = kf::WindowDpi(host_.Window());
    const auto px = [dpi](int length) { return kdpi::Scale(length, dpi); };
    kgdi::Font font = kgdi::FontOfHeightAt(u"Tahoma", -12, dpi);
    edit_->SetFont(font.Get());
    font_ = std::move(font);
    RECT rc;
    GetClientRect(host_.Window(), &rc);
    const int left = host_.CaptionRight() + px(4);
    edit_->SetBounds(left, px(kTop), std::max<int>(px(40), rc.right - left - px(kRightGap)), px(kHeight));
}

void TSearchBox::Open() {
    if (!host_.SearchAllowed()) return;
    EnsureBox();
    Place();
    edit_->SetVisible(true);
    edit_->BringToFront();
    edit_->Focus();
    edit_->SetCaret(-1);
    SendMessageW(edit_->Handle(), EM_SETSEL, 0, -1);
}

void TSearchBox::Close() {
    if (!IsOpen()) return;
    const bool hadFocus = edit_->HasFocus();
    edit_->SetVisible(false);
    InvalidateRect(host_.Window(), nullptr, TRUE);
    // Never taken from another program's window when a lock closes the box.
    if (hadFocus && host_.SearchAllowed() && GetActiveWindow() == host_.Window()) host_.FocusList();
}

void TSearchBox::Clear() {
    if (!edit_) return;
    edit_->SetText(u"");
    SetMissed(false);
}

void TSearchBox::Next() {
    if (IsOpen()) Find(false);
}

bool TSearchBox::MainWindowKey(UINT vk) {
    const bool ctrl = (GetKeyState(VK_CONTROL) & 0x8000) != 0;
    if (ctrl && vk == 'F') {
        Open();
        return true;
    }
    if (vk == VK_F3 && !ctrl) {
        if (IsOpen()) Next();
        else Open();
        return true;
    }
    return false;
}

void TSearchBox::Find(bool includeCurrent) {
    if (!IsOpen()) return;
    // The panels may have been shown since the box opened.
    if (!host_.SearchAllowed()) {
        Close();
        return;
    }
    const std::u16string text = edit_->Text();
    if (text.empty()) {
        SetMissed(false);
        return;
    }
    host_.StoreCurrent();
    const int found = FindEntry(doc_.Entries(), text, host_.CurrentEntry(), includeCurrent);
    SetMissed(found < 0);
    if (found >= 0) host_.ShowFound(found);
}

void TSearchBox::SetMissed(bool missed) {
    const COLORREF want = missed ? kMissColor : kf::kNoColor;
    if (edit_->BackColor() == want) return;
    edit_->SetBackColor(want);
    InvalidateRect(edit_->Handle(), nullptr, TRUE);
}
