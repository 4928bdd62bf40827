#include "storage/kplatform.h"
#include "storage/kvar.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace {

std::u16string T(const KVar& v) { return std::u16string(v.AsText()); }

TEST(KVarStorage, ShortTextsStayInlineLongerOnesGoToTheHeap) {
    KVar four(u"abcd");
    EXPECT_TRUE(four.IsInline());
    EXPECT_EQ(four.Capacity(), 8);
    EXPECT_EQ(four.Length(), 4);

    KVar five(u"abcde");
    EXPECT_FALSE(five.IsInline());
    EXPECT_EQ(five.Capacity(), 10);
    EXPECT_EQ(T(five), u"abcde");

    KVar n(123456);
    EXPECT_TRUE(n.IsInline());
    KVar r(0);
    r.SetReal(1.5);
    EXPECT_TRUE(r.IsInline());
}

TEST(KVarStorage, CapacityNeverShrinksAndReserveKeepsEnoughRoom) {
    KVar v(u"a long enough text");
    const auto cap = v.Capacity();
    v.SetText(u"x");
    EXPECT_EQ(v.Capacity(), cap);
    EXPECT_EQ(T(v), u"x");
    v.SetInt(7);
    EXPECT_EQ(v.Capacity(), cap);
    EXPECT_EQ(v.AsInt(), 7);
    v.Reserve(100);
    EXPECT_EQ(v.Capacity(), 100);
    v.Reserve(50);
    EXPECT_EQ(v.Capacity(), 100);
}

TEST(KVarStorage, AppendGrowsAndKeepsTheText) {
    KVar v(u"ab");
    v.Append(u"cd");
    EXPECT_TRUE(v.IsInline());
    v.Append(u"efgh");
    EXPECT_EQ(v.Capacity(), 16);
    EXPECT_EQ(T(v), u"abcdefgh");
    v.Append(u"");
    EXPECT_EQ(v.View(), u"abcdefgh");
    // Appending the value's own text must not read freed memory.
    v.Append(v.View());
    EXPECT_EQ(v.View(), u"abcdefghabcdefgh");
    std::u16string big(1000, u'z');
    for (int i = 0; i < 20; ++i) v.Append(big);
    EXPECT_EQ(v.Length(), 16 + 20000);
}

TEST(KVarStorage, SettingATextFromItsOwnPayloadIsSafe) {
    KVar v(u"0123456789");
    v.SetText(v.View().substr(2, 3));
    EXPECT_EQ(v.View(), u"234");
    KVar w(u"abcdefghijkl");
    w.Mid(w, 1, 20);
    EXPECT_EQ(w.View(), u"bcdefghijkl");
}

TEST(KVarStorage, CopiesAreIndependent) {
    KVar a(u"shared text here");
    (void)a.AsText();  // gives a a companion, which a copy must not share
    KVar b(a);
    b.Append(u"!");
    EXPECT_EQ(a.View(), u"shared text here");
    EXPECT_EQ(b.View(), u"shared text here!");
    KVar c(5);
    c = a;
    EXPECT_EQ(c.GetKind(), KVar::Text);
    EXPECT_EQ(c.View(), a.View());
    KVar& alias = c;
    c = alias;
    EXPECT_EQ(c.View(), u"shared text here");
    c = std::u16string_view(u"q");
    EXPECT_EQ(c.View(), u"q");
    KVar nul(static_cast<const char16_t*>(nullptr));
    EXPECT_EQ(nul.GetKind(), KVar::Text);
    EXPECT_EQ(nul.Length(), 0);
}

TEST(KVarConversion, IntegerParsing) {
    EXPECT_EQ(KVar(u" -12x").AsInt(), -12);
    EXPECT_EQ(KVar(u"x12").AsInt(), 0);
    EXPECT_EQ(KVar(u"").AsInt(), 0);
    EXPECT_EQ(KVar(u"+42").AsInt(), 42);
    EXPECT_EQ(KVar(u"\t\r\n 7").AsInt(), 7);
    EXPECT_EQ(KVar(u"0x984E00").AsInt(), 0);
    EXPECT_EQ(KVar(u"-2147483648").AsInt(), std::numeric_limits<std::int32_t>::min());
    KVar r(0);
    r.SetReal(-2.9);
    EXPECT_EQ(r.AsInt(), -2);
    r.SetReal(2.9);
    EXPECT_EQ(r.AsInt(), 2);
    // Out-of-range reals saturate rather than being undefined.
    r.SetReal(1e300);
    EXPECT_EQ(r.AsInt(), std::numeric_limits<std::int32_t>::max());
    r.SetReal(-1e300);
    EXPECT_EQ(r.AsInt(), std::numeric_limits<std::int32_t>::min());
    r.SetReal(std::nan(""));
    EXPECT_EQ(r.AsInt(), 0);
}

