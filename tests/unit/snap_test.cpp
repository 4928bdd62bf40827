#include <gtest/gtest.h>

#include "ui/snap.h"

using namespace ksnap;

TEST(Snap, ProbePointIsAboveLeftAndClampedToTheScreen) {
    Point p = ProbePoint({100, 50, 300, 400});
    EXPECT_EQ(p.x, 99);
    EXPECT_EQ(p.y, 49);
    p = ProbePoint({100, 0, 300, 400});
    EXPECT_EQ(p.x, 99);
    EXPECT_EQ(p.y, 0);
    p = ProbePoint({-10, -30, 300, 400});
    EXPECT_EQ(p.x, -11);
    EXPECT_EQ(p.y, 0);
}

TEST(Snap, FamilyClassesAreExactAndCaseSensitive) {
    for (auto name : {u"TFBolda", u"TFBoldan", u"TFLunet", u"TFMerro", u"TFTagget", u"TFWisp", u"TFKeyra",
                      u"VIDodureza"})
        EXPECT_TRUE(IsFamilyClass(name));
    EXPECT_FALSE(IsFamilyClass(u"tfkeyra"));
    EXPECT_FALSE(IsFamilyClass(u"TFKeyra "));
    EXPECT_FALSE(IsFamilyClass(u"TFKey"));
    EXPECT_FALSE(IsFamilyClass(u"TPanel"));  // a panel inside a neighbour
    EXPECT_FALSE(IsFamilyClass(u""));
}

TEST(Snap, UpperHalfDocksRightLowerHalfDocksBelow) {
    const Rect neighbour{100, 100, 300, 301};  // middle 100 + 201/2 = 200
    // Dragged top above the middle: to the right, tops aligned.
    SnapResult r = DecideSnap({150, 120, 350, 500}, u"TFKeyra", neighbour);
    EXPECT_EQ(r.snap, 1);
    EXPECT_EQ(r.x, 300);
    EXPECT_EQ(r.y, 100);
    // Exactly at the middle still counts as the upper half.
    r = DecideSnap({150, 200, 350, 500}, u"VIDodureza", neighbour);
    EXPECT_EQ(r.snap, 1);
    EXPECT_EQ(r.x, 300);
    EXPECT_EQ(r.y, 100);
    // One pixel below the middle: underneath, left edges aligned.
    r = DecideSnap({150, 201, 350, 500}, u"TFWisp", neighbour);
    EXPECT_EQ(r.snap, 1);
    EXPECT_EQ(r.x, 100);
    EXPECT_EQ(r.y, 301);
}

TEST(Snap, TopEdgeAndStrangersDoNotMove) {
    // At the top of the screen the neighbour's middle is never above the dragged top's 0.
    SnapResult r = DecideSnap({50, 0, 150, 100}, u"TFKeyra", {0, 0, 49, 300});
    EXPECT_EQ(r.snap, 1);
    EXPECT_EQ(r.x, 49);
    EXPECT_EQ(r.y, 0);
    r = DecideSnap({150, 201, 350, 500}, u"Notepad", {100, 100, 300, 301});
    EXPECT_EQ(r.snap, 0);
    r = DecideSnap({150, 201, 350, 500}, u"TPanel", {100, 100, 300, 301});
    EXPECT_EQ(r.snap, 0);
}
