#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>

#include <aclapi.h>
#include <sddl.h>
#else
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "app/document.h"
#include "app/settings.h"
#include "core/kerror.h"
#include "storage/kini.h"
#include "storage/kplatform.h"
#include "storage/kvault.h"
#include "app/masterpassword.h"
#include "storage_temp_dir.h"

namespace {

const std::u16string kRefusal = u"Keyra のデータファイルではありません";

class DataFile : public StorageTempDir {
protected:
    void SetUp() override {
        StorageTempDir::SetUp();
        paths = {Path("keyra.kr"), Path("keyra.si")};
    }
    // A scrambled file holding exactly these plain lines.
    void WriteDoc(const std::string& name, const std::vector<std::u16string>& lines) {
        KIni doc;
        for (const auto& l : lines) doc.AppendLine(l);
        doc.Save(Path(name));
    }
    std::vector<std::u16string> PlainLines(const std::string& name) {
        KIni doc;
        EXPECT_TRUE(doc.Load(Path(name)));
        std::vector<std::u16string> out;
        for (int i = 0; i < doc.LineCount(); ++i) out.push_back(doc.Line(i));
        return out;
    }
    // A start into `into`; `result` keeps what it has to tell.
    bool Load(KDocument& into) {
        result = into.Load(paths);
        return result.Status == KLoadStatus::Loaded;
    }
    bool Load() { return Load(doc); }
    bool LoadBackup(KDocument& into) {
        result = into.Load(paths, nullptr, KLoadSource::Backup);
        return result.Status == KLoadStatus::Loaded;
    }
    void Save() { doc.Save(paths); }

