#include <gtest/gtest.h>

#include <algorithm>

#include "entry_builder.h"
#include "fake_wordbox.h"
#include "generator/wordlists.h"
#include "storage/kiddata.h"
#include "storage/kini.h"

namespace {
class FakeHost : public KWordListHost {
public:
    std::vector<std::u16string> messages, warnings, questions;
    bool answer = true;
    KIdTable table;
    void ShowMessage(const std::u16string& t) override { messages.push_back(t); }
    void ShowWarning(const std::u16string& t) override { warnings.push_back(t); }
    bool AskYesNo(const std::u16string& t) override {
        questions.push_back(t);
        return answer;
    }
    const KIdTable* Entries() override { return &table; }
};

struct Lists : ::testing::Test {
    FakeBox group, name, symbol, number;
    FakeHost host;
    KWordListData data;
    KWordLists lists{data, group, name, symbol, number, host};
    std::vector<std::u16string> Names(const char16_t* g) {
        const int i = lists.Table().Find(g);
        return i < 0 || !lists.Table()[i].names ? std::vector<std::u16string>{} : *lists.Table()[i].names;
    }
    void Use(int index, const char16_t* title, const char16_t* password) {
        host.table[index] = Entry(title, u"", password, u"", u"");
    }
};

std::u16string Numbered(int i) { return u"g" + std::u16string(KVar(i).AsText()); }

KIni& Doc(KIni& doc, std::initializer_list<const char16_t*> lines) {
    for (auto l : lines) doc.AppendLine(l);
    return doc;
}
}  // namespace

TEST_F(Lists, AddPairGroupsNamesDuplicatesAndAFullTable) {
    EXPECT_EQ(lists.AddPair(u"", u"x"), 0);
    EXPECT_EQ(lists.AddPair(u"inu", u"pochi"), 1);
    EXPECT_EQ(lists.AddPair(u"inu", u"pochi"), 1);
    EXPECT_EQ(lists.AddPair(u"inu", u""), 1);
    EXPECT_EQ(lists.AddPair(u"Inu", u"hachi"), 1) << "case counts";
    EXPECT_EQ(Names(u"inu"), std::vector<std::u16string>{u"pochi"});
    EXPECT_EQ(lists.ImportCount, 2);
    for (int i = 2; i < KGroupTable::kSlots; ++i) ASSERT_EQ(lists.AddPair(Numbered(i), u""), 1);
    EXPECT_EQ(lists.AddPair(u"one-more", u"n"), 2);
    EXPECT_EQ(host.warnings, std::vector<std::u16string>{u"パスワードをこれ以上登録できません！"});
    EXPECT_EQ(lists.AddPair(u"inu", u"kuro"), 1) << "a known group still takes names";
    // A line break would split the data file's line: it is never stored.
    EXPECT_EQ(lists.AddPair(u"i\r\nnu", u"shi\nro"), 1);
    EXPECT_EQ(Names(u"inu").back(), u"shiro");
}

TEST_F(Lists, AddAndDeleteThroughTheBoxes) {
    group.text = u"neko";
    name.text = u"tama";
    lists.AddGroup();
    EXPECT_EQ(group.items, std::vector<std::u16string>{u"neko"});
    EXPECT_EQ(group.text, u"neko");
    EXPECT_EQ(name.items, std::vector<std::u16string>{u"tama"});
    EXPECT_EQ(name.text, u"");
    name.text = u"mike";
    lists.AddName(group.text);
    EXPECT_EQ(Names(u"neko"), (std::vector<std::u16string>{u"tama", u"mike"}));
    EXPECT_EQ(name.items, (std::vector<std::u16string>{u"mike", u"tama"})) << "the box sorts";
    name.text = u"tama";
    lists.DeleteName(group.text);
    EXPECT_EQ(Names(u"neko"), std::vector<std::u16string>{u"mike"});
    EXPECT_EQ(name.items, std::vector<std::u16string>{u"mike"});
    // An add with no group puts the name in the box only.
    group.text = u"";
    name.text = u"solo";
    lists.AddGroup();
    EXPECT_EQ(name.items, (std::vector<std::u16string>{u"mike", u"solo"}));
    EXPECT_EQ(lists.Table().FirstFree(), 1);
    // Symbols: an item already listed stays typed in the box.
    symbol.text = u"!";
    lists.AddItem(symbol);
    symbol.text = u"!";
    lists.AddItem(symbol);
    EXPECT_EQ(symbol.items, std::vector<std::u16string>{u"!"});
    EXPECT_EQ(symbol.text, u"!");
    lists.DeleteItem(symbol);
    EXPECT_TRUE(symbol.items.empty());
}

