#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "app/mainbank.h"
#include "controls/buttonbank_win.h"
#include "ui/layout.h"
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

    TButtonBank one(0, hostHandle);
    EXPECT_EQ(one.Count(), 1);
    TButtonBank neg(-5, hostHandle);
    EXPECT_EQ(neg.Count(), 1);
}

TEST_F(BankTest, DeferredButtonsGetTheirWindowWhenFirstShownWithWhatWasSetBefore) {
    TButtonBank bank(40, hostHandle, true);
    HWND other = wintest::Persistent(L"KeyraTestOther", 60, 60, 200, 100);
    TKButton& plain = bank.Button(3);
    TKButton& moved = bank.Button(4);
    plain.SetCaption(u"title");
    plain.SetEnabled(false);
    moved.SetParent(other);
    moved.SetBounds(7, 8, 30, 12);
    bank.Button(5).SetVisible(false);  // hiding an unmade button makes nothing
    for (int i = 0; i < bank.Count(); ++i) EXPECT_EQ(bank.Button(i).Handle(), nullptr) << i;
    EXPECT_EQ((std::vector{plain.Enabled(), plain.Parent() == hostHandle}), (std::vector{false, true}));
    EXPECT_EQ((std::vector{moved.Left(), moved.Width()}), (std::vector{7, 30}));

    bank.Place(3, 10, 20, 40, 16, 0x111111, 0x222222);
    moved.SetVisible(true);
    ASSERT_TRUE(plain.Handle() && moved.Handle());
    EXPECT_TRUE(plain.Visible() && GetParent(plain.Handle()) == hostHandle && GetParent(moved.Handle()) == other);
    EXPECT_EQ(plain.Caption(), u"title");
    EXPECT_TRUE(!IsWindowEnabled(plain.Handle()) && plain.State() == ksDisabled);
    EXPECT_EQ((std::vector{plain.Left(), plain.Height(), moved.Top()}), (std::vector{10, 16, 8}));

    // A made button is a bank button like any other.
    std::vector<int> got;
    bank.OnButton = [&](int i) { got.push_back(i); };
    moved.SetEnabled(true);
    ClickButton(moved);
    EXPECT_EQ(got, std::vector<int>{5});
    wintest::Park(other);
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
    auto saved = kf::ErrorHandler;
    int errors = 0;
    kf::ErrorHandler = [&](HWND, const std::exception&) { ++errors; };
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
    kf::ErrorHandler = saved;
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

TEST_F(BankTest, PlaceShowsTheButtonWhereTheLayoutSays) {
    TButtonBank bank(40, hostHandle);
    const KMainLayout l = ComputeMainLayout(30, 20, 6, 100, 40);
    for (int k = 0; k < l.groupCount; ++k) {
        const KRect& r = l.groupButtons[k];
        bank.Place(kmainbank::GroupPos(k + 1), r.left, r.top, r.width, r.height, 0x111111, 0x222222);
    }
    for (int k = 0; k < l.groupCount; ++k) {
        TKButton& b = bank.Button(kmainbank::GroupPos(k + 1));
        EXPECT_TRUE(b.Visible());
        EXPECT_EQ(b.Left(), l.groupButtons[k].left);
        EXPECT_EQ(b.Top(), l.groupButtons[k].top);
        EXPECT_EQ(b.Width(), 30);
        EXPECT_EQ(b.Height(), 20);
        EXPECT_EQ(b.FaceColor(), 0x111111);
        EXPECT_EQ(b.FontColor(), 0x222222);
        EXPECT_EQ(b.Style(), zsSingle);
    }
    // "OP" follows the six group buttons; the row's other positions stay hidden.
    EXPECT_EQ(bank.Button(kmainbank::OptionsPos(6)).Left(), 4 + 6 * 32);
    EXPECT_FALSE(bank.Button(kmainbank::OptionsPos(6) + 1).Visible());

    // A small bank skips what it does not have.
    TButtonBank small(13, hostHandle);
    small.Place(12, 1, 2, 3, 4, 0, 0);
    small.Place(30, 1, 2, 3, 4, 0, 0);
    EXPECT_TRUE(small.Button(12).Visible());
}