    KDataPaths paths;
    KDocument doc;
    KSettings& settings = doc.Settings();
    KIdTable& table = doc.Entries();
    KLoadResult result;
};

TEST_F(DataFile, FreshStartTakesEveryDefault) {
    ASSERT_TRUE(Load());
    EXPECT_EQ(settings.Top, 100);
    EXPECT_EQ(settings.Left, 600);
    EXPECT_EQ(settings.FontName, u"Tahoma");
    EXPECT_EQ(settings.FontSize, 10);
    EXPECT_EQ(settings.ShortButtonNum, 5);
    EXPECT_EQ(settings.FormColor, 9981440);
    EXPECT_EQ(settings.ButtonColor, 14215660);
    EXPECT_EQ(settings.ButtonShortTextColor, 8421504);
    EXPECT_EQ(settings.PasteWait, 100);
    EXPECT_EQ(settings.DispUsedMode, 0);
    EXPECT_TRUE(result.Messages.empty());
    EXPECT_EQ(doc.GeneratorPosition().top, 100);
    EXPECT_EQ(doc.WordLists().Symbols, (std::vector<std::u16string>{u"#", u"$", u"?", u"@"}));
    for (int n = 0; n < table.Size(); ++n) ASSERT_EQ(table[n].InUse, 0);
    EXPECT_FALSE(std::filesystem::exists(Native("keyra.kr")));
}

TEST_F(DataFile, PositionIsMovedInOnASmallScreenOnly) {
    std::int32_t top = 100, left = 600;
    ClampWindowPosition(top, left, 650, 150);
    EXPECT_EQ(top, 50);
    EXPECT_EQ(left, 550);
    top = -50;
    left = -7;
    ClampWindowPosition(top, left, 1920, 1080);
    EXPECT_EQ(top, -50);
    EXPECT_EQ(left, -7);
    top = 5000;
    left = 1820;
    ClampWindowPosition(top, left, 1920, 1080);
    EXPECT_EQ(top, 980);
    EXPECT_EQ(left, 1820);
    top = std::numeric_limits<std::int32_t>::max();
    left = std::numeric_limits<std::int32_t>::max();
    ClampWindowPosition(top, left, 1920, 1080);
    EXPECT_EQ(top, 980);
    EXPECT_EQ(left, 1820);
}

TEST_F(DataFile, SaveWritesTheLinesInTheirOrder) {
    settings.Top = 123;
    settings.Left = -4;
    doc.GeneratorPosition() = {77, 5};
    doc.WordLists().Groups[0].group = u"グループ";
    doc.WordLists().Groups[0].names = std::make_unique<std::vector<std::u16string>>(1, u"名前");
    settings.FontName = u"Tahoma";
    settings.PINNo = u"";
    table[0].InUse = 1;
    table[0].Title = u"ab";
    table[1000].InUse = 1;
    table[1000].Title = u"last";
    table[5].Title = u"not in use";  // in-use 0: no line
    Save();
    const std::vector<std::u16string> expected{
        u"Keyra=0.3", u"Top=123", u"Left=-4", u"FormColor=9981440", u"ButtonColor=14215660",
        u"ButtonShortTextColor=8421504", u"ButtonLongTextColor=0", u"PasteMode=1", u"EnterMode=0",
        u"ClearMode=0", u"PasteWait=100", u"DispPassMode=1", u"URLMode=1", u"ListHeight=165",
        u"MemoHeight=72", u"ShortButtonNum=5", u"PINMode=0", u"PINNo=", u"FontName=Tahoma", u"FontSize=10",
        u"DispUsedMode=0", u"$Lines=29", u"I0=\\161006200", u"I1000=\\16c00610073007400", u"$Top=77",
        u"$Left=5", u"#グループ=名前", u"$Check=228f4f6f", u"$End=29"};  // zlib's CRC-32 of the other lines
    EXPECT_EQ(PlainLines("keyra.kr"), expected);
}

TEST_F(DataFile, EntriesSurviveSaveAndLoad) {
    table[0].InUse = 1;
    table[0].Title = u"ab";
    table[1000].InUse = 1;
    table[1000].Title = u"最後";
    KIdData& e = table[42];
    e.InUse = 1;
    e.Title = u"銀行 = bank";
    e.Id = u"user\\name";
    e.Password = u"p=a\\s\\1s";
    e.Url = u"https://example.test/a?b=c";
    e.Memo = u"一行目\r\n二行目\r\n\\F=";
    table[7].InUse = 1;  // title empty, other texts not
    table[7].Id = u"only-id";
    table[7].Password = u"only-pass";
    table[8].InUse = 1;  // in use but empty: read back as free
    doc.GeneratorPosition() = {77, 5};
    Save();

    KDocument other;
    ASSERT_TRUE(Load(other));
    const KIdTable& fresh = other.Entries();
    EXPECT_EQ(fresh[0].InUse, 1);
    EXPECT_EQ(fresh[0].Title, u"ab");
    EXPECT_EQ(fresh[1000].InUse, 1);
    EXPECT_EQ(fresh[1000].Title, u"最後");
    EXPECT_EQ(fresh[42].InUse, 1);
    for (int k = 1; k <= 5; ++k) EXPECT_EQ(fresh[42].Text(k), e.Text(k)) << k;
    EXPECT_EQ(fresh[7].InUse, 1);
    EXPECT_EQ(fresh[7].Title, u"");
    EXPECT_EQ(fresh[7].Id, u"only-id");
    EXPECT_EQ(fresh[7].Password, u"only-pass");
    EXPECT_EQ(fresh[8].InUse, 0);
    int used = 0;
    for (int n = 0; n < fresh.Size(); ++n) used += fresh[n].InUse;
    EXPECT_EQ(used, 4);
    EXPECT_EQ(other.GeneratorPosition().top, 77);
}

TEST_F(DataFile, AFileReadAheadIsTakenOnlyWhileItIsTheFileRead) {
    table[3].InUse = 1;
    table[3].Title = u"first";
    Save();
    KDocument other;
    other.ReadAhead(paths);
    ASSERT_TRUE(Load(other));
    EXPECT_EQ(other.Entries()[3].Title, u"first");

    // Written again after the read: what was read is stale.
    KReadAhead early(paths.Data);
    early.Wait();
    table[3].Title = u"second, longer";
    Save();
    bool whole = false;
    EXPECT_EQ(early.Take(paths.Data, whole), nullptr);
    KReadAhead elsewhere(paths.Data);
    EXPECT_EQ(elsewhere.Take(paths.Backup(), whole), nullptr);
    KReadAhead now(paths.Data);
    const std::unique_ptr<KIni> read = now.Take(paths.Data, whole);
    ASSERT_NE(read, nullptr);
    EXPECT_TRUE(whole);
}

TEST_F(DataFile, SettingsSurviveSaveAndLoad) {
    settings.FormColor = 0x123456;
    settings.ButtonColor = -1;
    settings.PasteMode = 2;
    settings.PasteWait = 250;
    settings.DispPassMode = 0;
    settings.URLMode = 7;
    settings.ListHeight = 300;
    settings.MemoHeight = 22;
    settings.ShortButtonNum = 10;
    settings.PINMode = 1;
    settings.PINNo = u"0123";
    settings.FontName = u"MS UI Gothic";
    settings.FontSize = 16;
    settings.DispUsedMode = 1;
    settings.EnterMode = 1;
    settings.ClearMode = 1;
    settings.Top = 10;
    settings.Left = 20;
    Save();
    KDocument loaded;
    ASSERT_TRUE(Load(loaded));
    const KSettings& back = loaded.Settings();
    EXPECT_EQ(back.Top, 10);
    EXPECT_EQ(back.Left, 20);
    EXPECT_EQ(back.FormColor, 0x123456);
    EXPECT_EQ(back.ButtonColor, -1);
    EXPECT_EQ(back.PasteMode, 2);
    EXPECT_EQ(back.PasteWait, 250);
    EXPECT_EQ(back.DispPassMode, 0);
    EXPECT_EQ(back.URLMode, 7);
    EXPECT_EQ(back.ListHeight, 300);
    EXPECT_EQ(back.MemoHeight, 22);
    EXPECT_EQ(back.ShortButtonNum, 10);
    EXPECT_EQ(back.PINMode, 1);
    EXPECT_EQ(back.PINNo, u"0123");
    EXPECT_EQ(back.FontName, u"MS UI Gothic");
    EXPECT_EQ(back.FontSize, 16);
    EXPECT_EQ(back.DispUsedMode, 1);
    EXPECT_EQ(back.EnterMode, 1);
    EXPECT_EQ(back.ClearMode, 1);
}

TEST_F(DataFile, MarkerMustBeANonZeroNumber) {
    const std::vector<std::u16string> refused{u"Keyra=0",   u"Keyra=0.0", u"Keyra=abc",  u"Keyra=",
                                                u"Other=1",   u"Keyra=nan", u"Keyra=inf",  u"Keyra=-INFINITY",
                                                u"Keyra=0x1", u"Keyra=.",   u"Keyra=e5"};
    for (const auto& marker : refused) {
        WriteDoc("keyra.kr", {marker, u"Top=5", u"I0=\\161006200"});
        const auto before = ReadBytes("keyra.kr");
        KDocument e;
        e.Settings().FontName = u"untouched";
        EXPECT_FALSE(Load(e)) << std::string(marker.begin(), marker.end());
        EXPECT_EQ(result.Status, KLoadStatus::NotKeyra);
        EXPECT_EQ(result.Messages, (std::vector<std::u16string>{kRefusal}));
        EXPECT_EQ(e.Settings().FontName, u"untouched");
        EXPECT_EQ(e.Entries()[0].InUse, 0);
        EXPECT_EQ(ReadBytes("keyra.kr"), before);
    }
    for (const auto* marker : {u"Keyra=1", u"keyra=2x", u"KEYRA=0.3", u"Keyra= .5", u"Keyra=1e2x"}) {
        WriteDoc("keyra.kr", {marker, u"Top=5"});
        KDocument e;
        EXPECT_TRUE(Load(e));
        EXPECT_TRUE(result.Messages.empty());
        EXPECT_EQ(e.Settings().Top, 5);
    }
}

TEST_F(DataFile, EmptyAndPlainFilesAreRefused) {
    for (const auto& bytes : {std::vector<std::uint8_t>{}, std::vector<std::uint8_t>{0xFF, 0xFE},
                              Utf16LeWithBom(u"Keyra=0.3\r\nTop=1\r\n")}) {
        WriteBytes("keyra.kr", bytes);
        EXPECT_FALSE(Load());
        EXPECT_EQ(result.Messages, (std::vector<std::u16string>{kRefusal}));
        EXPECT_EQ(ReadBytes("keyra.kr"), bytes);
    }
}

TEST_F(DataFile, InitialFileSeedsAFirstStartWithoutAMarker) {
    WriteDoc("keyra.si", {u"Top=7", u"FontName=Arial", u"I3=\\1" + KIni::HexEncode(u"初期")});
    const auto initial = ReadBytes("keyra.si");
    ASSERT_TRUE(Load());
    EXPECT_EQ(settings.Top, 7);
    EXPECT_EQ(settings.FontName, u"Arial");
    EXPECT_EQ(table[3].InUse, 1);
    EXPECT_EQ(table[3].Title, u"初期");
    Save();
    EXPECT_EQ(ReadBytes("keyra.si"), initial);
    const auto lines = PlainLines("keyra.kr");
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], u"Keyra=0.3");

    // Once the data file exists, the initial file is ignored.
    WriteDoc("keyra.si", {u"Top=999"});
    KDocument again;
    ASSERT_TRUE(Load(again));
    EXPECT_EQ(again.Settings().Top, 7);
}

