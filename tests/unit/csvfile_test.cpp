#include "app/csvfile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/kstr.h"

namespace {

using namespace std::string_literals;
using P = kcsv::Problem;

struct Want {
    int group;
    std::vector<std::u16string> texts;  // title, ID, password, URL, memo
};

std::vector<std::u16string> TextsOf(const KIdData& d) { return {d.Title, d.Id, d.Password, d.Url, d.Memo}; }

kcsv::ReadResult ReadBytes(const std::string& s) {
    return kcsv::Read(reinterpret_cast<const std::uint8_t*>(s.data()), s.size());
}

// `text` as UTF-16 after its byte-order mark.
std::string Utf16(std::u16string_view text, bool bigEndian) {
    std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char16_t c : text) {
        const char hi = static_cast<char>(c >> 8), lo = static_cast<char>(c & 0xFF);
        out += bigEndian ? std::string{hi, lo} : std::string{lo, hi};
    }
    return out;
}

struct ReadCase {
    const char* name;
    std::string file;
    P problem;
    int line;  // of the problem
    std::vector<Want> entries;
};

TEST(CsvRead, FormatsQuotingEncodingsAndBrokenFiles) {
    const std::u16string memoMax = u"フォルダー：F\r\n" + std::u16string(31991, u'n');
    const ReadCase cases[] = {
        {"Chromium: quoted comma and quote, Japanese, two-line note, title from the host",
         "name,url,username,password,note\r\n"
         "\"Ex, \"\"A\"\"\",https://a.example/login,山田太郎,\"p\"\"w,1\",\"line1\nline2\"\r\n"
         ",https://user:x@www.example.com:8443/p?q,bob,pw,\r\n",
         P::None, 0,
         {{0, {u"Ex, \"A\"", u"山田太郎", u"p\"w,1", u"https://a.example/login", u"line1\r\nline2"}},
          {0, {u"www.example.com", u"bob", u"pw", u"https://user:x@www.example.com:8443/p?q", u""}}}},
        {"Chromium's aliases, trimmed and in any case", " Website ,LOGIN,Login_Password,Comments\r\nexample.net:81,al,pw,c\r\n",
         P::None, 0, {{0, {u"example.net", u"al", u"pw", u"example.net:81", u"c"}}}},
        {"Firefox: all quoted, no title, extra columns",
         "\"url\",\"username\",\"password\",\"httpRealm\",\"formActionOrigin\",\"guid\",\"timeCreated\","
         "\"timeLastUsed\",\"timePasswordChanged\"\r\n"
         "\"https://accounts.example.org\",\"bob\",\"s3cret\",\"\",\"https://accounts.example.org\",\"{a1}\",\"1\",\"2\",\"3\"\r\n",
         P::None, 0, {{0, {u"accounts.example.org", u"bob", u"s3cret", u"https://accounts.example.org", u""}}}},
        {"KeePassXC: LF, group paths into the memo, a title's line break a space",
         "\"Group\",\"Title\",\"Username\",\"Password\",\"URL\",\"Notes\",\"TOTP\",\"Icon\",\"Last Modified\",\"Created\"\n"
         "\"Root/Social\",\"Chat\",\"me\",\"pw\",\"https://chat.example\",\"note\nmore\",\"\",\"0\",\"x\",\"y\"\n"
         "\"Root\",\"Two\r\nlines\",\"\",\"\",\"\",\"\",\"\",\"0\",\"x\",\"y\"\n",
         P::None, 0,
         {{0, {u"Chat", u"me", u"pw", u"https://chat.example", u"フォルダー：Root/Social\r\nnote\r\nmore"}},
          {0, {u"Two lines", u"", u"", u"", u"フォルダー：Root"}}}},
        {"Bitwarden: a folder, a note without login",
         "folder,favorite,type,name,notes,fields,reprompt,login_uri,login_username,login_password,login_totp\r\n"
         "Work,1,login,Mail,,,0,https://mail.example,al,pw1,\r\n,,note,Secret note,text,,0,,,,\r\n",
         P::None, 0,
         {{0, {u"Mail", u"al", u"pw1", u"https://mail.example", u"フォルダー：Work"}},
          {0, {u"Secret note", u"", u"", u"", u"text"}}}},
        {"Keyra's own export: BOM, group numbers, an empty title kept",
         "\xEF\xBB\xBFGroup,Title,Username,Password,URL,Notes\r\n3,T,u,p,,\r\n10,,,,https://x.example,\r\n11,A,,,,\r\n",
         P::None, 0,
         {{3, {u"T", u"u", u"p", u"", u""}}, {10, {u"", u"", u"", u"https://x.example", u""}},
          {0, {u"A", u"", u"", u"", u"フォルダー：11"}}}},
        {"CP932 spreadsheet, LF inside a cell",
         "\x83^\x83" "C\x83g\x83\x8B,ID,\x83p\x83X\x83\x8F\x81[\x83h,URL,\x83\x81\x83\x82\r\n\x8B\xE2\x8Ds,\x8ER\x93"
         "c,\x94\xE9\x96\xA7\x81`\x87@,https://bank.example,\"\x88\xEA\x8Ds\x96\xDA\n\x93\xF1\x8Ds\x96\xDA\"\r\n",
         P::None, 0, {{0, {u"銀行", u"山田", u"秘密～①", u"https://bank.example", u"一行目\r\n二行目"}}}},
        {"UTF-16 LE", Utf16(u"name,password\r\n\U0001F511鍵,p\r\n", false), P::None, 0, {{0, {u"🔑鍵", u"", u"p", u"", u""}}}},
        {"UTF-16 BE", Utf16(u"name,password\r\n\U0001F511鍵,p", true), P::None, 0, {{0, {u"🔑鍵", u"", u"p", u"", u""}}}},
        {"CR line ends, blank and empty rows skipped, a memo's CR",
         "\rtitle,password,notes\rA,p,\"x\ry\"\r\r,,\rB,q,\r", P::None, 0,
         {{0, {u"A", u"", u"p", u"", u"x\r\ny"}}, {0, {u"B", u"", u"q", u"", u""}}}},
        {"texts at the caps", "title,password,folder,notes\r\n" + std::string(2048, 't') + ",,F," + std::string(31991, 'n'),
         P::None, 0, {{0, {std::u16string(2048, u't'), u"", u"", u"", memoMax}}}},
        {"unclosed quote names the row's first line", "name,password,note\r\nA,p,\"two\nlines\"\r\nB,q,\"open\r\nmore\r\n",
         P::UnclosedQuote, 4, {}},
        {"a field too many", "name,password\r\nA,p\r\nB,q,extra\r\n", P::FieldCount, 3, {}},
        {"a field too few", "name,password,url\nA,p\n", P::FieldCount, 2, {}},
        {"no known column", "\r\nfoo,bar\r\n1,2\r\n", P::NoHeader, 2, {}},
        {"empty file", "", P::NoHeader, 1, {}},
        {"invalid UTF-8 after a BOM", "\xEF\xBB\xBFname,password\r\nA,\xC3\x28\r\n", P::Encoding, 2, {}},
        {"invalid CP932", "name,password\r\n\x82\xA0,x\r\nb,\x82", P::Encoding, 3, {}},
        {"NUL", "name,password\nA,p\0q\n"s, P::Encoding, 2, {}},
        {"UTF-16 without BOM", "n\0a\0m\0e\0"s, P::Encoding, 1, {}},
        {"lone surrogate", Utf16(u"name,password\r\nA,", false) + "\x00\xD8"s, P::Encoding, 2, {}},
        {"line break in a password", "name,password\r\nA,\"p\nq\"\r\n", P::LineBreak, 2, {}},
        {"title over the cap", "title,password\r\n" + std::string(2049, 't') + ",p\r\n", P::TooLong, 2, {}},
        {"memo over the cap with its folder line", "folder,password,notes\r\nF,," + std::string(31992, 'n'), P::TooLong, 2, {}},
    };
    for (const ReadCase& c : cases) {
        SCOPED_TRACE(c.name);
        const kcsv::ReadResult r = ReadBytes(c.file);
        EXPECT_EQ(r.problem, c.problem);
        if (c.problem != P::None) {
            EXPECT_EQ(r.line, c.line);
            EXPECT_EQ(kcsv::ProblemText(r).rfind(kstr::Decimal(c.line) + u"行目：", 0), 0u);
            EXPECT_TRUE(r.entries.empty());
            continue;
        }
        ASSERT_EQ(r.entries.size(), c.entries.size());
        for (std::size_t k = 0; k < c.entries.size(); ++k) {
            EXPECT_EQ(r.entries[k].group, c.entries[k].group) << k;
            EXPECT_EQ(TextsOf(r.entries[k].texts), c.entries[k].texts) << k;
        }
    }
    const std::vector<std::uint8_t> big(kcsv::kMaxFileBytes + 1, 'a');
    EXPECT_EQ(kcsv::Read(big.data(), big.size()).problem, P::TooLarge);
}

