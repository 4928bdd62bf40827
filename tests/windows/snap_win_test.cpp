#include <gtest/gtest.h>

#include "tests/windows/win_host.h"
#include "ui/snap_win.h"

using wintest::Park;
using wintest::Persistent;

namespace {

RECT RectOf(HWND h) {
    RECT r{};
    GetWindowRect(h, &r);
    return r;
}

// Windows of the test are put back out of the way whatever the outcome.
struct SnapTest : ::testing::Test {
    std::vector<HWND> used;
    HWND Place(const wchar_t* cls, int x, int y, int w, int h, HWND parent = nullptr) {
        HWND hwnd = Persistent(cls, x, y, w, h, parent);
        if (!parent) used.push_back(hwnd);
        return hwnd;
    }
    void TearDown() override {
        for (HWND h : used) Park(h);
    }
    TWindowSnapper snapper;
};

}  // namespace

TEST_F(SnapTest, DocksRightOfTheUpperHalfAndBelowTheLowerHalf) {
    Place(L"TFKeyra", 300, 200, 200, 301);  // middle at y 350
    HWND dragged = Place(L"KeyraDragged", 350, 260, 120, 80);  // probe (349, 259)
    EXPECT_EQ(snapper.SnapToNeighbour(dragged), 1);
    RECT r = RectOf(dragged);
    EXPECT_EQ(r.left, 500);
    EXPECT_EQ(r.top, 200);
    EXPECT_EQ(r.right - r.left, 120);
    EXPECT_EQ(r.bottom - r.top, 80);

    dragged = Place(L"KeyraDragged", 350, 420, 120, 80);
    EXPECT_EQ(snapper.SnapToNeighbour(dragged), 1);
    r = RectOf(dragged);
    EXPECT_EQ(r.left, 300);
    EXPECT_EQ(r.top, 501);
    EXPECT_EQ(r.bottom - r.top, 80);
}

TEST_F(SnapTest, ChildOfAFamilyWindowCountsButAPanelInsideDoesNot) {
    HWND neighbour = Place(L"TFKeyra", 300, 200, 200, 300);
    Place(L"KeyraList", 0, 0, 200, 100, neighbour);
    HWND panel = Place(L"TPanel", 0, 150, 200, 150, neighbour);
    Place(L"KeyraEdit", 0, 0, 200, 150, panel);
    HWND dragged = Place(L"KeyraDragged", 350, 260, 100, 50);  // probe on the list, a direct child
    EXPECT_EQ(snapper.SnapToNeighbour(dragged), 1);
    EXPECT_EQ(RectOf(dragged).left, 500);

    dragged = Place(L"KeyraDragged", 350, 420, 100, 50);  // probe on the edit inside the panel
    EXPECT_EQ(snapper.SnapToNeighbour(dragged), 0);
    RECT r = RectOf(dragged);
    EXPECT_EQ(r.left, 350);
    EXPECT_EQ(r.top, 420);
    // Put the children away so the other tests hit the bare window.
    Place(L"KeyraList", 0, 0, 0, 0, neighbour);
    Place(L"TPanel", 0, 0, 0, 0, neighbour);
}

TEST_F(SnapTest, StrangersLeaveTheWindowWhereItWasDropped) {
    Place(L"Notepad", 300, 200, 200, 300);
    HWND dragged = Place(L"KeyraDragged", 350, 260, 100, 50);
    EXPECT_EQ(snapper.SnapToNeighbour(dragged), 0);
    EXPECT_EQ(RectOf(dragged).left, 350);
    EXPECT_EQ(RectOf(dragged).top, 260);
    EXPECT_EQ(snapper.SnapToNeighbour(nullptr), 0);
}

TEST_F(SnapTest, TopOfTheScreenProbesRowZero) {
    Place(L"VIDodureza", 100, 0, 150, 300);
    HWND dragged = Place(L"KeyraDragged", 200, 0, 100, 50);  // probe (199, 0)
    EXPECT_EQ(snapper.SnapToNeighbour(dragged), 1);
    RECT r = RectOf(dragged);
    EXPECT_EQ(r.left, 250);
    EXPECT_EQ(r.top, 0);
}