TEST_F(DataFile, SettingTextsAreTakenAsTheyParse) {
    WriteDoc("keyra.kr", {u"Keyra=0.3", u"top=5000", u"TOP=1", u"Left=-50", u"FontName=", u"FormColor=0x984E00",
                          u"ButtonColor= 42abc", u"URLMode=-3", u"Unknown=line", u"no equals"});
    ASSERT_TRUE(Load());
    EXPECT_EQ(settings.Top, 5000);  // the first "top" counts; the window keeps itself on the screen
    EXPECT_EQ(settings.Left, -50);
    EXPECT_EQ(settings.FontName, u"Tahoma");
    EXPECT_EQ(settings.FormColor, 0);
    EXPECT_EQ(settings.ButtonColor, 42);
    EXPECT_EQ(settings.URLMode, -3);
    Save();
    const auto lines = PlainLines("keyra.kr");
    int tops = 0;
    for (const auto& l : lines) {
        EXPECT_NE(l, u"Unknown=line");
        EXPECT_NE(l, u"no equals");
        if (l.rfind(u"Top=", 0) == 0) ++tops;
    }
    EXPECT_EQ(tops, 1);
    // marker, settings, the generator's position, its four symbols and one number, the counts, the check
    EXPECT_EQ(lines.size(), 21u + 2u + 5u + 2u + 1u);
}

TEST_F(DataFile, OutOfRangeSettingsAreBroughtIntoRange) {
    struct Case {
        std::vector<std::u16string> lines;
        std::int32_t KSettings::*field;
        std::int32_t expected;
    };
    const std::vector<Case> cases{
        {{u"ShortButtonNum=99"}, &KSettings::ShortButtonNum, 10},
        {{u"ShortButtonNum=abc"}, &KSettings::ShortButtonNum, 5},
        {{u"ShortButtonNum=7"}, &KSettings::ShortButtonNum, 7},
        {{u"ListHeight=abc"}, &KSettings::ListHeight, 22},
        {{u"ListHeight=9999"}, &KSettings::ListHeight, 500},
        {{u"MemoHeight=-1"}, &KSettings::MemoHeight, 22},
        {{u"MemoHeight=100"}, &KSettings::MemoHeight, 100},
        {{u"FontSize=abc"}, &KSettings::FontSize, 10},
        {{u"FontSize=-3"}, &KSettings::FontSize, 10},
        {{u"FontSize=3"}, &KSettings::FontSize, 6},
        {{u"FontSize=500"}, &KSettings::FontSize, 72},
        {{u"FontSize=12"}, &KSettings::FontSize, 12},
        {{u"PasteWait=-5"}, &KSettings::PasteWait, 0},
        {{u"PasteWait=99999999"}, &KSettings::PasteWait, 10000},
        {{u"PasteWait=0"}, &KSettings::PasteWait, 0},
        {{u"PasteMode=7"}, &KSettings::PasteMode, 1},
        {{u"PasteMode=-1"}, &KSettings::PasteMode, 1},
        {{u"PasteMode=3"}, &KSettings::PasteMode, 3},
        {{u"PasteMode=0"}, &KSettings::PasteMode, 0},
        {{u"DispPassMode=5"}, &KSettings::DispPassMode, 5},
        {{u"DispPassMode=0"}, &KSettings::DispPassMode, 0},
        // The idle time before the window locks: shorter only, never none.
        {{u"IdleLockSeconds=5"}, nullptr, 5},
        {{u"IdleLockSeconds=0"}, nullptr, 600},
        {{u"IdleLockSeconds=abc"}, nullptr, 600},
        {{u"IdleLockSeconds=86400"}, nullptr, 600},
    };
    for (const auto& c : cases) {
        std::vector<std::u16string> lines{u"Keyra=0.3"};
        lines.insert(lines.end(), c.lines.begin(), c.lines.end());
        WriteDoc("keyra.kr", lines);
        KDocument e;
        ASSERT_TRUE(Load(e));
        EXPECT_EQ(c.field ? e.Settings().*c.field : e.IdleLockSeconds(), c.expected)
            << std::string(c.lines[0].begin(), c.lines[0].end());
    }
}

TEST_F(DataFile, UnreadableDataFileThrowsAndChangesNothing) {
    std::filesystem::create_directories(Native("keyra.kr"));
    settings.FontName = u"before";
    table[4].InUse = 1;
    table[4].Title = u"kept";
    EXPECT_THROW(Load(), KFileError);
    EXPECT_EQ(settings.FontName, u"before");
    EXPECT_EQ(table[4].InUse, 1);
    EXPECT_EQ(table[4].Title, u"kept");

    // The same for an initial file that is there but cannot be read.
    std::filesystem::remove(Native("keyra.kr"));
    std::filesystem::create_directories(Native("keyra.si"));
    EXPECT_THROW(Load(), KFileError);
    EXPECT_EQ(settings.FontName, u"before");
}

TEST_F(DataFile, FailedSaveThrowsAndKeepsTheOldFile) {
    table[1].InUse = 1;
    table[1].Title = u"first";
    Save();
    const auto old = ReadBytes("keyra.kr");

    table[1].Title = u"second";
    EXPECT_THROW(doc.Save({Path("missing-folder/keyra.kr"), {}}), KFileError);
    EXPECT_EQ(ReadBytes("keyra.kr"), old);
    EXPECT_EQ(table[1].Title, u"second");

    std::filesystem::create_directories(Native("dir.kr"));
    EXPECT_THROW(doc.Save({Path("dir.kr"), {}}), KFileError);
    for (const auto& name : Entries()) EXPECT_EQ(name.find(".~"), std::string::npos) << name;

    // Saving again where it can works and replaces the old contents.
    Save();
    KDocument e;
    ASSERT_TRUE(Load(e));
    EXPECT_EQ(e.Entries()[1].Title, u"second");
}

// ---- damaged files, the backup ----

// A scrambled file of any plain text, zero units included, as Save would write it.
std::vector<std::uint8_t> ScrambledText(std::u16string s) {
    KIni seq;
    seq.SetSeed(KIni::kScrambleSeed);
    for (auto& c : s) c = static_cast<char16_t>((c + seq.RandRange(0, 9)) & 0xFFFF);
    return Utf16LeWithBom(KIni::HexEncode(s) + u"\r\n");
}

