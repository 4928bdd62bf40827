#include "storage/kini.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "core/kerror.h"
#include "storage/kplatform.h"
#include "storage_temp_dir.h"

namespace {

std::vector<std::u16string> Lines(const KIni& doc) {
    std::vector<std::u16string> out;
    for (int i = 0; i < doc.LineCount(); ++i) out.push_back(doc.Line(i));
    return out;
}

TEST(KIniRandom, SequenceFromSeedOne) {
    KIni doc;
    const std::int32_t expected[] = {346, 130, 10982, 1090, 11656};
    for (auto e : expected) EXPECT_EQ(doc.Next(), e);
    doc.SetSeed(1);
    const std::int32_t ranged[] = {0, 0, 3, 0, 3};
    for (auto e : ranged) EXPECT_EQ(doc.RandRange(0, 9), e);
}

TEST(KIniRandom, RangeStaysInsideItsBounds) {
    KIni doc;
    doc.SetSeed(-12345);
    for (int i = 0; i < 5000; ++i) {
        const auto v = doc.RandRange(-3, 4);
        ASSERT_GE(v, -3);
        ASSERT_LE(v, 4);
    }
    EXPECT_EQ(doc.RandRange(7, 7), 7);
    const auto wide = doc.RandRange(std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max());
    EXPECT_GE(wide, std::numeric_limits<std::int32_t>::min());
}

TEST(KIniRandom, RangeIsTheFloorOfTheScaledValue) {
    // a + floor(value * (b - a + 1) / 32768) in floating point, for every value the sequence can give.
    const std::pair<std::int32_t, std::int32_t> ranges[] = {
        {0, 9}, {-3, 4}, {100, 100}, {std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()}};
    for (const auto& [a, b] : ranges) {
        KIni doc, ref;
        doc.SetSeed(77);
        ref.SetSeed(77);
        for (int i = 0; i < 70000; ++i) {
            const double span = static_cast<double>(b) - a + 1.0;
            const auto expected = static_cast<std::int32_t>(a + std::floor(ref.Next() * span / 32768.0));
            ASSERT_EQ(doc.RandRange(a, b), expected) << a << ".." << b << " at " << i;
        }
    }
}

TEST(KIniHex, EncodeAndDecode) {
    EXPECT_EQ(KIni::HexEncode(u"ab"), u"61006200");
    EXPECT_EQ(KIni::HexEncode(u""), u"");
    EXPECT_EQ(KIni::HexEncode(u"日\n\xFFFF"), u"e5650a00ffff");
    EXPECT_EQ(KIni::HexDecode(u"61006200"), u"ab");
    EXPECT_EQ(KIni::HexDecode(u"61006200"), KIni::HexDecode(u"61006200"));
    EXPECT_EQ(KIni::HexDecode(u"E565"), u"日");
    // Decoding ends at the first zero unit.
    EXPECT_EQ(KIni::HexDecode(u"6100000062000000"), u"a");
    // A last lone digit is decoded alone, as the low byte of a last unit.
    EXPECT_EQ(KIni::HexDecode(u"6100620"), u"ab");
    // Pairs that are no hex give zero bytes; leading blanks are skipped inside a pair.
    EXPECT_EQ(KIni::HexDecode(u"zz00"), u"");
    EXPECT_EQ(KIni::HexDecode(u" a00"), u"\n");
    // Whole units of digits around such a pair decode as ever.
    EXPECT_EQ(KIni::HexDecode(u"6100 a006200"), u"a\nb");
    EXPECT_EQ(KIni::HexDecode(u"610z6200"), u"ab");
    const std::u16string all = u"キー=値\\1\r\n\\F end";
    EXPECT_EQ(KIni::HexDecode(KIni::HexEncode(all)), all);
}

TEST(KIniParts, SplitFindsMarkersAndIgnoresTheRest) {
    KIni doc;
    doc.SplitParts(u"lead\\1aa\\3\\Fff\\Gx\\a\\5");
    EXPECT_EQ(doc.Slot(1).View(), u"aa");
    EXPECT_EQ(doc.Slot(2).View(), u"");
    EXPECT_EQ(doc.Slot(3).View(), u"");
    EXPECT_EQ(doc.Slot(15).View(), u"ff\\Gx\\a");
    EXPECT_EQ(doc.Slot(5).View(), u"");
    doc.SplitParts(u"\\2one\\2two");
    EXPECT_EQ(doc.Slot(2).View(), u"two");
    doc.SplitParts(u"\\2one\\2");
    EXPECT_EQ(doc.Slot(2).View(), u"one");  // an empty repeat does not clear it
    doc.SplitParts(u"");
    for (int k = 1; k <= 15; ++k) EXPECT_EQ(doc.Slot(k).GetKind(), KVar::Text);
    doc.SplitParts(u"\\");
    EXPECT_EQ(doc.Slot(1).View(), u"");
}

TEST(KIniParts, WritePartBuildsAndRewritesTheLine) {
    KIni doc;
    doc.WritePart(3, KVar(u"c"), KVar(u"key"));
    ASSERT_EQ(doc.LineCount(), 1);
    EXPECT_EQ(doc.Line(0), u"key=\\36300");
    doc.WritePart(1, KVar(u"ab"), KVar(u"key"));
    EXPECT_EQ(doc.Line(0), u"key=\\161006200\\36300");
    EXPECT_EQ(doc.ReadPart(2, KVar(u"key")).View(), u"");
    EXPECT_EQ(doc.ReadPart(1, KVar(u"KEY")).View(), u"ab");
    EXPECT_EQ(doc.ReadPart(3, KVar(u"key")).View(), u"c");
    EXPECT_EQ(doc.ReadPart(0, KVar(u"key")).View(), u"");
    EXPECT_EQ(doc.ReadPart(16, KVar(u"key")).View(), u"");
    EXPECT_EQ(doc.ReadPart(1, KVar(u"missing")).View(), u"");
    doc.WritePart(16, KVar(u"x"), KVar(u"key"));
    EXPECT_EQ(doc.Line(0), u"key=\\161006200\\36300");
    doc.WritePart(1, KVar(u""), KVar(u"key"));
    EXPECT_EQ(doc.Line(0), u"key=\\36300");
    doc.WritePart(3, KVar(u""), KVar(u"key"));
    EXPECT_EQ(doc.Line(0), u"key=");
    EXPECT_EQ(doc.LineCount(), 1);
    // The first entry of the data file, byte for byte.
    KIni entry;
    entry.WritePart(1, KVar(u"ab"), KVar(u"I0"));
    EXPECT_EQ(entry.Line(0), u"I0=\\161006200");
}

TEST(KIniParts, AnyTextSurvivesAsAPart) {
    KIni doc;
    const std::u16string memo = u"一行目\r\n二行目 a=b \\1 \\F\\\\ end\n";
    doc.WritePart(5, KVar(memo), KVar(u"I7"));
    doc.WritePart(15, KVar(u"\\"), KVar(u"I7"));
    EXPECT_EQ(doc.ReadPart(5, KVar(u"I7")).View(), memo);
    EXPECT_EQ(doc.ReadPart(15, KVar(u"I7")).View(), u"\\");
    EXPECT_EQ(doc.LineCount(), 1);
}

TEST(KIniValues, ReadWriteAndLetterCase) {
    KIni doc;
    doc.Write(KVar(1), KVar(u"top"));
    doc.Write(KVar(u"x"), KVar(u"Other"));
    doc.Write(KVar(2), KVar(u"TOP"));
    EXPECT_EQ(Lines(doc), (std::vector<std::u16string>{u"TOP=2", u"Other=x"}));
    EXPECT_EQ(doc.Read(KVar(u"Top")).View(), u"2");
    EXPECT_EQ(doc.Read(KVar(u"Top")).GetKind(), KVar::Text);
    EXPECT_EQ(doc.Read(KVar(u"nothing")).View(), u"");
    // Values may contain "=", only the first one splits.
    doc.Write(KVar(u"a=b=c"), KVar(u"eq"));
    EXPECT_EQ(doc.Read(KVar(u"eq")).View(), u"a=b=c");
    // Integer keys are their decimal text.
    doc.Write(KVar(u"v"), KVar(12));
    EXPECT_EQ(doc.Read(KVar(u"12")).View(), u"v");
    doc.Write(KVar(u"日本"), KVar(u"名前"));
    EXPECT_EQ(doc.Read(KVar(u"名前")).View(), u"日本");
}

TEST(KIniValues, LetterCaseBeyondAscii) {
    KIni doc;
    doc.Write(KVar(1), KVar(u"café"));
    doc.Write(KVar(2), KVar(u"пароль"));
    doc.Write(KVar(3), KVar(u"ＡＢＣ"));
    doc.Write(KVar(4), KVar(u"CAFÉ"));
    doc.Write(KVar(5), KVar(u"ПАРОЛЬ"));
    EXPECT_EQ(Lines(doc), (std::vector<std::u16string>{u"CAFÉ=4", u"ПАРОЛЬ=5", u"ＡＢＣ=3"}));
    EXPECT_EQ(doc.Read(KVar(u"ａｂｃ")).View(), u"3");
    // Different letters stay different names.
    doc.Write(KVar(6), KVar(u"cafe"));
    EXPECT_EQ(doc.LineCount(), 4);
}

TEST(KIniValues, IndexAgreesWithTheComparison) {
    // Whatever the platform's comparison calls equal must be one line, and only that.
    const std::pair<const char16_t*, const char16_t*> pairs[] = {
        {u"Straße", u"STRASSE"}, {u"straße", u"STRAßE"}, {u"ß", u"ss"},       {u"ﬀ", u"FF"},
        {u"café", u"CAFE\u0301"}, {u"Ａ", u"a"},         {u"ǅ", u"ǆ"},       {u"i", u"İ"},
        {u"a\u00ADb", u"AB"},    {u"日本", u"日本"},     {u"key", u"kex"}};
    for (const auto& [a, b] : pairs) {
        const bool equal = kplat::CompareNoCase(a, b) == 0;
        KIni doc;
        doc.Write(KVar(1), KVar(a));
        doc.Write(KVar(2), KVar(b));
        const std::string label = kplat::ToUtf8(a) + " / " + kplat::ToUtf8(b);
        EXPECT_EQ(doc.LineCount(), equal ? 1 : 2) << label;
        EXPECT_EQ(doc.Read(KVar(a)).View(), equal ? u"2" : u"1") << label;
        EXPECT_EQ(doc.Read(KVar(b)).View(), u"2") << label;
    }
}

TEST(KIniValues, ReadDefFallsBackOnMissingAndEmpty) {
    KIni doc;
    doc.Write(KVar(u""), KVar(u"Empty"));
    doc.Write(KVar(u"abc"), KVar(u"Word"));
    KVar a = doc.ReadDef(KVar(100), KVar(u"Missing"));
    EXPECT_EQ(a.GetKind(), KVar::Int);
    EXPECT_EQ(a.AsInt(), 100);
    EXPECT_EQ(doc.ReadDef(KVar(u"Tahoma"), KVar(u"empty")).View(), u"Tahoma");
    EXPECT_EQ(doc.ReadDef(KVar(5), KVar(u"Word")).AsInt(), 0);
    EXPECT_EQ(doc.ReadDef(KVar(5), KVar(u"Word")).GetKind(), KVar::Text);
}

TEST(KIniValues, DuplicatesAndLinesWithoutEquals) {
    KIni doc;
    doc.AppendLine(u"top");
    doc.AppendLine(u"a=1");
    doc.AppendLine(u"A=2");
    doc.AppendLine(u"=nameless");
    EXPECT_EQ(doc.Read(KVar(u"a")).View(), u"1");
    EXPECT_EQ(doc.Read(KVar(u"top")).View(), u"");
    doc.Write(KVar(3), KVar(u"a"));
    doc.Write(KVar(4), KVar(u"top"));
    EXPECT_EQ(Lines(doc), (std::vector<std::u16string>{u"top", u"a=3", u"A=2", u"=nameless", u"top=4"}));
    EXPECT_EQ(doc.LineName(0), u"");
    EXPECT_EQ(doc.LineValue(0), u"");
    EXPECT_EQ(doc.LineName(1), u"a");
    EXPECT_EQ(doc.LineValue(1), u"3");
    EXPECT_EQ(doc.LineName(3), u"");
    EXPECT_EQ(doc.LineValue(3), u"");
    doc.Clear();
    EXPECT_EQ(doc.LineCount(), 0);
    EXPECT_EQ(doc.Read(KVar(u"a")).View(), u"");
    doc.Write(KVar(9), KVar(u"a"));
    EXPECT_EQ(Lines(doc), (std::vector<std::u16string>{u"a=9"}));
}

TEST(KIniValues, IndexFollowsManyKeys) {
    auto name = [](const char16_t* prefix, int i) {
        std::u16string s(prefix);
        s += KVar(i).AsText();
        return s;
    };
    KIni doc;
    for (int i = 0; i < 3000; ++i) doc.Write(KVar(i), KVar(name(u"K", i)));
    for (int i = 0; i < 3000; i += 3) doc.Write(KVar(-i), KVar(name(u"k", i)));
    ASSERT_EQ(doc.LineCount(), 3000);
    for (int i = 0; i < 3000; ++i) {
        ASSERT_EQ(doc.Read(KVar(name(u"K", i))).AsInt(), i % 3 == 0 ? -i : i) << i;
        ASSERT_EQ(doc.LineName(i), name(i % 3 == 0 ? u"k" : u"K", i));
    }
    // "+" follows the right operand: a text prefix plus an integer is an integer sum.
    EXPECT_EQ((KVar(u"I") + KVar(5)).GetKind(), KVar::Int);
    EXPECT_EQ((KVar(u"I") + KVar(KVar(5).AsText())).View(), u"I5");
}

TEST(KIniText, SplitLinesAtAnyBreak) {
    EXPECT_EQ(KIni::SplitLines(u"a\r\nb\nc\rd"), (std::vector<std::u16string>{u"a", u"b", u"c", u"d"}));
    EXPECT_EQ(KIni::SplitLines(u"a\r\n"), (std::vector<std::u16string>{u"a"}));
    EXPECT_EQ(KIni::SplitLines(u"a\r\r\nb"), (std::vector<std::u16string>{u"a", u"", u"b"}));
    EXPECT_EQ(KIni::SplitLines(u"\r\n"), (std::vector<std::u16string>{u""}));
    EXPECT_TRUE(KIni::SplitLines(u"").empty());
}

TEST(KIniText, DecodeByByteOrderMark) {
    EXPECT_EQ(KIni::DecodeFileText({0xEF, 0xBB, 0xBF, 0xE6, 0x97, 0xA5, 'a'}), u"日a");
    EXPECT_EQ(KIni::DecodeFileText({0xFF, 0xFE, 0xE5, 0x65, 'a', 0}), u"日a");
    EXPECT_EQ(KIni::DecodeFileText({0xFE, 0xFF, 0x65, 0xE5, 0, 'a'}), u"日a");
    EXPECT_EQ(KIni::DecodeFileText({'a', '=', 'b'}), u"a=b");
    EXPECT_EQ(KIni::DecodeFileText({}), u"");
#ifndef _WIN32
    // The native stand-in's ANSI page is Windows-1252.
    EXPECT_EQ(KIni::DecodeFileText({0x80, 0xE9}), u"\u20AC\u00E9");
#endif
}

using KIniFile = StorageTempDir;

TEST_F(KIniFile, EmptyDocumentIsTheByteOrderMarkAlone) {
    KIni doc;
    EXPECT_TRUE(doc.Save(Path("empty.kr")));
    EXPECT_EQ(ReadBytes("empty.kr"), (std::vector<std::uint8_t>{0xFF, 0xFE}));
    KIni back;
    back.AppendLine(u"old=line");
    EXPECT_TRUE(back.Load(Path("empty.kr")));
    EXPECT_EQ(back.LineCount(), 0);
}

TEST_F(KIniFile, OneLineIsFortySixExactBytes) {
    KIni doc;
    doc.Write(KVar(u"b"), KVar(u"a"));
    EXPECT_EQ(doc.ScrambledBytes(), Utf16LeWithBom(u"64003e00620012000f00\r\n"));
    EXPECT_EQ(doc.LineCount(), 1);
    ASSERT_TRUE(doc.Save(Path("ab.kr")));
    const auto bytes = ReadBytes("ab.kr");
    EXPECT_EQ(bytes, Utf16LeWithBom(u"64003e00620012000f00\r\n"));
    EXPECT_EQ(bytes.size(), 46u);
    // After saving, the document holds the scrambled line.
    EXPECT_EQ(Lines(doc), (std::vector<std::u16string>{u"64003e00620012000f00"}));
    KIni back;
    ASSERT_TRUE(back.Load(Path("ab.kr")));
    EXPECT_EQ(Lines(back), (std::vector<std::u16string>{u"a=b"}));
}

TEST_F(KIniFile, SaveAndLoadRestoreEveryLine) {
    KIni doc;
    doc.Write(KVar(u"0.3"), KVar(u"Keyra"));
    doc.Write(KVar(u"C:\\Tools\\keyra.exe"), KVar(u"Path"));
    doc.Write(KVar(u"x=y=z"), KVar(u"Eq"));
    doc.Write(KVar(u"パスワード"), KVar(u"#グループ"));
    doc.AppendLine(u"no equals here");
    doc.WritePart(5, KVar(u"memo\r\nline 2\n\\1"), KVar(u"I3"));
    doc.Write(KVar(u""), KVar(u"PINNo"));
    const auto saved = Lines(doc);
    ASSERT_TRUE(doc.Save(Path("data.kr")));
    KIni back;
    ASSERT_TRUE(back.Load(Path("data.kr")));
    EXPECT_EQ(Lines(back), saved);
    EXPECT_EQ(back.ReadPart(5, KVar(u"i3")).View(), u"memo\r\nline 2\n\\1");
    EXPECT_EQ(back.Read(KVar(u"keyra")).AsReal(), 0.3);
}

TEST_F(KIniFile, LineBreaksInAPlainValueBecomeLinesOfTheirOwn) {
    KIni doc;
    doc.Write(KVar(u"one\r\ntwo=2"), KVar(u"k"));
    EXPECT_EQ(doc.LineCount(), 1);
    ASSERT_TRUE(doc.Save(Path("br.kr")));
    KIni back;
    ASSERT_TRUE(back.Load(Path("br.kr")));
    EXPECT_EQ(Lines(back), (std::vector<std::u16string>{u"k=one", u"two=2"}));
}

TEST_F(KIniFile, LoadRebuildsTheIndexWithDuplicates) {
    WriteBytes("dup.txt", Utf16LeWithBom(u"top=1\r\nTOP=2\r\nx=3\r\n"));
    KIni doc;
    doc.Write(KVar(u"stale"), KVar(u"x"));
    ASSERT_TRUE(doc.LoadText(Path("dup.txt")));
    EXPECT_EQ(doc.Read(KVar(u"Top")).View(), u"1");
    EXPECT_EQ(doc.Read(KVar(u"x")).View(), u"3");
    doc.Write(KVar(u"9"), KVar(u"Top"));
    EXPECT_EQ(Lines(doc), (std::vector<std::u16string>{u"Top=9", u"TOP=2", u"x=3"}));
}

TEST_F(KIniFile, LoadTextReadsEveryEncoding) {
    WriteBytes("u8.txt", {0xEF, 0xBB, 0xBF, 'g', '=', 0xE5, 0x90, 0x8D, '\n', 'h', '=', '1'});
    WriteBytes("ansi.txt", {'g', '=', 'n', 'a', 'm', 'e', '\r', '\n'});
    WriteBytes("be.txt", {0xFE, 0xFF, 0, 'g', 0, '=', 0x54, 0x0D});
    KIni doc;
    ASSERT_TRUE(doc.LoadText(Path("u8.txt")));
    EXPECT_EQ(Lines(doc), (std::vector<std::u16string>{u"g=名", u"h=1"}));
    ASSERT_TRUE(doc.LoadText(Path("ansi.txt")));
    EXPECT_EQ(Lines(doc), (std::vector<std::u16string>{u"g=name"}));
    ASSERT_TRUE(doc.LoadText(Path("be.txt")));
    EXPECT_EQ(Lines(doc), (std::vector<std::u16string>{u"g=\u540D"}));
}

TEST_F(KIniFile, MissingFilesLeaveTheDocumentAlone) {
    KIni doc;
    doc.Write(KVar(1), KVar(u"keep"));
    EXPECT_FALSE(doc.Load(Path("none.kr")));
    EXPECT_FALSE(doc.LoadText(Path("none.txt")));
    EXPECT_EQ(Lines(doc), (std::vector<std::u16string>{u"keep=1"}));
}

TEST_F(KIniFile, UnreadableFileThrowsAndLeavesTheDocumentAlone) {
    std::filesystem::create_directories(Native("folder.kr"));
    KIni doc;
    doc.Write(KVar(1), KVar(u"keep"));
    EXPECT_THROW(doc.Load(Path("folder.kr")), KFileError);
    EXPECT_THROW(doc.LoadText(Path("folder.kr")), KFileError);
    EXPECT_EQ(Lines(doc), (std::vector<std::u16string>{u"keep=1"}));
}

TEST_F(KIniFile, FailedSaveThrowsKeepsTheLinesAndTheOldFile) {
    KIni doc;
    doc.Write(KVar(1), KVar(u"keep"));
    EXPECT_THROW(doc.Save(Path("no-such-folder/x.kr")), KFileError);
    EXPECT_EQ(Lines(doc), (std::vector<std::u16string>{u"keep=1"}));

    // A folder in the way of the file: the save cannot replace it.
    std::filesystem::create_directories(Native("taken.kr"));
    std::filesystem::path marker = Native("taken.kr") / "inside";
    { std::ofstream(marker) << "x"; }
    EXPECT_THROW(doc.Save(Path("taken.kr")), KFileError);
    EXPECT_TRUE(std::filesystem::exists(marker));
    EXPECT_EQ(Entries().size(), 1u) << "no temporary file may be left behind";
}

TEST_F(KIniFile, SaveReplacesAnExistingFileWithoutLeftovers) {
    WriteBytes("data.kr", std::vector<std::uint8_t>(5000, 'x'));
    KIni doc;
    doc.Write(KVar(u"b"), KVar(u"a"));
    ASSERT_TRUE(doc.Save(Path("data.kr")));
    EXPECT_EQ(ReadBytes("data.kr").size(), 46u);
    EXPECT_EQ(Entries(), (std::vector<std::string>{"data.kr"}));
}

TEST_F(KIniFile, PlainTextOrBrokenHexLoadsWithoutError) {
    WriteBytes("plain.kr", Utf16LeWithBom(u"Keyra=0.3\r\nTop=1\r\n"));
    WriteBytes("odd.kr", Utf16LeWithBom(u"64003e0062001\r\n"));
    KIni doc;
    EXPECT_TRUE(doc.Load(Path("plain.kr")));
    EXPECT_EQ(doc.Read(KVar(u"Keyra")).AsReal(), 0.0);
    EXPECT_TRUE(doc.Load(Path("odd.kr")));
    ASSERT_GE(doc.LineCount(), 1);
    EXPECT_EQ(doc.Line(0).substr(0, 3), u"a=b");
    // Upper-case hex decodes the same.
    WriteBytes("upper.kr", Utf16LeWithBom(u"64003E00620012000F00\r\n"));
    EXPECT_TRUE(doc.Load(Path("upper.kr")));
    EXPECT_EQ(Lines(doc), (std::vector<std::u16string>{u"a=b"}));
    // The saved form's shape with one unit that is no hex digit is not the saved form, also
    // when its low byte is one ('6' in U+0136).
    for (const char16_t* text : {u"g4003e00620012000f00\r\n", u"\x0136" u"4003e00620012000f00\r\n"}) {
        WriteBytes("near.kr", Utf16LeWithBom(text));
        bool whole = true;
        EXPECT_TRUE(doc.Load(Path("near.kr"), &whole));
        EXPECT_FALSE(whole) << kplat::ToUtf8(text);
        EXPECT_NE(Lines(doc), (std::vector<std::u16string>{u"a=b"})) << kplat::ToUtf8(text);
    }
}

}  // namespace

