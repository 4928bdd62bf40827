#include <gtest/gtest.h>

#include <cstdlib>

#include "input/clipboard_win.h"
#include "input/paste_win.h"
#include "tests/windows/input_test_util.h"

namespace {

using inputtest::Notepad;
using inputtest::TextOf;
using inputtest::WaitFor;

std::wstring Wide(const std::u16string& s) { return std::wstring(s.begin(), s.end()); }

class PasteIntoNotepad : public ::testing::Test {
protected:
    void SetUp() override {
        // Real input on a desktop in use would disturb its user.
        if (!inputtest::UnderWine() && !std::getenv("KEYRA_REAL_INPUT_TESTS"))
            GTEST_SKIP() << "real input tests run under Wine";
        ASSERT_TRUE(pad_.Open(100, 100, 500, 300));
        SendMessageW(pad_.Edit(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
    }

    KPasteInput Input(int mode) const {
        KPasteInput in;
        in.PasteMode = mode;
        in.PasteWait = 100;
        in.TargetWindow = reinterpret_cast<std::uintptr_t>(pad_.Frame());
        const POINT c = pad_.EditCentre();
        in.TargetX = c.x;
        in.TargetY = c.y;
        in.HomeX = 700;
        in.HomeY = 650;
        in.ScreenWidth = GetSystemMetrics(SM_CXSCREEN);
        in.ScreenHeight = GetSystemMetrics(SM_CYSCREEN);
        return in;
    }

    bool EditHolds(const std::wstring& want) {
        return WaitFor([&] { return TextOf(pad_.Edit()) == want; });
    }

    Notepad pad_;
    KWinPasteExecutor exec_;
};

const std::u16string kText = u"パスワード=\\a\\\\b=日本語\\";

}  // namespace

TEST_F(PasteIntoNotepad, NormalPasteArrivesInTheForeignEditBox) {
    SetClipboardText(nullptr, kText);
    RunPastePlan(BuildPastePlan(Input(1)), exec_);
    EXPECT_TRUE(EditHolds(Wide(kText))) << "edit holds: " << TextOf(pad_.Edit()).size() << " units";
    EXPECT_EQ(GetForegroundWindow(), pad_.Frame());
}

TEST_F(PasteIntoNotepad, ClickPasteReturnsHomeWithTheCursorShownAgain) {
    SetClipboardText(nullptr, u"clicked");
    const int before = ShowCursor(TRUE) - 1;
    ShowCursor(FALSE);

    const KPasteInput in = Input(2);
    RunPastePlan(BuildPastePlan(in), exec_);
    EXPECT_TRUE(EditHolds(L"clicked"));

    POINT p{};
    ASSERT_TRUE(WaitFor([&] {
        GetCursorPos(&p);
        return p.x == in.HomeX && p.y == in.HomeY;
    })) << "cursor at " << p.x << "," << p.y;

    const int after = ShowCursor(TRUE) - 1;
    ShowCursor(FALSE);
    EXPECT_EQ(after, before);
}

TEST_F(PasteIntoNotepad, ClearModeReplacesWhatWasThere) {
    SendMessageW(pad_.Edit(), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"old contents"));
    SetClipboardText(nullptr, u"new");
    KPasteInput in = Input(1);
    in.ClearMode = 1;
    RunPastePlan(BuildPastePlan(in), exec_);
    EXPECT_TRUE(EditHolds(L"new")) << "edit holds " << TextOf(pad_.Edit()).size() << " units";
}

TEST_F(PasteIntoNotepad, EnterModePressesReturnAfterThePaste) {
    SetClipboardText(nullptr, u"line");
    KPasteInput in = Input(1);
    in.EnterMode = 1;
    RunPastePlan(BuildPastePlan(in), exec_);
    EXPECT_TRUE(EditHolds(L"line\r\n"));
}

TEST_F(PasteIntoNotepad, DoubleClickModeStillPastesOnceAndReturnsHome) {
    SetClipboardText(nullptr, kText);
    const KPasteInput in = Input(3);
    RunPastePlan(BuildPastePlan(in), exec_);
    EXPECT_TRUE(EditHolds(Wide(kText)));
    POINT p{};
    EXPECT_TRUE(WaitFor([&] {
        GetCursorPos(&p);
        return p.x == in.HomeX && p.y == in.HomeY;
    })) << "cursor at " << p.x << "," << p.y;
}

TEST_F(PasteIntoNotepad, ATargetClosedMeanwhileGetsNoClickAndNoKeys) {
    // Notepad is in front with the focus in its edit box: keys sent blindly would land there.
    SetForegroundWindow(pad_.Frame());
    ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == pad_.Frame(); }));
    HWND gone = inputtest::MakeWindow(650, 100, 200, 200, true);
    ASSERT_NE(gone, nullptr);
    KPasteInput in = Input(2);
    in.TargetWindow = reinterpret_cast<std::uintptr_t>(gone);
    DestroyWindow(gone);
    SetClipboardText(nullptr, u"never typed");
    POINT before{};
    GetCursorPos(&before);

    EXPECT_FALSE(PasteInto(in, exec_));
    EXPECT_FALSE(WaitFor([&] { return !TextOf(pad_.Edit()).empty(); }, 800)) << "typed into Notepad";
    POINT after{};
    GetCursorPos(&after);
    EXPECT_EQ(after.x, before.x);  // no click at the target point
    EXPECT_EQ(after.y, before.y);
}