bool Says(const KLoadResult& r, const std::u16string& text) {
    return r.Messages.size() == 1 && r.Messages[0].find(text) != std::u16string::npos;
}

TEST_F(DataFile, DamagedFilesAreReportedOnceKeptAsideAndLoadAsFarAsTheyGo) {
    WriteDoc("keyra.kr", {u"Keyra=0.3", u"I3=\\161006200"});  // an older copy's file: whole, no count lines
    ASSERT_TRUE(Load());
    EXPECT_TRUE(result.Messages.empty());
    EXPECT_EQ(Entries(), (std::vector<std::string>{"keyra.kr"}));

    table[0] = KIdData{1, u"first", u"", u"", u"", u""};
    table[500] = KIdData{1, u"", u"", u"", u"", std::u16string(300, u'm')};
    Save();
    const auto good = ReadBytes("keyra.kr");
    const auto lines = PlainLines("keyra.kr");
    std::u16string head, mid, rest;  // the marker, the settings and the count stay in head
    for (std::size_t i = 0; i < lines.size(); ++i) (i < 23 ? head : i == 23 ? mid : rest) += lines[i] + u"\r\n";
    // The file, and whether any of it can be read.
    std::vector<std::pair<std::vector<std::uint8_t>, bool>> cases;
    for (std::size_t keep : {good.size() - 1, good.size() / 2, 2 + 8 * head.size()})
        cases.push_back({{good.begin(), good.begin() + static_cast<std::ptrdiff_t>(keep)}, true});
    cases.push_back({ScrambledText(head), true});         // cut at a line, closed again
    cases.push_back({ScrambledText(head + rest), true});  // a line lost inside
    cases.push_back({ScrambledText(head + u"#g=a" + std::u16string(1, u'\0') + u"b\r\n" + mid + rest), true});
    // One hex digit of the first entry's title changed: only the checksum tells.
    std::u16string before;
    for (std::size_t i = 0; i < 22; ++i) before += lines[i] + u"\r\n";
    auto digit = good;
    const std::size_t at = 2 + 8 * (before.size() + 5);
    digit[at] = digit[at] == '1' ? '2' : '1';
    cases.push_back({digit, true});
    // Nothing of a Keyra file left: empty, the byte-order mark alone, cut in the first line.
    cases.push_back({{}, false});
    cases.push_back({{0xFF, 0xFE}, false});
    cases.push_back({{good.begin(), good.begin() + 66}, false});
    const std::vector<std::u16string> kept{u"Keyra=0.3", u"I0=\\1" + KIni::HexEncode(u"from backup")};
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(i);
        const auto& [bytes, readable] = cases[i];
        for (const auto& name : Entries()) std::filesystem::remove(Native(name));
        WriteBytes("keyra.kr", bytes);
        WriteDoc("keyra.kr.bak", kept);
        const auto backup = ReadBytes("keyra.kr.bak");
        KDocument e;
        EXPECT_EQ(Load(e), readable);
        EXPECT_TRUE(result.BackupOffered) << "the whole backup is offered";
        if (readable) {
            EXPECT_TRUE(Says(result, u"が壊れているため、読み取れた分だけ") && Says(result, u"keyra.kr.damaged"))
                << result.Messages.size();
            EXPECT_TRUE(result.Damaged);
            EXPECT_EQ(e.Entries()[0].Title.substr(0, i == 6 ? 0 : 5), i == 6 ? u"" : u"first") << "what could be read is there";
            if (i == 5) EXPECT_EQ(e.Entries()[500].Memo, table[500].Memo) << "read past the zero unit";
            // No: what was read is saved, and the whole backup stays as it is.
            KDocument no;
            ASSERT_TRUE(Load(no));
            no.Save(paths);
            EXPECT_EQ(ReadBytes("keyra.kr.bak"), backup);
        }
        // Yes: the backup stands in; the damaged file is kept, and no save touches the backup.
        ASSERT_TRUE(LoadBackup(e));
        EXPECT_TRUE(result.FromBackup && Says(result, u"keyra.kr.bak"));
        EXPECT_EQ(e.Entries()[0].Title, u"from backup");
        EXPECT_EQ(ReadBytes("keyra.kr.damaged"), bytes);
        e.Save(paths);
        e.Save(paths);
        EXPECT_EQ(ReadBytes("keyra.kr.bak"), backup);
        KDocument again;
        ASSERT_TRUE(Load(again));
        EXPECT_TRUE(result.Messages.empty());
        EXPECT_EQ(again.Entries()[0].Title, u"from backup");
    }
    // A second damaged start never writes over the first copy.
    WriteBytes("keyra.kr", cases[0].first);
    ASSERT_TRUE(Load());
    EXPECT_TRUE(Says(result, u"keyra.kr.damaged2"));
    EXPECT_EQ(ReadBytes("keyra.kr.damaged2"), cases[0].first);
}

TEST_F(DataFile, AnUnkeepableDamagedFileIsNeverSavedOver) {
    WriteDoc("keyra.kr", {u"Keyra=0.3", u"$Lines=9"});
    const auto bad = ReadBytes("keyra.kr");
    WriteBytes("keyra.kr.damaged", {1});
    for (int i = 2; i <= 99; ++i) WriteBytes("keyra.kr.damaged" + std::to_string(i), {1});
    ASSERT_TRUE(Load());
    EXPECT_THROW(Save(), KFileError);
    EXPECT_EQ(ReadBytes("keyra.kr"), bad);
}

TEST_F(DataFile, TheBackupStandsInForAMissingDataFile) {
    table[2] = KIdData{1, u"v1", u"", u"", u"", u""};
    Save();
    EXPECT_EQ(Entries(), (std::vector<std::string>{"keyra.kr"})) << "the first save has nothing to keep";
    Save();
    std::filesystem::remove(Native("keyra.kr"));  // as when a save ended half-way
    table[2].Title = u"changed";
    ASSERT_TRUE(Load());
    EXPECT_EQ(table[2].Title, u"v1");
    EXPECT_TRUE(Says(result, u"keyra.kr.bak"));
    EXPECT_TRUE(result.FromBackup);
}