// A saved-form file of any plain text is read as the general path reads text: zero units
// dropped, then split at CR, LF and CR LF; whole only with no zero unit and a closing CR LF.
TEST_F(KIniFile, SavedFormReadsLikeTheGeneralPathForAnyUnits) {
    using namespace std::string_literals;
    std::vector<std::u16string> texts = {
        u"a=1\r\nb=2\r\n"s, u"a\r\0\nb\r\n"s, u"\r\r\n\n\r\n"s, u"a\0\r\n"s, u"tail"s, u"x\r"s,
        u"\n"s, u"ア\xFFFF\r\n"s, u"\r\n\r\n"s,
    };
    // And random runs over the units that matter.
    const char16_t alphabet[] = {u'a', u'\0', u'\r', u'\n', u'\xE9', u'\x30A2', u'\xFFF6'};
    KIni pick;
    pick.SetSeed(5);
    for (int t = 0; t < 300; ++t) {
        std::u16string s(static_cast<std::size_t>(pick.RandRange(2, 40)), u'a');
        for (auto& c : s) c = alphabet[pick.RandRange(0, 6)];
        texts.push_back(s);
    }
    // And one read in several pieces, with a CR LF pair and a zero unit across their seams.
    std::u16string longText(40000, u'x');
    longText[8191] = u'\r';
    longText[8192] = u'\n';
    longText[16383] = u'\0';
    texts.push_back(longText + u"\r\n");
    for (const auto& text : texts) {
        std::u16string scrambled = text;
        KIni seq;
        seq.SetSeed(KIni::kScrambleSeed);
        for (auto& c : scrambled) c = static_cast<char16_t>((c + seq.RandRange(0, 9)) & 0xFFFF);
        WriteBytes("any.kr", Utf16LeWithBom(KIni::HexEncode(scrambled) + u"\r\n"));
        std::u16string kept = text;
        kept.erase(std::remove(kept.begin(), kept.end(), u'\0'), kept.end());
        KIni doc;
        bool whole = false;
        ASSERT_TRUE(doc.Load(Path("any.kr"), &whole));
        const bool closed = text.size() >= 2 && text.substr(text.size() - 2) == u"\r\n";
        EXPECT_EQ(Lines(doc), KIni::SplitLines(kept)) << kplat::ToUtf8(text.substr(0, 50));
        EXPECT_EQ(whole, closed && kept.size() == text.size()) << kplat::ToUtf8(text.substr(0, 50));
    }
}
