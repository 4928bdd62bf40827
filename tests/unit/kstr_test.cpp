#include "core/kstr.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

TEST(Decimal, SignedValuesIncludingTheExtremes) {
    EXPECT_EQ(kstr::Decimal(0), u"0");
    EXPECT_EQ(kstr::Decimal(7), u"7");
    EXPECT_EQ(kstr::Decimal(1000), u"1000");
    EXPECT_EQ(kstr::Decimal(-42), u"-42");
    EXPECT_EQ(kstr::Decimal(INT_MIN), u"-2147483648");
    EXPECT_EQ(kstr::Decimal(4294967295u), u"4294967295");  // a Win32 error code above INT_MAX
    EXPECT_EQ(kstr::Decimal(LLONG_MIN), u"-9223372036854775808");
    EXPECT_EQ(kstr::Decimal(LLONG_MAX), u"9223372036854775807");
}

}  // namespace
