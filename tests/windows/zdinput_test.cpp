#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "input/zdinput_win.h"
#include "tests/windows/input_test_util.h"

namespace {

using inputtest::Notepad;
using inputtest::WaitFor;
using inputtest::Xdotool;

std::vector<KClickReport> g_reports;

LRESULT CALLBACK ReceiverProc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_KEYRA_CLICK) {
        g_reports.push_back(DecodeClickReport(wp, lp));
        return 0;
    }
    return DefWindowProcW(w, msg, wp, lp);
}

HWND MakeReceiver() {
    static ATOM atom = [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = ReceiverProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"KeyraClickReceiver";
        return RegisterClassW(&wc);
    }();
    (void)atom;
    return CreateWindowExW(0, L"KeyraClickReceiver", L"receiver", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

bool At(const KClickReport& r, int x, int y) { return r.point.x == x && r.point.y == y; }

class ClickWatch : public ::testing::Test {
protected:
    void SetUp() override {
        if (!inputtest::HaveXdotool()) GTEST_SKIP() << "needs Wine and xdotool for real mouse input";
        g_reports.clear();
        receiver_ = MakeReceiver();
        ASSERT_NE(receiver_, nullptr);
        // A window of ours to click on where a click must do nothing else.
        pad_ = inputtest::MakeWindow(700, 100, 300, 300, true);
        ASSERT_NE(pad_, nullptr);
        ASSERT_TRUE(notepad_.Open(100, 100, 400, 300));
        SetForegroundWindow(notepad_.Frame());
        WaitFor([&] { return GetForegroundWindow() == notepad_.Frame(); });
    }
    void TearDown() override {
        watch_.reset();
        if (pad_) DestroyWindow(pad_);
        if (receiver_) DestroyWindow(receiver_);
        notepad_.Close();
    }

    void StartWatch() {
        watch_ = std::make_unique<KMouseWatch>(GetModuleHandleW(nullptr), receiver_);
        ASSERT_EQ(watch_->Status(), KMouseWatch::kReady);
        ASSERT_EQ(watch_->Start(), KMouseWatch::kReady);
    }

    // Every sequence ends with a left click at (810, 210) over the pad, the sentinel: once it
    // is reported, everything sent before it has been seen.
    bool RunUntilSentinel(const std::wstring& before) {
        if (!Xdotool(before + L" sleep 0.5 mousemove 810 210 click 1")) return false;
        return WaitFor([] { return !g_reports.empty() && At(g_reports.back(), 810, 210); }, 10000);
    }

    HWND receiver_ = nullptr;
    HWND pad_ = nullptr;
    Notepad notepad_;
    std::unique_ptr<KMouseWatch> watch_;
};

}  // namespace

TEST_F(ClickWatch, ReportsALeftPressOverAForeignWindowInTheBackground) {
    StartWatch();
    ASSERT_NE(GetForegroundWindow(), receiver_);
    ASSERT_TRUE(RunUntilSentinel(L"mousemove 250 200 click 1"));
    ASSERT_EQ(g_reports.size(), 2u);
    EXPECT_TRUE(At(g_reports[0], 250, 200)) << g_reports[0].point.x << "," << g_reports[0].point.y;
    EXPECT_EQ(GetAncestor(g_reports[0].window, GA_ROOT), notepad_.Frame());
    EXPECT_EQ(GetAncestor(g_reports[1].window, GA_ROOT), pad_);
}

TEST_F(ClickWatch, DoubleClickGivesTwoReports) {
    StartWatch();
    ASSERT_TRUE(RunUntilSentinel(L"mousemove 250 200 click --repeat 2 --delay 80 1"));
    ASSERT_EQ(g_reports.size(), 3u);
    EXPECT_TRUE(At(g_reports[0], 250, 200));
    EXPECT_TRUE(At(g_reports[1], 250, 200));
}

TEST_F(ClickWatch, RightButtonMiddleButtonAndWheelAreNeverReported) {
    StartWatch();
    ASSERT_TRUE(RunUntilSentinel(L"mousemove 800 200 click 3 sleep 0.2 click 2 sleep 0.2 click 4 sleep 0.2 click 5"));
    EXPECT_EQ(g_reports.size(), 1u);
}

TEST_F(ClickWatch, WithoutStartNothingIsReported) {
    watch_ = std::make_unique<KMouseWatch>(GetModuleHandleW(nullptr), receiver_);
    ASSERT_EQ(watch_->Status(), KMouseWatch::kReady);
    ASSERT_TRUE(Xdotool(L"mousemove 250 200 click 1 sleep 0.3 mousemove 260 210"));
    ASSERT_TRUE(WaitFor([] {
        POINT p{};
        GetCursorPos(&p);
        return p.x == 260 && p.y == 210;
    }));
    watch_->Start();
    ASSERT_TRUE(RunUntilSentinel(L"mousemove 800 200"));
    EXPECT_EQ(g_reports.size(), 1u);
}

TEST_F(ClickWatch, ShutdownWhileClicksArriveNeitherCrashesNorHangs) {
    for (int round = 0; round < 4; ++round) {
        SCOPED_TRACE(round);
        g_reports.clear();
        StartWatch();
        ASSERT_TRUE(Xdotool(L"mousemove 800 250 click --repeat 25 --delay 20 1 mousemove 5 5"));
        ASSERT_TRUE(WaitFor([] { return !g_reports.empty(); }, 10000));
        const ULONGLONG t0 = GetTickCount64();
        watch_.reset();
        // The worker must leave on its own, well before the destructor would give up on it.
        EXPECT_LT(GetTickCount64() - t0, ULONGLONG{KMouseWatch::kStopTimeoutMs});
        // Let this round's clicks finish before the next one starts.
        ASSERT_TRUE(WaitFor([] {
            POINT p{};
            GetCursorPos(&p);
            return p.x == 5 && p.y == 5;
        }, 10000));
    }
}

TEST(ClickWatchSetup, InvalidWindowFailsQuietlyWithItsStep) {
    HWND gone = inputtest::MakeWindow(0, 0, 10, 10, false);
    ASSERT_NE(gone, nullptr);
    DestroyWindow(gone);
    KMouseWatch watch(GetModuleHandleW(nullptr), gone);
    EXPECT_EQ(watch.Status(), KMouseWatch::kNoCooperativeLevel);
    EXPECT_EQ(watch.Start(), KMouseWatch::kNoCooperativeLevel);
}

TEST(ClickWatchSetup, DecodeRecoversNegativeCoordinates) {
    const POINT p{-1200, -5};
    const KClickReport r = DecodeClickReport(static_cast<WPARAM>(0x12340), EncodeClickPoint(p));
    EXPECT_EQ(r.point.x, -1200);
    EXPECT_EQ(r.point.y, -5);
    EXPECT_EQ(r.window, reinterpret_cast<HWND>(0x12340));
}