TEST_F(Lists, DeleteGroupAsksFreesTheSlotAndItsDisplayList) {
    lists.AddPair(u"inu", u"pochi");
    lists.RebuildDisplayLists(0);
    lists.FillGroupBox();
    group.text = u"inu";
    host.answer = false;
    lists.DeleteGroup();
    EXPECT_EQ(host.questions, std::vector<std::u16string>{u"inu グループの名前データをすべて削除しますか？"});
    EXPECT_EQ(lists.Table().Find(u"inu"), 0) << "No keeps everything";
    host.answer = true;
    lists.DeleteGroup();
    EXPECT_EQ(lists.Table().Find(u"inu"), -1);
    EXPECT_TRUE(group.items.empty());
    // A new group in the same slot is not offered the deleted group's names.
    lists.AddPair(u"tori", u"");
    EXPECT_EQ(lists.Table().Find(u"tori"), 0);
    lists.FillNameBox(u"tori");
    EXPECT_TRUE(name.items.empty());
    // An unknown group only empties the box.
    group.text = u"nope";
    lists.DeleteGroup();
    EXPECT_EQ(group.text, u"");
    EXPECT_EQ(host.questions.size(), 2u);
}

TEST_F(Lists, DisplayListsHideUsedNamesInModeOneOnly) {
    lists.AddPair(u"inu", u"pochi");
    lists.AddPair(u"inu", u"kuro");
    Use(5, u"site", u"x-pochi#inu0101");
    lists.RebuildDisplayLists(1);
    lists.FillNameBox(u"inu");
    EXPECT_EQ(name.items, std::vector<std::u16string>{u"kuro"});
    lists.RebuildDisplayLists(0);
    lists.FillNameBox(u"inu");
    EXPECT_EQ(name.items, (std::vector<std::u16string>{u"kuro", u"pochi"}));
    KMatch m;
    EXPECT_EQ(IsPairUsed(&host.table, u"inu", u"pochi", m), 1);
    EXPECT_EQ(m.title, u"site");
    EXPECT_EQ(IsPairUsed(&host.table, u"inu", u"", m), 0);
}

TEST_F(Lists, PasswordUsedOnlyWhenAnEntryBeginsWithIt) {
    Use(3, u"first", u"abc123");
    Use(7, u"second", u"abc999");
    Use(9, u"inner", u"zzabc");
    KMatch m;
    EXPECT_EQ(IsPasswordUsed(&host.table, u"abc", m), 1);
    EXPECT_EQ(m.title, u"first");
    EXPECT_EQ(m.password, u"abc123");
    EXPECT_EQ(IsPasswordUsed(&host.table, u"zab", m), 0) << "contained further on does not count";
    EXPECT_TRUE(m.title.empty());
    host.table[3].InUse = 0;
    EXPECT_EQ(IsPasswordUsed(&host.table, u"abc", m), 1);
    EXPECT_EQ(m.title, u"second");
    EXPECT_EQ(IsPasswordUsed(&host.table, u"", m), 0);
}

TEST(UsedHint, ShowsThePasswordOnlyWhenTheMainWindowShowsPasswords) {
    const KMatch m{u"銀行", u"s3cret"};
    EXPECT_EQ(UsedHint(m, 1), u"銀行 s3cret");
    EXPECT_EQ(UsedHint(m, 0), u"銀行") << "masked: the title only";
}

TEST_F(Lists, ComposedPasswordsJoinTheBoxesInTheirOrders) {
    name.text = u"N";
    EXPECT_EQ(lists.Pass2(), u"N");
    EXPECT_EQ(lists.Pass3(), u"N");
    group.text = u"G";
    symbol.text = u"$";
    number.text = u"42";
    EXPECT_EQ(lists.Pass2(), u"N$G42");
    EXPECT_EQ(lists.Pass3(), u"N42$G");
}