TEST_F(PasteIntoNotepad, ATargetBehindAnotherWindowIsBroughtToTheFrontFirst) {
    // Our own window in front, as Keyra is right after the press on its button.
    HWND front = CreateWindowExW(WS_EX_TOPMOST, L"STATIC", L"front", WS_POPUP | WS_VISIBLE, 650, 100, 200, 200,
                                 nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(front, nullptr);
    SetForegroundWindow(front);
    ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == front; }));
    SetClipboardText(nullptr, u"in front");
    EXPECT_TRUE(PasteInto(Input(1), exec_));
    EXPECT_EQ(GetForegroundWindow(), pad_.Frame());
    EXPECT_TRUE(EditHolds(L"in front"));
    DestroyWindow(front);
}

TEST_F(PasteIntoNotepad, MemoTargetNeverTouchesTheForeignWindow) {
    // A memo box of our own, in a window of our own.
    HWND host = CreateWindowExW(0, L"STATIC", L"host", WS_POPUP | WS_VISIBLE, 650, 100, 300, 200, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(host, nullptr);
    HWND memo = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | ES_MULTILINE, 0, 0, 300, 200, host, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(memo, nullptr);

    SetClipboardText(nullptr, u"メモへ");
    KPasteInput in = Input(2);
    in.MemoTarget = 1;
    in.MemoWindow = reinterpret_cast<std::uintptr_t>(memo);
    RunPastePlan(BuildPastePlan(in), exec_);
    EXPECT_TRUE(WaitFor([&] { return TextOf(memo) == L"メモへ"; }));
    EXPECT_EQ(TextOf(pad_.Edit()), L"");
    DestroyWindow(host);
}

TEST_F(PasteIntoNotepad, AHandleNowOwnedByAnotherProgramGetsNothing) {
    // Notepad in front with the focus in its edit box: a window that took over the handle.
    SetForegroundWindow(pad_.Frame());
    ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == pad_.Frame(); }));
    SetClipboardText(nullptr, u"never typed");
    DWORD pid = 0;
    KPasteInput in = Input(2);
    in.TargetThread = GetWindowThreadProcessId(pad_.Frame(), &pid) + 4;
    in.TargetProcess = pid;
    EXPECT_FALSE(PasteInto(in, exec_));
    EXPECT_FALSE(WaitFor([&] { return !TextOf(pad_.Edit()).empty(); }, 800)) << "typed into Notepad";
}
