#include <gtest/gtest.h>

#include <climits>

#include "ui/winpos.h"

namespace {

const std::vector<KRect> kOne = {{0, 0, 1280, 800}};
// A second screen left of the first and lower down, as a laptop beside a monitor.
const std::vector<KRect> kTwo = {{0, 0, 1920, 1080}, {-1280, 200, 1280, 800}};

struct Pos {
    int left, top;
};

Pos Brought(int left, int top, int width, const std::vector<KRect>& screens) {
    BringTitleRowOnScreen(left, top, width, screens);
    return {left, top};
}

}  // namespace

TEST(WindowPosition, ATitleRowPartlyOnAScreenStaysWhereItIs) {
    for (const Pos p : {Pos{600, 100}, Pos{-200, -10}, Pos{1279, 799}, Pos{-259, 0}, Pos{600, -21}}) {
        SCOPED_TRACE(testing::Message() << p.left << "," << p.top);
        EXPECT_TRUE(TitleRowOnScreen(p.left, p.top, 260, kOne));
        const Pos b = Brought(p.left, p.top, 260, kOne);
        EXPECT_EQ(b.left, p.left);
        EXPECT_EQ(b.top, p.top);
    }
    // On the second screen only.
    EXPECT_TRUE(TitleRowOnScreen(-1000, 900, 260, kTwo));
    EXPECT_FALSE(TitleRowOnScreen(-1000, 100, 260, kTwo));  // above the left screen, left of the main one
}

TEST(WindowPosition, TheMinimizedParkingPlaceComesBackOnScreen) {
    EXPECT_FALSE(TitleRowOnScreen(-32000, -32000, 260, kOne));
    const Pos b = Brought(-32000, -32000, 260, kOne);
    EXPECT_EQ(b.left, 0);
    EXPECT_EQ(b.top, 0);
    EXPECT_TRUE(TitleRowOnScreen(b.left, b.top, 260, kOne));
}

TEST(WindowPosition, OffScreenPositionsGoToTheNearestScreenEdge) {
    // Just above the screen: only the top changes.
    Pos b = Brought(600, -22, 260, kOne);
    EXPECT_EQ(b.left, 600);
    EXPECT_EQ(b.top, 0);
    // Wholly left of it: only the left changes.
    b = Brought(-260, 300, 260, kOne);
    EXPECT_EQ(b.left, 0);
    EXPECT_EQ(b.top, 300);
    // Far right and below: the corner keeps the 100-pixel margin of the load clamp.
    b = Brought(5000, 5000, 260, kOne);
    EXPECT_EQ(b.left, 1180);
    EXPECT_EQ(b.top, 700);
    // Nearer to the left screen than to the main one: it goes there.
    b = Brought(-1600, 500, 260, kTwo);
    EXPECT_EQ(b.left, -1280);
    EXPECT_EQ(b.top, 500);
    EXPECT_TRUE(TitleRowOnScreen(b.left, b.top, 260, kTwo));
}

TEST(WindowPosition, ExtremeValuesAndNoScreensAreSafe) {
    Pos b = Brought(INT_MIN, INT_MAX, 260, kOne);
    EXPECT_EQ(b.left, 0);
    EXPECT_EQ(b.top, 700);
    b = Brought(INT_MAX, INT_MIN, 260, kOne);
    EXPECT_EQ(b.left, 1180);
    EXPECT_EQ(b.top, 0);
    // Nothing to measure against: leave it.
    b = Brought(-32000, -32000, 260, {});
    EXPECT_EQ(b.left, -32000);
    EXPECT_EQ(b.top, -32000);
    // A screen narrower than the margin: the corner stays at its left and top edges.
    b = Brought(-500, -500, 260, {{0, 0, 50, 50}});
    EXPECT_EQ(b.left, 0);
    EXPECT_EQ(b.top, 0);
}