TEST_F(DataFile, AStuckBackupDoesNotStopTheSaveAndAnotherProgramsCopyIsNoticed) {
    table[1] = KIdData{1, u"mine", u"", u"", u"", u""};
    Save();
    EXPECT_TRUE(doc.Save(paths));
    const auto bak = ReadBytes("keyra.kr.bak");
    namespace fs = std::filesystem;
    fs::permissions(Native("keyra.kr.bak"), fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    table[1].Title = u"newer";
    EXPECT_FALSE(doc.Save(paths)) << "saved, without the backup";
    fs::permissions(Native("keyra.kr.bak"), fs::perms::owner_write, fs::perm_options::add);
    EXPECT_EQ(ReadBytes("keyra.kr.bak"), bak);
    KDocument e;
    ASSERT_TRUE(Load(e));
    EXPECT_EQ(e.Entries()[1].Title, u"newer");

    // Another program's file in its place is noticed; the same bytes written again are not.
    EXPECT_FALSE(doc.ChangedOnDisk(paths));
    WriteBytes("keyra.kr", ReadBytes("keyra.kr"));
    EXPECT_FALSE(doc.ChangedOnDisk(paths));
    WriteDoc("keyra.kr", {u"Keyra=0.3", u"I0=\\1" + KIni::HexEncode(u"theirs")});
    const auto theirs = ReadBytes("keyra.kr");
    EXPECT_TRUE(doc.ChangedOnDisk(paths));
    EXPECT_EQ(doc.KeepConflict(paths), paths.Data + u".conflict");
    EXPECT_EQ(doc.KeepConflict(paths), paths.Data + u".conflict2");
    EXPECT_EQ(ReadBytes("keyra.kr.conflict"), theirs);
    Save();
    EXPECT_FALSE(doc.ChangedOnDisk(paths)) << "what was saved is known again";
}

// ---- faults and ends of the process during the save ----

kplat::SaveStep g_faultStep = kplat::SaveStep::CreateTemp;
std::uint32_t g_faultCode = 0;  // 0: end the process at the step instead

std::uint32_t StepHook(kplat::SaveStep step) {
    if (step != g_faultStep) return 0;
    if (g_faultCode == 0) std::_Exit(0);
    return g_faultCode;
}

struct HookReset {
    ~HookReset() { kplat::SetSaveStepHook(nullptr); }
};

#ifdef _WIN32
constexpr std::uint32_t kSaveFaults[] = {112, 5, 32};  // disk full, access denied, file in use
#else
constexpr std::uint32_t kSaveFaults[] = {ENOSPC, EACCES, EBUSY};
#endif
constexpr kplat::SaveStep kSteps[] = {kplat::SaveStep::CreateTemp, kplat::SaveStep::WriteTemp,
                                      kplat::SaveStep::FlushTemp, kplat::SaveStep::Replace};

TEST_F(DataFile, EverySaveFaultKeepsTheOldFileAndARetrySaves) {
    HookReset reset;
    table[3].InUse = 1;
    table[3].Title = u"old";
    Save();
    const auto old = ReadBytes("keyra.kr");
    table[3].Title = u"new";
    table[999].InUse = 1;
    table[999].Memo = std::u16string(5000, u'm');

    kplat::SetSaveStepHook(StepHook);
    for (const auto step : kSteps) {
        for (const auto code : kSaveFaults) {
            g_faultStep = step;
            g_faultCode = code;
            try {
                Save();
                ADD_FAILURE() << "no error at step " << static_cast<int>(step);
            } catch (const KFileError& e) {
                EXPECT_NE(e.Message().find(kplat::SystemErrorText(code)), std::u16string::npos);
            }
            ASSERT_EQ(ReadBytes("keyra.kr"), old) << static_cast<int>(step) << " " << code;
            EXPECT_EQ(Entries(), (std::vector<std::string>{"keyra.kr"}));
        }
    }
    EXPECT_EQ(table[3].Title, u"new");

    kplat::SetSaveStepHook(nullptr);
    Save();
    KDocument e;
    ASSERT_TRUE(Load(e));
    EXPECT_EQ(e.Entries()[3].Title, u"new");
    EXPECT_EQ(e.Entries()[999].Memo.size(), 5000u);
}

// The table of the save that is ended half-way, the same in the test and in its child.
void FillNew(KIdTable& table) {
    table[3] = KIdData{1, u"new", u"", u"", u"", u""};
    table[999] = KIdData{1, u"", u"", u"", u"", std::u16string(5000, u'm')};
}

void SaveAndEndAt(kplat::SaveStep step, const std::u16string& path) {
    KDocument e;
    FillNew(e.Entries());
    g_faultStep = step;
    g_faultCode = 0;
    kplat::SetSaveStepHook(StepHook);
    e.Save({path, {}});
    std::_Exit(3);  // the step was never reached
}

#ifdef _WIN32
// The child of EndingTheProcessAtAnySaveStepLeavesOneWholeFile: this program again, told by
// its environment where to save and at which step to end.
TEST(DataFileChild, DISABLED_SaveAndEnd) {
    wchar_t step[16] = {}, path[1024] = {};
    ASSERT_TRUE(GetEnvironmentVariableW(L"KEYRA_END_STEP", step, 16));
    ASSERT_TRUE(GetEnvironmentVariableW(L"KEYRA_END_PATH", path, 1024));
    SaveAndEndAt(static_cast<kplat::SaveStep>(_wtoi(step)),
                 std::u16string(reinterpret_cast<const char16_t*>(path)));
}

int EndAtStep(kplat::SaveStep step, const std::u16string& path) {
    wchar_t exe[1024] = {};
    GetModuleFileNameW(nullptr, exe, 1024);
    SetEnvironmentVariableW(L"KEYRA_END_STEP", std::to_wstring(static_cast<int>(step)).c_str());
    SetEnvironmentVariableW(L"KEYRA_END_PATH", reinterpret_cast<const wchar_t*>(path.c_str()));
    std::wstring cmd = L"\"" + std::wstring(exe) +
                       L"\" --gtest_filter=DataFileChild.DISABLED_SaveAndEnd --gtest_also_run_disabled_tests";
    STARTUPINFOW si{sizeof(si)};
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(exe, cmd.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi))
        return -1;
    WaitForSingleObject(pi.hProcess, 120000);
    DWORD code = 99;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return static_cast<int>(code);
}
#else
int EndAtStep(kplat::SaveStep step, const std::u16string& path) {
    const pid_t child = fork();
    if (child < 0) return -1;
    if (child == 0) SaveAndEndAt(step, path);
    int status = 0;
    if (waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}
#endif

TEST_F(DataFile, EndingTheProcessAtAnySaveStepLeavesOneWholeFile) {
    table[3] = KIdData{1, u"old", u"", u"", u"", u""};
    Save();
    Save();  // so that there is a backup before the save that is ended
    const auto old = ReadBytes("keyra.kr");
    KDocument expected;
    FillNew(expected.Entries());
    expected.Save({Path("expected.kr"), {}});
    const auto freshBytes = ReadBytes("expected.kr");
    std::filesystem::remove(Native("expected.kr"));

    for (const auto step : {kplat::SaveStep::CreateTemp, kplat::SaveStep::WriteTemp, kplat::SaveStep::FlushTemp,
                            kplat::SaveStep::Replace, kplat::SaveStep::Replaced}) {
        SCOPED_TRACE(static_cast<int>(step));
        WriteBytes("keyra.kr", old);
        WriteBytes("keyra.kr.bak", old);
        ASSERT_EQ(EndAtStep(step, paths.Data), 0);
        const bool replaced = step == kplat::SaveStep::Replaced;  // the last step
        EXPECT_EQ(ReadBytes("keyra.kr"), replaced ? freshBytes : old);
        EXPECT_EQ(ReadBytes("keyra.kr.bak"), old);
        // A temporary file written in full is the newest save: the next start takes it up, and
        // leaves no temporary file behind.
        const bool written = step != kplat::SaveStep::CreateTemp && step != kplat::SaveStep::WriteTemp;
        KDocument e;
        ASSERT_TRUE(Load(e));
        EXPECT_EQ(result.Messages.size(), written && !replaced ? 1u : 0u);
        EXPECT_EQ(e.Entries()[3].Title, written ? u"new" : u"old");
        for (const auto& n : Entries()) EXPECT_EQ(n.find(".~"), std::string::npos) << n;
    }
    // A temporary file left by the ended process does not stand in the way of the next save.
    FillNew(table);
    Save();
    EXPECT_EQ(ReadBytes("keyra.kr"), freshBytes);
}

#ifdef _WIN32
// ReplaceFileW failing half-way as documented for each code; the hook puts the files where
// the failed call leaves them (_2: the old file already under the backup name).
std::u16string g_dataPath;
DWORD g_replaceCode = 0;
std::uint32_t HalfReplaceHook(kplat::SaveStep step) {
    if (step != kplat::SaveStep::Replace) return 0;
    if (g_replaceCode == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2)
        MoveFileW(reinterpret_cast<const wchar_t*>(g_dataPath.c_str()),
                  reinterpret_cast<const wchar_t*>((g_dataPath + u".bak").c_str()));
    return g_replaceCode;
}

TEST_F(DataFile, AReplaceThatFailsHalfWayLeavesOneWholeFile) {
    HookReset reset;
    table[3] = KIdData{1, u"old", u"", u"", u"", u""};
    Save();
    const auto old = ReadBytes("keyra.kr");
    table[3].Title = u"new";
    g_dataPath = paths.Data;
    kplat::SetSaveStepHook(HalfReplaceHook);
    for (const DWORD code :
         {ERROR_UNABLE_TO_REMOVE_REPLACED, ERROR_UNABLE_TO_MOVE_REPLACEMENT, ERROR_UNABLE_TO_MOVE_REPLACEMENT_2}) {
        SCOPED_TRACE(code);
        WriteBytes("keyra.kr", old);
        std::filesystem::remove(Native("keyra.kr.bak"));
        g_replaceCode = code;
        const bool moved = code == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2;  // then the new file is moved in
        if (moved) EXPECT_NO_THROW(Save());
        else EXPECT_THROW(Save(), KFileError);
        KDocument e;
        ASSERT_TRUE(Load(e));
        EXPECT_EQ(e.Entries()[3].Title, moved ? u"new" : u"old");
        if (moved) EXPECT_EQ(ReadBytes("keyra.kr.bak"), old);
        for (const auto& n : Entries()) EXPECT_EQ(n.find(".~"), std::string::npos) << n;
    }
}

std::wstring DaclOf(const std::u16string& path) {
    PSECURITY_DESCRIPTOR d = nullptr;
    PACL acl = nullptr;
    LPWSTR s = nullptr;
    std::wstring text;
    if (GetNamedSecurityInfoW(reinterpret_cast<const wchar_t*>(path.c_str()), SE_FILE_OBJECT,
                              DACL_SECURITY_INFORMATION, nullptr, nullptr, &acl, nullptr, &d) == ERROR_SUCCESS &&
        ConvertSecurityDescriptorToStringSecurityDescriptorW(d, SDDL_REVISION_1, DACL_SECURITY_INFORMATION, &s,
                                                             nullptr))
        text = s;
    LocalFree(s);
    LocalFree(d);
    return text;
}

TEST_F(DataFile, TheSaveKeepsTheHiddenAttributeAndTheAccessRights) {
    Save();
    const auto old = ReadBytes("keyra.kr");
    const auto* path = reinterpret_cast<const wchar_t*>(paths.Data.c_str());
    ASSERT_TRUE(SetFileAttributesW(path, FILE_ATTRIBUTE_HIDDEN));
    // Full access for everyone, which a new file of the folder does not get (Wine keeps
    // access rights as the file's mode, which this changes too).
    PSECURITY_DESCRIPTOR sd = nullptr;
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:P(A;;FA;;;WD)", SDDL_REVISION_1, &sd, nullptr));
    ASSERT_TRUE(SetFileSecurityW(path, DACL_SECURITY_INFORMATION, sd));
    LocalFree(sd);
    const std::wstring before = DaclOf(paths.Data);
    WriteBytes("plain.kr", {1});
    ASSERT_NE(DaclOf(Path("plain.kr")), before);
    table[3] = KIdData{1, u"new", u"", u"", u"", u""};
    Save();
    EXPECT_TRUE(GetFileAttributesW(path) & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(DaclOf(paths.Data), before);
    EXPECT_EQ(ReadBytes("keyra.kr.bak"), old);
    SetFileAttributesW(path, FILE_ATTRIBUTE_NORMAL);
}
#endif

TEST(EntryTable, HasOneThousandAndOneFreeSlots) {
    KIdTable t;
    ASSERT_EQ(t.Size(), 1001);
    for (int n = 0; n < t.Size(); ++n) {
        ASSERT_EQ(t[n].InUse, 0);
        ASSERT_TRUE(t[n].AllEmpty());
    }
    t[1000].Title = u"x";  // a real slot, though no group reaches it
    EXPECT_FALSE(t[1000].AllEmpty());
    EXPECT_NE(&t[999], &t[1000]);
    EXPECT_THROW(t[1001], std::out_of_range);
    EXPECT_THROW(t[-1], std::out_of_range);
}

TEST(EntryTable, TextsAreNumberedOneToFive) {
    KIdData d;
    d.Text(1) = u"t";
    d.Text(2) = u"i";
    d.Text(3) = u"p";
    d.Text(4) = u"u";
    d.Text(5) = u"m";
    EXPECT_EQ(d.Title, u"t");
    EXPECT_EQ(d.Id, u"i");
    EXPECT_EQ(d.Password, u"p");
    EXPECT_EQ(d.Url, u"u");
    EXPECT_EQ(d.Memo, u"m");
    EXPECT_THROW(d.Text(0), std::out_of_range);
    EXPECT_THROW(d.Text(6), std::out_of_range);
    d.Title.clear();
    EXPECT_FALSE(d.AllEmpty());  // the memo alone keeps it
    d.ClearTexts();
    EXPECT_TRUE(d.AllEmpty());
}

TEST(Settings, ClampLeavesProducedValuesAlone) {
    KSettings s;
    s.ShortButtonNum = 10;
    s.ListHeight = 22;
    s.MemoHeight = 500;
    s.FontSize = 8;
    s.PasteWait = 100;
    s.PasteMode = 2;
    s.DispPassMode = 1;
    s.PINMode = 1;
    s.URLMode = 123;
    const KSettings before = s;
    ClampSettings(s);
    EXPECT_EQ(s.ShortButtonNum, before.ShortButtonNum);
    EXPECT_EQ(s.ListHeight, before.ListHeight);
    EXPECT_EQ(s.MemoHeight, before.MemoHeight);
    EXPECT_EQ(s.FontSize, before.FontSize);
    EXPECT_EQ(s.PasteWait, before.PasteWait);
    EXPECT_EQ(s.PasteMode, before.PasteMode);
    EXPECT_EQ(s.URLMode, 123);
}

}  // namespace

namespace {

// A value of the row's setting other than its default, inside its range.
void SetOther(const KSettingRow& r, KSettings& s) {
    if (r.Int) s.*r.Int = r.OutOfRange == KOutOfRange::Keep ? r.IntDefault + 7 : (r.IntDefault == r.Low ? r.Low + 1 : r.Low);
    else s.*r.Text = std::u16string(u"値") + r.Key;
}

bool SameRow(const KSettingRow& r, const KSettings& a, const KSettings& b) {
    return r.Int ? a.*r.Int == b.*r.Int : a.*r.Text == b.*r.Text;
}

}  // namespace

// Covers every row of the settings table, including one added later.
TEST(Settings, EachRowHasItsOwnFieldKeyAndRoundTrip) {
    ASSERT_EQ(kSettingCount, 20u);
    const KSettings defaults;
    for (std::size_t i = 0; i < kSettingCount; ++i) {
        const KSettingRow& r = kSettingRows[i];
        SCOPED_TRACE(std::string(r.Key, r.Key + std::char_traits<char16_t>::length(r.Key)));
        ASSERT_NE(r.Int == nullptr, r.Text == nullptr);
        KSettings s;
        SetOther(r, s);
        ASSERT_FALSE(SameRow(r, s, defaults));
        KSettings clamped = s;
        ClampSettings(clamped);
        EXPECT_TRUE(SameRow(r, clamped, s));  // the other value is one the program may produce
        KIni doc;
        WriteSettings(doc, s);
        ASSERT_EQ(doc.LineCount(), static_cast<int>(kSettingCount));
        EXPECT_EQ(doc.LineName(static_cast<int>(i)), r.Key);  // file order is table order
        const KSettings back = ReadSettings(doc);
        for (std::size_t j = 0; j < kSettingCount; ++j) {
            // Only this row's value moved: no two rows share a field.
            EXPECT_TRUE(SameRow(kSettingRows[j], back, j == i ? s : defaults)) << "row " << j;
        }
    }
    KIni empty;
    const KSettings fromEmpty = ReadSettings(empty);
    for (std::size_t j = 0; j < kSettingCount; ++j) EXPECT_TRUE(SameRow(kSettingRows[j], fromEmpty, defaults));
}

namespace {

// A stand-in for CNG: a keyed stream and a 16-byte checksum over key, nonce, header and
// ciphertext. Weak, but any changed byte or another key is noticed as GCM would notice it.
class StandInCipher : public KCipher {
public:
    int derivations = 0;
    void Random(std::uint8_t* out, std::size_t size) override {
        for (std::size_t i = 0; i < size; ++i) out[i] = static_cast<std::uint8_t>(counter_ = counter_ * 1103515245u + 12345u);
    }
    void DeriveKey(std::string_view password, const std::vector<std::uint8_t>& salt, std::uint32_t iterations,
                   std::uint8_t* key, std::size_t keySize) override {
        ++derivations;
        std::uint64_t h = 1469598103934665603ull ^ iterations;
        for (char c : password) h = (h ^ static_cast<std::uint8_t>(c)) * 1099511628211ull;
        for (auto b : salt) h = (h ^ b) * 1099511628211ull;
        for (std::size_t i = 0; i < keySize; ++i) key[i] = static_cast<std::uint8_t>((h = h * 6364136223846793005ull + 1) >> 56);
    }
    std::vector<std::uint8_t> Seal(const std::uint8_t* key, const std::vector<std::uint8_t>& nonce,
                                   const std::vector<std::uint8_t>& aad, const std::vector<std::uint8_t>& plain) override {
        std::vector<std::uint8_t> out = plain;
        for (std::size_t i = 0; i < out.size(); ++i) out[i] ^= static_cast<std::uint8_t>(key[i % kKeyBytes] + i);
        const auto tag = Tag(key, nonce, aad, out);
        out.insert(out.end(), tag.begin(), tag.end());
        return out;
    }
    bool Open(const std::uint8_t* key, const std::vector<std::uint8_t>& nonce, const std::vector<std::uint8_t>& aad,
              const std::vector<std::uint8_t>& sealed, std::vector<std::uint8_t>& plain) override {
        plain.clear();
        std::vector<std::uint8_t> body(sealed.begin(), sealed.end() - kTagBytes);
        if (Tag(key, nonce, aad, body) != std::vector<std::uint8_t>(sealed.end() - kTagBytes, sealed.end())) return false;
        for (std::size_t i = 0; i < body.size(); ++i) body[i] ^= static_cast<std::uint8_t>(key[i % kKeyBytes] + i);
        plain = body;
        return true;
    }

private:
    static std::vector<std::uint8_t> Tag(const std::uint8_t* key, const std::vector<std::uint8_t>& nonce,
                                         const std::vector<std::uint8_t>& aad, const std::vector<std::uint8_t>& body) {
        std::uint64_t a = 14695981039346656037ull, b = 7;
        auto mix = [&](std::uint8_t x) { a = (a ^ x) * 1099511628211ull; b = b * 31 + a; };
        for (std::size_t i = 0; i < kKeyBytes; ++i) mix(key[i]);
        for (auto x : nonce) mix(x);
        for (auto x : aad) mix(x);
        for (auto x : body) mix(x);
        std::vector<std::uint8_t> t;
        for (int i = 0; i < 8; ++i) t.push_back(static_cast<std::uint8_t>(a >> (8 * i)));
        for (int i = 0; i < 8; ++i) t.push_back(static_cast<std::uint8_t>(b >> (8 * i)));
        return t;
    }
    std::uint32_t counter_ = 99;
};

class SealedFile : public DataFile {
protected:
    void SetUp() override {
        DataFile::SetUp();
        KIdData& e = sealed.Entries()[3];
        e.InUse = 1;
        e.Title = u"銀行ABC";
        e.Password = u"hunter2pass";
    }
    // A start whose prompt answers from the list, and gives up when the list ends.
    bool LoadWith(const std::vector<std::u16string>& answers, KDocument& into) {
        tries = 0;
        result = into.Load(paths);
        if (result.Status != KLoadStatus::NeedsKey) return result.Status == KLoadStatus::Loaded;
        const KLoadResult asked = result;
        for (const auto& a : answers) {
            ++tries;
            result = LoadWithPassword(into, paths, asked, a);
            if (result.Status != KLoadStatus::WrongKey) return result.Status == KLoadStatus::Loaded;
        }
        return false;
    }
    StandInCipher cipher;
    KDocument sealed{&cipher};
    int tries = 0;
};

std::u16string Utf16Hex(const std::u16string& t) { return KIni::HexEncode(t); }

}  // namespace

TEST_F(SealedFile, RoundTripAsksOnceAndTheFileHoldsNoText) {
    sealed.SetMasterPassword(u"correct horse");
    EXPECT_EQ(sealed.Master().Iterations(), KMasterKey::kIterations);
    sealed.Save(paths);

    // What the older loaders see: a scrambled document whose marker reads 0.
    const auto lines = PlainLines("keyra.kr");
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], u"Keyra=0");
    const auto bytes = ReadBytes("keyra.kr");
    std::u16string everything(reinterpret_cast<const char16_t*>(bytes.data() + 2), (bytes.size() - 2) / 2);
    for (const auto& l : lines) everything += l;
    for (const std::u16string t : {u"銀行ABC", u"hunter2pass"}) {
        EXPECT_EQ(everything.find(t), std::u16string::npos);
        EXPECT_EQ(everything.find(Utf16Hex(t)), std::u16string::npos);
    }
    KDocument old;  // without the cryptography, as a copy without the master password
    EXPECT_FALSE(Load(old));
    EXPECT_EQ(ReadBytes("keyra.kr"), bytes);

    KDocument back{&cipher};
    ASSERT_TRUE(LoadWith({u"wrong one", u"correct horse"}, back));
    EXPECT_EQ(tries, 2);
    EXPECT_EQ(back.Entries()[3].Title, u"銀行ABC");
    EXPECT_EQ(back.Entries()[3].Password, u"hunter2pass");
    EXPECT_TRUE(back.Master().Active());
    EXPECT_TRUE(back.Master().Matches(u"correct horse"));
    EXPECT_FALSE(back.Master().Matches(u"correct horsf"));
}

