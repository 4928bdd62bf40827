#include <gtest/gtest.h>

#include "ui/clicktarget.h"

TEST(ClickTarget, ForeignWindowsAimThePasteOwnWindowsAreHomeTheGeneratorNeither) {
    EXPECT_EQ(DecideClick({true, false, false}), KClickMeaning::Target);
    // The desktop or no window at all still counts as somewhere else to paste.
    EXPECT_EQ(DecideClick({false, false, false}), KClickMeaning::Target);
    EXPECT_EQ(DecideClick({true, true, false}), KClickMeaning::Home);
    EXPECT_EQ(DecideClick({true, true, true}), KClickMeaning::Nothing);
}