TEST(KVarConversion, RealParsing) {
    EXPECT_DOUBLE_EQ(KVar(u"0.3").AsReal(), 0.3);
    EXPECT_DOUBLE_EQ(KVar(u"2x").AsReal(), 2.0);
    EXPECT_EQ(KVar(u"abc").AsReal(), 0.0);
    EXPECT_EQ(KVar(u"").AsReal(), 0.0);
    EXPECT_EQ(KVar(u"0.0").AsReal(), 0.0);
    EXPECT_DOUBLE_EQ(KVar(u"  -1.5e3").AsReal(), -1500.0);
    EXPECT_DOUBLE_EQ(KVar(u"12\u30421").AsReal(), 12.0);
    EXPECT_EQ(KVar(-7).AsReal(), -7.0);
    // Decimal only: no hex, no special values, an exponent needs digits.
    for (const char16_t* t : {u"0x1", u"0X1p3", u"nan", u"inf", u"-Infinity", u"+", u"-.e1"})
        EXPECT_EQ(KVar(t).AsReal(), 0.0) << kplat::ToUtf8(t);
    EXPECT_DOUBLE_EQ(KVar(u"3e").AsReal(), 3.0);
    EXPECT_DOUBLE_EQ(KVar(u"-.5E+1x").AsReal(), -5.0);
}

TEST(KVarConversion, TextForms) {
    EXPECT_EQ(T(KVar(std::numeric_limits<std::int32_t>::min())), u"-2147483648");
    EXPECT_EQ(T(KVar(0)), u"0");
    EXPECT_EQ(T(KVar(9981440)), u"9981440");
    KVar r(0);
    r.SetReal(0.1);
    EXPECT_EQ(T(r), u"0.1");
    r.SetReal(1e20);
    EXPECT_EQ(T(r), u"1e+20");
    r.SetReal(123456789012345678.0);
    EXPECT_EQ(T(r), u"1.23456789012346e+17");
    r.SetReal(-0.5);
    EXPECT_EQ(T(r), u"-0.5");
    r.SetReal(1.0 / 3.0);
    EXPECT_EQ(T(r), u"0.333333333333333");
    // A text's AsText is a copy that lives until the next conversion.
    KVar t(u"日本語");
    const char16_t* p = t.AsText();
    EXPECT_EQ(std::u16string(p), u"日本語");
    EXPECT_NE(p, reinterpret_cast<const char16_t*>(t.View().data()));
}

TEST(KVarConversion, LengthOnlyCountsTexts) {
    EXPECT_EQ(KVar(12345).Length(), 0);
    EXPECT_EQ(KVar(u"12345").Length(), 5);
    EXPECT_EQ(KVar(u"").Length(), 0);
}

TEST(KVarOperators, PlusFollowsTheRightOperand) {
    KVar one(1), two(u"2");
    KVar& a = one + two;
    EXPECT_EQ(a.GetKind(), KVar::Text);
    EXPECT_EQ(a.View(), u"12");
    KVar t1(u"1"), i2(2);
    KVar& b = t1 + i2;
    EXPECT_EQ(b.GetKind(), KVar::Int);
    EXPECT_EQ(b.AsInt(), 3);
    // The left operand's own payload is untouched.
    EXPECT_EQ(one.AsInt(), 1);
    EXPECT_EQ(t1.View(), u"1");
    KVar max(std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ((max + KVar(1)).AsInt(), std::numeric_limits<std::int32_t>::min());
    KVar prefix(u"I");
    EXPECT_EQ((prefix + KVar(u"1000")).View(), u"I1000");
    KVar r(0);
    r.SetReal(0.5);
    KVar r2(0);
    r2.SetReal(0.25);
    EXPECT_DOUBLE_EQ((KVar(1) + r).AsReal(), 1.5);
    EXPECT_DOUBLE_EQ((r + r2).AsReal(), 0.75);
    // Chained: the second + works on the first result's own companion.
    EXPECT_EQ((prefix + KVar(u"1") + KVar(u"2")).View(), u"I12");
}

TEST(KVarOperators, EqualityIsNotSymmetric) {
    EXPECT_TRUE(KVar(u"") == KVar(0));
    EXPECT_FALSE(KVar(0) == KVar(u""));
    EXPECT_TRUE(KVar(12) == KVar(u"12"));
    EXPECT_FALSE(KVar(u"abc") == KVar(u"ABC"));
    EXPECT_TRUE(KVar(u"abc") == KVar(u"abc"));
    KVar r(0);
    r.SetReal(2.0);
    EXPECT_TRUE(KVar(2) == r);
    EXPECT_TRUE(KVar(u" 2.0") == r);
}

TEST(KVarMid, TakesAWindowOrLeavesTheTarget) {
    KVar src(u"abcde");
    KVar v(u"old");
    v.Mid(src, 3, 10);
    EXPECT_EQ(v.View(), u"de");
    v.SetText(u"keep");
    v.Mid(src, 5, 1);
    EXPECT_EQ(v.View(), u"keep");
    v.Mid(src, 0, 0);
    EXPECT_EQ(v.View(), u"keep");
    v.Mid(src, -1, 2);
    EXPECT_EQ(v.View(), u"keep");
    v.Mid(KVar(12345), 0, 2);
    EXPECT_EQ(v.View(), u"keep");
    v.Mid(src, 1, 3);
    EXPECT_EQ(v.View(), u"bcd");
}

TEST(KVarLifetime, ManyConversionsReleaseEverything) {
    // Leaks here are caught by the sanitizer build.
    for (int i = 0; i < 100; ++i) {
        KVar v(u"a text long enough for the heap");
        for (int k = 0; k < 10; ++k) {
            (void)v.AsText();
            KVar& c = v + KVar(u" and more text that grows");
            (void)c.AsText();
            (void)(c + KVar(u"tail tail tail"));
        }
        EXPECT_EQ(v.View(), u"a text long enough for the heap");
    }
}

}  // namespace