TEST_F(Lists, DataFileLinesLoadSaveAndDefaults) {
    KIni in;
    Doc(in, {u"Keyra=0.3", u"#inu=pochi", u"#=broken", u"#", u"#inu=pochi", u"#neko=", u"$symbol=x",
             u"$SYMBOL=!", u"$NUMBER=7", u"$NUMBER=12", u"#tori=a=b"});
    EXPECT_TRUE(data.LoadLines(in, u"1206"));
    lists.FillBoxes();
    EXPECT_EQ(Names(u"inu"), (std::vector<std::u16string>{u"pochi", u"pochi"})) << "the file's lines as they are";
    EXPECT_EQ(Names(u"neko"), std::vector<std::u16string>{u""});
    EXPECT_EQ(Names(u"tori"), std::vector<std::u16string>{u"a=b"});
    EXPECT_EQ(lists.Table().Find(u""), -1) << "an empty group name is skipped";
    EXPECT_EQ(symbol.items, std::vector<std::u16string>{u"!"});
    EXPECT_EQ(number.items, (std::vector<std::u16string>{u"12", u"7"}));
    EXPECT_EQ(data.Numbers, number.items) << "the data keeps the order the box shows";
    KIni out;
    WriteGeneratorPosition(out, {50, 60});
    data.SaveLines(out);
    std::vector<std::u16string> lines;
    for (int i = 0; i < out.LineCount(); ++i) lines.push_back(out.Line(i));
    EXPECT_EQ(lines, (std::vector<std::u16string>{u"$Top=50", u"$Left=60", u"#inu=pochi", u"#inu=pochi",
                                                  u"#neko=", u"#tori=a=b", u"$SYMBOL=!", u"$NUMBER=12",
                                                  u"$NUMBER=7"}));

    KWordListData empty;
    KIni none;
    empty.LoadLines(none, MonthDay(12, 6));
    EXPECT_EQ(empty.Symbols, (std::vector<std::u16string>{u"#", u"$", u"?", u"@"}));
    EXPECT_EQ(empty.Numbers, std::vector<std::u16string>{u"1206"});
    EXPECT_EQ(MonthDay(3, 9), u"0309");
    KGeneratorPosition p = ReadGeneratorPosition(none);
    KeepGeneratorOnScreen(p, 800, 600);
    EXPECT_EQ(p.top, 100);
    EXPECT_EQ(p.left, 200);
    KIni far;
    Doc(far, {u"$Top=590", u"$Left=790"});
    KGeneratorPosition q = ReadGeneratorPosition(far);
    KeepGeneratorOnScreen(q, 800, 600);
    EXPECT_EQ(q.top, 500);
    EXPECT_EQ(q.left, 700);
}

TEST_F(Lists, MoreThanAHundredGroupsInTheFileAreReportedOnce) {
    KIni in;
    for (int i = 0; i < 300; ++i) in.AppendLine(u"#" + Numbered(i) + u"=n");
    EXPECT_FALSE(data.LoadLines(in, u"0101"));
    EXPECT_EQ(lists.Table().FirstFree(), -1);
}

TEST_F(Lists, WordListsWithZeroUnitsOrEqualsInAGroupSurviveARestart) {
    // A UTF-16 file without a byte-order mark, read as ANSI: every other unit is zero.
    const std::u16string z(1, u'\0');
    EXPECT_FALSE(ParseImportLine(u"i" + z + u"n" + z + u"u" + z + u"=" + z + u"p" + z).taken);
    EXPECT_FALSE(ParseImportLine(u"inu=p" + z).taken);
    // "=" in a group typed into the box is refused with a message and stored nowhere.
    group.SetText(u"a=b");
    name.SetText(u"c");
    lists.AddGroup();
    EXPECT_EQ(host.messages, std::vector<std::u16string>{u"グループ名に「=」は使えません"});
    EXPECT_EQ(lists.Table().Find(u"a=b"), -1);
    EXPECT_EQ(group.IndexOf(u"a=b"), -1);
    EXPECT_EQ(lists.AddPair(u"x=y", u"n"), 3);

    lists.AddPair(u"neko", u"tama");
    symbol.text = u"%";
    lists.AddItem(symbol);
    // The document never takes a zero unit, so the lines after one still come back.
    KIni doc;
    doc.AppendLine(u"#inu=po" + z + u"chi");
    data.SaveLines(doc);
    KWordListData back;
    back.LoadLines(doc, u"0101");
    const int inu = back.Groups.Find(u"inu");
    ASSERT_GE(inu, 0);
    EXPECT_EQ(*back.Groups[inu].names, std::vector<std::u16string>{u"pochi"});
    EXPECT_GE(back.Groups.Find(u"neko"), 0);
    EXPECT_EQ(back.Symbols, std::vector<std::u16string>{u"%"});
}

