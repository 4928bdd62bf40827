#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "controls/buttonbank_win.h"
#include "tests/windows/win_host.h"

using wintest::At;
using wintest::Pump;

namespace {

void ClickButton(TKButton& b) {
    SendMessageW(b.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, At(2, 2));
    SendMessageW(b.Handle(), WM_LBUTTONUP, 0, At(2, 2));
}

struct BankTest : ::testing::Test {
    HWND hostHandle = wintest::Persistent(L"KeyraTestHost", 40, 40, 400, 300);
    void TearDown() override { wintest::Park(hostHandle); }
};

}  // namespace

TEST_F(BankTest, CreatesNumberedHiddenButtons) {
    TButtonBank bank(40, hostHandle);
    ASSERT_EQ(bank.Count(), 40);
    for (int i = 0; i < 40; ++i) {
        TKButton& b = bank.Button(i);
        EXPECT_EQ(b.Index, i + 1);
        EXPECT_FALSE(b.Visible());
        EXPECT_EQ(GetParent(b.Handle()), hostHandle);
        EXPECT_EQ(b.FontName(), u"MS UI Gothic");
        EXPECT_EQ(b.FontSize(), 10);
        EXPECT_EQ(b.Style(), zsSingle);
        EXPECT_EQ(b.Enter(), zeSingle);
    }
    EXPECT_EQ(bank.ByIndex(40), &bank.Button(39));
    EXPECT_EQ(bank.ByIndex(0), nullptr);
    EXPECT_EQ(bank.ByIndex(41), nullptr);
    EXPECT_THROW(bank.Button(40), std::out_of_range);
    EXPECT_EQ(bank.TitleHeight, 16);

    TButtonBank one(0, hostHandle);
    EXPECT_EQ(one.Count(), 1);
    TButtonBank neg(-5, hostHandle);
    EXPECT_EQ(neg.Count(), 1);
}

TEST_F(BankTest, ClicksAndPressesReportTheIndex) {
    TButtonBank bank(40, hostHandle);
    std::vector<int> got;
    bank.OnButton = [&](int i) { got.push_back(i); };
    ClickButton(bank.Button(32));
    EXPECT_EQ(got, std::vector<int>{33});
    EXPECT_EQ(bank.LastIndex, 33);
    // A right press records the button before any popup menu opens, without a callback.
    int lastAtMenu = 0;
    bank.Button(30).OnContextMenu = [&](POINT) { lastAtMenu = bank.LastIndex; };
    SendMessageW(bank.Button(30).Handle(), WM_RBUTTONDOWN, MK_RBUTTON, At(2, 2));
    EXPECT_EQ(bank.LastIndex, 31);
    SendMessageW(bank.Button(30).Handle(), WM_RBUTTONUP, 0, At(2, 2));
    EXPECT_EQ(lastAtMenu, 31);
    EXPECT_EQ(got, std::vector<int>{33});
}

TEST_F(BankTest, ClickDuringCallbackIsDropped) {
    TButtonBank bank(40, hostHandle);
    std::vector<int> got;
    bank.OnButton = [&](int i) {
        got.push_back(i);
        if (i == 3) {
            // Another click arrives while the callback lets messages through.
            PostMessageW(bank.Button(1).Handle(), WM_LBUTTONDOWN, MK_LBUTTON, At(2, 2));
            PostMessageW(bank.Button(1).Handle(), WM_LBUTTONUP, 0, At(2, 2));
            Pump();
            EXPECT_EQ(bank.LastIndex, 2);
            EXPECT_EQ(bank.Busy(), 1);
        }
    };
    ClickButton(bank.Button(2));
    EXPECT_EQ(got, std::vector<int>{3});
    EXPECT_EQ(bank.LastIndex, 2);
    EXPECT_EQ(bank.Busy(), 0);
    ClickButton(bank.Button(1));
    EXPECT_EQ(got, (std::vector<int>{3, 2}));
}

