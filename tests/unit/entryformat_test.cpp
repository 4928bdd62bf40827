#include <gtest/gtest.h>

#include "input/entryformat.h"
#include "tests/unit/entry_builder.h"

namespace {

void ExpectTexts(const KIdData& got, const KIdData& want) {
    EXPECT_EQ(got.InUse, 1);
    for (int n = 1; n <= 5; ++n) EXPECT_EQ(got.Text(n), want.Text(n)) << "part " << n;
}

}  // namespace

TEST(EntryFormat, BuildsPartsInOrderLeavingEmptyOnesOut) {
    EXPECT_EQ(BuildEntryText(Entry(u"ab", u"c", u"", u"", u"")), u"\\161006200\\26300");
    EXPECT_EQ(BuildEntryText(Entry(u"", u"", u"x", u"", u"y")), u"\\37800\\57900");
    EXPECT_EQ(BuildEntryText(Entry(u"", u"", u"", u"", u"")), u"");
    // Four lowercase digits per unit, low byte first.
    EXPECT_EQ(BuildEntryText(Entry(u"\u30a2", u"", u"", u"", u"")), u"\\1a230");
}

TEST(EntryFormat, ParsesTheExampleAndEmptyText) {
    ExpectTexts(ParseEntryText(u"\\161006200\\26300"), Entry(u"ab", u"c", u"", u"", u""));

    const KIdData empty = ParseEntryText(u"");
    EXPECT_EQ(empty.InUse, 1);
    EXPECT_TRUE(empty.AllEmpty());
}

TEST(EntryFormat, IgnoresPartsAboveFiveAndTextBeforeTheFirstMarker) {
    // A foreign writer: leading junk, parts 6 and F, parts out of order, a repeated part.
    const std::u16string text = u"junk=\\x\\66100\\36300\\F6200\\16100\\16200";
    ExpectTexts(ParseEntryText(text), Entry(u"b", u"", u"c", u"", u""));
}

TEST(EntryFormat, StopsAtAZeroUnit) {
    std::u16string text = u"\\16100";
    text.push_back(u'\0');
    text += u"\\26200";
    ExpectTexts(ParseEntryText(text), Entry(u"a", u"", u"", u"", u""));
}

TEST(EntryFormat, RoundTripsAwkwardTexts) {
    const KIdData tricky = Entry(u"銀行=口座", u"user\\name", u"p\\1a=\\F\r\nline2\n\\", u"https://例え.jp/?a=1&b=2",
                                 u"メモ\r\n二行目\\3");
    const std::u16string text = BuildEntryText(tricky);
    // The value is one line of markers and hex digits only.
    EXPECT_EQ(text.find_first_of(u"=\r\n"), std::u16string::npos);
    ExpectTexts(ParseEntryText(text), tricky);
}

TEST(EntryFormat, BuildIgnoresTheInUseFlag) {
    KIdData e = Entry(u"t", u"", u"", u"", u"");
    const std::u16string inUse = BuildEntryText(e);
    e.InUse = 0;
    EXPECT_EQ(BuildEntryText(e), inUse);
}