TEST_F(SealedFile, AnyChangedUnitIsRefusedAndTheFileIsLeftAlone) {
    sealed.SetMasterPassword(u"correct horse");
    sealed.Save(paths);
    const auto good = ReadBytes("keyra.kr");
    // Each flipped unit is one of the file's hex digits turned into another digit.
    for (std::size_t at = 2; at + 4 < good.size(); at += 2 * 37) {
        auto bad = good;
        bad[at] = bad[at] == '0' ? '1' : '0';
        WriteBytes("keyra.kr", bad);
        KDocument e{&cipher};
        EXPECT_FALSE(LoadWith({u"correct horse"}, e)) << at;
        EXPECT_FALSE(e.Master().Active());
        EXPECT_EQ(ReadBytes("keyra.kr"), bad);
    }
}

TEST_F(SealedFile, RemovingThePasswordWritesThePlainFileByteForByte) {
    sealed.Save(paths);
    const auto plain = ReadBytes("keyra.kr");
    sealed.SetMasterPassword(u"correct horse");
    sealed.Save(paths);
    EXPECT_NE(ReadBytes("keyra.kr"), plain);
    // The first sealed save leaves no readable backup behind.
    EXPECT_EQ(ReadBytes("keyra.kr.bak"), ReadBytes("keyra.kr"));
    sealed.SetMasterPassword(u"");
    sealed.Save(paths);
    EXPECT_EQ(ReadBytes("keyra.kr"), plain);
}