kcsv::Entry Login(std::u16string title, int group = 0) {
    kcsv::Entry e;
    e.group = group;
    e.texts.Title = std::move(title);
    e.texts.Id = u"id";
    e.texts.Password = u"pw";
    return e;
}

TEST(CsvPlace, WrapsSkipsDuplicatesFollowsGroupsAndRefusesWhatDoesNotFit) {
    KIdTable table;
    for (int i : {1, 900, 1000}) table[i] = Login(u"old").texts, table[i].InUse = 1;
    for (int i = 901; i < 999; ++i) table[i] = Login(kstr::Decimal(i) + u"full").texts, table[i].InUse = 1;
    std::vector<kcsv::Entry> in{Login(u"a"), Login(u"old"), Login(u"b"), Login(u"a"), Login(u"c"), Login(u"g3", 3),
                                Login(u"g10", 10)};
    in[1].texts.Url = u"other";  // still the same title, ID and password
    const kcsv::Plan plan = kcsv::PlanImport(table, 10, in);
    ASSERT_TRUE(plan.fits);
    EXPECT_EQ(plan.freeSlots, 1000 - 100);  // index 1000 is no group's
    EXPECT_EQ(plan.slots, (std::vector<int>{999, kcsv::kSkipped, 0, kcsv::kSkipped, 2, 200, 3}));
    EXPECT_EQ(kcsv::PlanText(plan),
              u"5件のエントリをインポートしました（グループ1に3件、グループ3に1件、グループ10に1件）。重複していた2件は読み込んでいません。");
    kcsv::ApplyImport(table, plan, in);
    EXPECT_EQ(table[200].Title, u"g3");
    EXPECT_EQ(table[3].Title, u"g10");
    EXPECT_TRUE(table[999].InUse);

    std::vector<kcsv::Entry> many;
    for (int n = 0; n < 896; ++n) many.push_back(Login(kstr::Decimal(n) + u"n"));
    const kcsv::Plan full = kcsv::PlanImport(table, 1, many);
    EXPECT_FALSE(full.fits);
    EXPECT_EQ(full.freeSlots, 895);
    EXPECT_NE(kcsv::PlanText(full).find(u"空きは895件"), std::u16string::npos);
    kcsv::ApplyImport(table, full, many);
    EXPECT_FALSE(table[4].InUse);
}

