#include "ui/layout.h"

#include <gtest/gtest.h>

TEST(MainLayout, DefaultSettingsPlaceEveryRow) {
    // w 40, h 21, five groups, default list and memo heights.
    KMainLayout l = ComputeMainLayout(40, 21, 5, 165, 72);
    EXPECT_EQ(l.formWidth, (40 + 2) * 6 + 6);
    EXPECT_EQ(l.titleButtons[1], (KRect{l.formWidth - 38, 3, 16, 16}));
    EXPECT_EQ(l.titleButtons[2], (KRect{l.formWidth - 20, 3, 16, 16}));
    EXPECT_EQ(l.groupCount, 6);
    EXPECT_EQ(l.groupButtons[0], (KRect{4, 22, 40, 21}));
    EXPECT_EQ(l.groupButtons[5], (KRect{4 + 5 * 42, 22, 40, 21}));  // "OP"
    const int listTop = 22 + 21 + 4;
    EXPECT_EQ(l.list, (KRect{4, listTop, l.formWidth - 8, 165}));
    const int c = listTop + 165 + 4;
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(l.fieldButtons[k], (KRect{4, c + k * 23, 40, 21})) << k;
        EXPECT_EQ(l.edits[k], (KRect{46, c - 1 + k * 23, l.formWidth - 50, 21})) << k;
    }
    EXPECT_EQ(l.memo, (KRect{4, c + 4 * 23, l.formWidth - 8, 72}));
    EXPECT_EQ(l.panel.top, listTop);
    EXPECT_EQ(l.panel.Bottom(), l.memo.Bottom());
    EXPECT_EQ(l.formHeight, l.memo.Bottom() + 4);
}

TEST(MainLayout, WidthGrowsWithGroupCountAndFont) {
    EXPECT_EQ(ComputeMainLayout(40, 21, 10, 165, 72).formWidth, 42 * 11 + 6);
    EXPECT_EQ(ComputeMainLayout(60, 25, 5, 165, 72).formWidth, 62 * 6 + 6);
    // The edit boxes always end 4 pixels inside the right edge, whatever the button width.
    for (int w : {30, 45, 80}) {
        KMainLayout l = ComputeMainLayout(w, 20, 7, 100, 50);
        EXPECT_EQ(l.edits[0].Right(), l.formWidth - 4) << w;
        EXPECT_EQ(l.groupButtons[7].Right(), l.formWidth - 4) << w;  // "OP" at the right edge
    }
}

TEST(MainLayout, HeightFollowsListAndMemoSettings) {
    KMainLayout a = ComputeMainLayout(40, 21, 5, 22, 22);
    KMainLayout b = ComputeMainLayout(40, 21, 5, 500, 500);
    EXPECT_EQ(b.formHeight - a.formHeight, (500 - 22) * 2);
    EXPECT_EQ(b.memo.top - a.memo.top, 500 - 22);
}

TEST(MainLayout, ButtonWidthTakesTheWiderCaption) {
    EXPECT_EQ(FieldButtonWidth(24, 20), 32);
    EXPECT_EQ(FieldButtonWidth(20, 26), 34);
    EXPECT_EQ(FieldButtonWidth(25, 25), 33);
}