TEST_F(SealedFile, ALowCountIsReadAndSealedAgainAtTodaysCount) {
    sealed.Master().Derive(cipher, u"quick pass", std::vector<std::uint8_t>(16, 5), 1000);
    sealed.Save(paths);
    KDocument back{&cipher};
    ASSERT_TRUE(LoadWith({u"quick pass"}, back));
    EXPECT_EQ(back.Master().Iterations(), KMasterKey::kIterations);
    EXPECT_TRUE(back.Master().Matches(u"quick pass"));
}

TEST(MasterPassword, RulesOfTheDialogs) {
    EXPECT_EQ(kmaster::NewPasswordProblem(u"", u""), u"");
    EXPECT_EQ(kmaster::NewPasswordProblem(u"12345678", u"12345678"), u"");
    EXPECT_NE(kmaster::NewPasswordProblem(u"1234567", u"1234567"), u"");
    EXPECT_NE(kmaster::NewPasswordProblem(u"12345678", u"12345679"), u"");
    // Seven characters, one of them a surrogate pair: still too short.
    EXPECT_NE(kmaster::NewPasswordProblem(u"123456\U0001F600", u"123456\U0001F600"), u"");
    const int waits[] = {0, 0, 0, 1000, 2000, 4000};
    for (int m = 0; m < 6; ++m) EXPECT_EQ(kmaster::RetryDelayMs(m), waits[m]) << m;
    EXPECT_EQ(kmaster::RetryDelayMs(40), 30000);
}