TEST_F(Lists, AnImportTakesEachNameOnceAndStopsAtTheCap) {
    KIni doc;
    lists.AddPair(u"g", u"old");
    lists.ImportCount = 0;
    Doc(doc, {u"g=b", u"g=a", u"g=b", u"g=old", u"g=a"});
    EXPECT_TRUE(lists.ImportLines(doc));
    EXPECT_EQ(Names(u"g"), (std::vector<std::u16string>{u"old", u"b", u"a"}));
    EXPECT_EQ(lists.ImportCount, 2);

    // The cap counts what the table holds already.
    lists.AddPair(u"filler", u"");
    auto& filler = *lists.Table()[lists.Table().Find(u"filler")].names;
    filler.assign(KWordLists::kMaxNames - 3 - 7, u"f");
    KIni big;
    for (int i = 0; i < 20; ++i) big.AppendLine(u"h=" + std::u16string(KVar(i).AsText()));
    lists.ImportCount = 0;
    EXPECT_FALSE(lists.ImportLines(big));
    EXPECT_EQ(lists.ImportCount, 7);
    EXPECT_EQ(host.warnings, std::vector<std::u16string>{KWordLists::kTooManyMessage});
}

TEST_F(Lists, ImportLineRulesAndCount) {
    EXPECT_FALSE(ParseImportLine(u"=name").taken);
    EXPECT_FALSE(ParseImportLine(u"no equals").taken);
    const KImportLine eq = ParseImportLine(u"#g=a=b");
    EXPECT_TRUE(eq.taken);
    EXPECT_EQ(eq.group, u"#g");
    EXPECT_EQ(eq.name, u"a=b");
    const std::u16string thirty = u"grp=" + std::u16string(26, u'x');
    EXPECT_TRUE(ParseImportLine(thirty).taken);
    EXPECT_FALSE(ParseImportLine(thirty + u"x").taken);
    EXPECT_TRUE(ParseImportLine(u" g = n ").taken);

    lists.AddPair(u"inu", u"old");
    lists.ImportCount = 0;
    KIni doc;
    Doc(doc, {u"inu=pochi", u"inu=pochi", u"neko=", u"=x", (u"grp=" + std::u16string(27, u'x')).c_str(), u"inu=old"});
    EXPECT_TRUE(lists.ImportLines(doc));
    EXPECT_EQ(lists.ImportCount, 1);
    EXPECT_EQ(lists.ImportedText(), u"1個のパスワードデータをインポートしました！");
    EXPECT_EQ(Names(u"inu"), (std::vector<std::u16string>{u"old", u"pochi"}));
    EXPECT_GE(lists.Table().Find(u"neko"), 0);
}

TEST_F(Lists, ImportStopsAtTheFirstNewGroupWithoutASlot) {
    for (int i = 0; i < 99; ++i) lists.AddPair(Numbered(i), u"");
    lists.ImportCount = 0;
    KIni doc;
    Doc(doc, {u"last=a", u"g1=b", u"over=c", u"g2=d"});
    EXPECT_FALSE(lists.ImportLines(doc));
    EXPECT_EQ(lists.ImportCount, 2);
    EXPECT_EQ(host.warnings.size(), 1u);
    EXPECT_TRUE(Names(u"g2").empty()) << "lines after the full table are not read";
}