TEST(CsvRoundTrip, ExportReadsBackIntoAnEmptyTableWithEveryText) {
    const std::vector<std::u16string> awkward[] = {
        {u"a\"b", u"x,y", u"=SUM(A1)", u"", u"1行目\r\n\r\n\"3\",行目\r\n"},
        {u"日本語\U0001F511", u"+81", u"-p@ss\"", u"https://例え.jp/?a=1,2", u""},
        {u"", u"", u"", u"https://no-title.example", u"only memo"},
        {u" padded ", u"@me", u"\t", u"u", u"end\r\n"},
    };
    const int from[] = {5, 7, 120, 999}, to[] = {0, 1, 100, 900};
    KIdTable table, back;
    for (int k = 0; k < 4; ++k) {
        KIdData& d = table[from[k]];
        d.InUse = 1;
        for (int p = 1; p <= 5; ++p) d.Text(p) = awkward[k][p - 1];
    }
    table[1000] = table[5];  // belongs to no group: not exported
    const std::vector<std::uint8_t> bytes = kcsv::Write(table);
    const std::string file(bytes.begin(), bytes.end());
    EXPECT_EQ(file.rfind("\xEF\xBB\xBFGroup,Title,Username,Password,URL,Notes\r\n1,\"a\"\"b\",\"x,y\",=SUM(A1),,", 0), 0u);
    kcsv::ReadResult r = kcsv::Read(bytes.data(), bytes.size());
    ASSERT_EQ(r.problem, P::None);
    const kcsv::Plan plan = kcsv::PlanImport(back, 5, r.entries);
    kcsv::ApplyImport(back, plan, r.entries);
    int used = 0;
    for (int i = 0; i < back.Size(); ++i) used += back[i].InUse;
    EXPECT_EQ(used, 4);
    for (int k = 0; k < 4; ++k) EXPECT_EQ(TextsOf(back[to[k]]), awkward[k]) << k;
}

}  // namespace
