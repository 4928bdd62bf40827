#include <gtest/gtest.h>

#include <set>
#include <string>

#include "generator/randompass.h"

using namespace krandom;

namespace {
// Kinds of the characters of a password made for a type of length 4 or more.
void ExpectFollowsClassRules(const std::u16string& pw, int type) {
    ASSERT_FALSE(pw.empty());
    const auto in = [](int c, char16_t ch) { return ClassChars(c).find(ch) != std::u16string_view::npos; };
    int lower = 0, upper = 0, digit = 0, symbol = 0;
    for (char16_t ch : pw) {
        lower += in(2, ch);
        upper += in(3, ch);
        digit += in(1, ch);
        symbol += in(4, ch);
        EXPECT_EQ(std::u16string(u"01lIoO").find(ch), std::u16string::npos) << "a confusable character";
    }
    EXPECT_EQ(lower + upper + digit + symbol, static_cast<int>(pw.size())) << "a character of no class";
    EXPECT_GT(lower, 0);
    EXPECT_GT(digit, 0);
    EXPECT_EQ(upper > 0, type >= 3);
    EXPECT_EQ(symbol > 0, type == 2 || type == 4);
    if (type <= 2) EXPECT_TRUE(in(2, pw[0]));
    else EXPECT_TRUE(in(2, pw[0]) || in(3, pw[0]));
}

std::u16string FromSeed0(const char16_t* length, int type) {
    KSeq15Random rnd(0);
    return GenerateRandom(length, type, rnd).password;
}
}  // namespace

TEST(RandomPasswords, SequenceFromStateZeroAndRangesConsumeOneDrawEach) {
    KSeq15Random rnd(0);
    for (int expected : {0, 346, 130, 10982, 1090}) EXPECT_EQ(rnd.Next(), expected);
    KSeq15Random a(0), b(0);
    EXPECT_EQ(a.RandRange(5, 5), 5);
    b.Next();
    EXPECT_EQ(a.Next(), b.Next()) << "RandRange(a, a) still takes one draw";
    KSeq15Random c(0);
    c.Next();
    EXPECT_EQ(c.RandRange(1, 24), 1 + 346 * 24 / 32768);
}

TEST(RandomPasswords, ExactPasswordsOfTheFifteenBitSequence) {
    // Worked out apart from this code from the sequence and the draw order: classes first, then characters.
    EXPECT_EQ(FromSeed0(u"3", 4), u"111");
    EXPECT_EQ(FromSeed0(u"4", 4), u"gL2@");
    EXPECT_EQ(FromSeed0(u"16", 4), u"v6y9zT64t4r-ep-u");
    EXPECT_EQ(FromSeed0(u"12", 1), u"mjj66g3vhijf");
    EXPECT_EQ(FromSeed0(u"8", 0), u"11141436");
    EXPECT_EQ(FromSeed0(u"30", 2), u"t9k4yr?sfh929qbw7sy54shiuz9fj9");
    EXPECT_EQ(FromSeed0(u"10", 3), u"gm5Kp64evh");
    KSeq15Random rnd(0);
    GenerateRandom(u"16", 4, rnd);
    EXPECT_EQ(GenerateRandom(u"16", 4, rnd).password, u"zYFjx5i_d3$dQy4C") << "the state runs on";
}

TEST(RandomPasswords, LengthsThreeFourThirtyAndThirtyOne) {
    KSeq15Random rnd(1234);
    for (int round = 0; round < 50; ++round) {
        const auto three = GenerateRandom(u"3", 4, rnd).password;
        ASSERT_EQ(three.size(), 3u);
        for (char16_t ch : three) EXPECT_NE(ClassChars(0).find(ch), std::u16string_view::npos);
        const auto four = GenerateRandom(u"4", 4, rnd).password;
        ASSERT_EQ(four.size(), 4u);
        ExpectFollowsClassRules(four, 4);
        for (int type = 1; type <= 4; ++type) {
            const auto thirty = GenerateRandom(u"30", type, rnd);
            EXPECT_EQ(thirty.outcome, Outcome::Made);
            EXPECT_EQ(thirty.password.size(), 30u);
            ExpectFollowsClassRules(thirty.password, type);
        }
    }
    const auto tooLong = GenerateRandom(u"31", 4, rnd);
    EXPECT_EQ(tooLong.outcome, Outcome::TooLong);
    EXPECT_TRUE(tooLong.password.empty());
    EXPECT_EQ(GenerateRandom(u"31", -1, rnd).outcome, Outcome::TooLong) << "the length is checked first";
}

TEST(RandomPasswords, NothingWithoutANumberOrAType) {
    KSeq15Random rnd(0);
    for (const char16_t* text : {u"", u"0", u"abc", u"1a", u"-"})
        EXPECT_EQ(GenerateRandom(text, 4, rnd).outcome, Outcome::Nothing) << "length text";
    EXPECT_EQ(GenerateRandom(u"8", -1, rnd).outcome, Outcome::Nothing);
    const auto negative = GenerateRandom(u"-5", 4, rnd);
    EXPECT_TRUE(negative.password.empty());
    EXPECT_EQ(LengthOf(u"99999999999"), 0);
    EXPECT_EQ(TypeName(3), u"大小英字 + 数字 ");
}

TEST(RandomPasswords, SecureSourceFollowsTheRulesAndDoesNotRepeat) {
    KSecureRandom rnd;
    std::set<std::u16string> seen;
    for (int i = 0; i < 20; ++i) {
        const auto pw = GenerateRandom(u"16", 4, rnd).password;
        ASSERT_EQ(pw.size(), 16u);
        ExpectFollowsClassRules(pw, 4);
        seen.insert(pw);
    }
    EXPECT_EQ(seen.size(), 20u);
    for (int i = 0; i < 1000; ++i) {
        const int v = rnd.RandRange(1, 6);
        ASSERT_TRUE(v >= 1 && v <= 6);
    }
}

TEST(RandomPasswords, UniformBelowRejectsTheBiasedTop) {
    // With n = 3, 2^32 mod 3 = 1: the one top word 0xFFFFFFFF must be drawn again.
    std::uint32_t words[] = {0xFFFFFFFFu, 0xFFFFFFFEu};
    int i = 0;
    EXPECT_EQ(UniformBelow(3, [&] { return words[i++]; }), 0xFFFFFFFEu % 3);
    EXPECT_EQ(i, 2);
    i = 0;
    EXPECT_EQ(UniformBelow(1u << 31, [&] { return words[i++]; }), 0x7FFFFFFFu) << "a power of two keeps every word";
}