TEST_F(BankTest, ThrowingCallbackLeavesTheBankUsable) {
    TButtonBank bank(5, hostHandle);
    auto saved = TKButton::ErrorHandler;
    int errors = 0;
    TKButton::ErrorHandler = [&](HWND, const std::exception&) { ++errors; };
    int calls = 0;
    bank.OnButton = [&](int) {
        ++calls;
        throw std::runtime_error("conversion");
    };
    ClickButton(bank.Button(0));
    EXPECT_EQ(errors, 1);
    EXPECT_EQ(bank.Busy(), 0);
    ClickButton(bank.Button(0));
    EXPECT_EQ(calls, 2);
    // Called directly, the error passes through to the caller.
    EXPECT_THROW(bank.ButtonClicked(4), std::runtime_error);
    EXPECT_EQ(bank.Busy(), 0);
    TKButton::ErrorHandler = saved;
}

TEST_F(BankTest, CallbackMayFreeTheBank) {
    auto* bank = new TButtonBank(12, hostHandle);
    int calls = 0;
    bank->OnButton = [&](int) {
        ++calls;
        delete bank;
    };
    HWND h = bank->Button(2).Handle();
    SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, At(2, 2));
    SendMessageW(h, WM_LBUTTONUP, 0, At(2, 2));
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(IsWindow(h));
}

TEST_F(BankTest, PlaceRowsAndColumn) {
    TButtonBank bank(40, hostHandle);
    bank.X = 200;
    bank.Y = 3;
    bank.PlaceTitleRow(3, 16, 16);
    EXPECT_EQ(bank.X, 200 + 3 * 18);
    EXPECT_EQ(bank.Y, 3 + 19);
    for (int i = 0; i < 3; ++i) {
        TKButton& b = bank.Button(i);
        EXPECT_TRUE(b.Visible());
        EXPECT_EQ(b.Left(), 200 + i * 18);
        EXPECT_EQ(b.Top(), 3);
        EXPECT_EQ(b.Width(), 16);
        EXPECT_EQ(b.Style(), zsFlat);
        EXPECT_EQ(b.FontSize(), 9);
        EXPECT_EQ(b.FaceColor(), 0x984E00);
        EXPECT_EQ(b.FontColor(), 0xFFFFFF);
    }
    EXPECT_FALSE(bank.Button(3).Visible());

    bank.X = 4;
    bank.Y = 22;
    bank.GroupFace = 0x111111;
    bank.GroupText = 0x222222;
    bank.PlaceGroupRow(6, 20, 30);
    EXPECT_EQ(bank.X, 4 + 6 * 32);
    EXPECT_EQ(bank.Y, 44);
    EXPECT_EQ(bank.Button(10).Left(), 4);
    EXPECT_EQ(bank.Button(15).Left(), 4 + 5 * 32);
    EXPECT_EQ(bank.Button(15).Top(), 22);
    EXPECT_EQ(bank.Button(15).Height(), 20);
    EXPECT_EQ(bank.Button(12).FaceColor(), 0x111111);
    EXPECT_EQ(bank.Button(12).FontColor(), 0x222222);
    EXPECT_EQ(bank.Button(12).Style(), zsSingle);
    EXPECT_FALSE(bank.Button(16).Visible());

    bank.X = 4;
    bank.Y = 150;
    bank.PlaceColumn(4, 20, 40);
    EXPECT_EQ(bank.X, 4);
    EXPECT_EQ(bank.Y, 150 + 4 * 22);
    EXPECT_EQ(bank.Button(33).Top(), 150 + 3 * 22);
    EXPECT_EQ(bank.Button(33).Left(), 4);
    EXPECT_EQ(bank.Button(33).FaceColor(), 0xD8E9EC);
    EXPECT_EQ(bank.Button(33).FontColor(), 0x000000);

    // A small bank lays out what it has.
    TButtonBank small(13, hostHandle);
    small.PlaceGroupRow(5, 20, 30);
    small.PlaceColumn(4, 20, 40);
    EXPECT_TRUE(small.Button(12).Visible());
    EXPECT_EQ(small.Y, 22 + 4 * 22);
}
