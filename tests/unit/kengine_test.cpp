#include "app/kengine.h"

#include <gtest/gtest.h>

#include "storage/kini.h"

namespace {

TEST(KEngineFiles, PathsFollowTheExecutable) {
    KEngine e;
    e.SetExecutablePath(u"C:\\Tools\\keyra.exe");
    EXPECT_EQ(e.ExeName, u"keyra.exe");
    EXPECT_EQ(e.BaseName, u"keyra");
    EXPECT_EQ(e.ExeDir, u"C:\\Tools");
    EXPECT_EQ(e.DataPath, u"C:\\Tools\\keyra.kr");
    EXPECT_EQ(e.InitialPath, u"C:\\Tools\\keyra.si");
    EXPECT_EQ(e.HelpPath, u"C:\\Tools\\keyra.chm");
    EXPECT_FALSE(e.CaptionFromBaseName());
}

TEST(KEngineFiles, ACopyUnderAnotherNameKeepsItsOwnDataButTheSameHelp) {
    KEngine e;
    e.SetExecutablePath(u"C:\\Tools\\Work.exe");
    EXPECT_EQ(e.DataPath, u"C:\\Tools\\Work.kr");
    EXPECT_EQ(e.InitialPath, u"C:\\Tools\\Work.si");
    EXPECT_EQ(e.HelpPath, u"C:\\Tools\\keyra.chm");
    EXPECT_TRUE(e.CaptionFromBaseName());

    e.SetExecutablePath(u"C:\\Tools\\KEYRA.exe");
    EXPECT_EQ(e.BaseName, u"KEYRA");
    EXPECT_TRUE(e.CaptionFromBaseName());  // the comparison is case-sensitive
}

TEST(KEngineFiles, OnlyTheLastDotEndsTheBaseName) {
    KEngine e;
    e.SetExecutablePath(u"D:\\a.b\\x\\a.b.exe");
    EXPECT_EQ(e.BaseName, u"a.b");
    EXPECT_EQ(e.ExeDir, u"D:\\a.b\\x");
    EXPECT_EQ(e.DataPath, u"D:\\a.b\\x\\a.b.kr");
    e.SetExecutablePath(u"D:\\x\\noext");
    EXPECT_EQ(e.BaseName, u"noext");
    EXPECT_EQ(e.DataPath, u"D:\\x\\noext.kr");
}

TEST(KEngineFiles, RootFoldersAndDriveColons) {
    KEngine e;
    e.SetExecutablePath(u"C:\\keyra.exe");
    EXPECT_EQ(e.ExeDir, u"C:");
    EXPECT_EQ(e.DataPath, u"C:\\keyra.kr");
    e.SetExecutablePath(u"C:keyra.exe");
    EXPECT_EQ(e.ExeName, u"keyra.exe");
    EXPECT_EQ(e.ExeDir, u"C:");
    e.SetExecutablePath(u"\\\\server\\share\\日本\\パス.exe");
    EXPECT_EQ(e.BaseName, u"パス");
    EXPECT_EQ(e.DataPath, u"\\\\server\\share\\日本\\パス.kr");
}

TEST(KEngineState, StartValuesAndGroupItems) {
    KEngine e;
    // Before any load the document already holds what an empty data file gives.
    KIni empty;
    const KSettings loaded = ReadSettings(empty);
    const KDocument doc;
    for (std::size_t i = 0; i < kSettingCount; ++i) {
        const KSettingRow& r = kSettingRows[i];
        if (r.Int) EXPECT_EQ(doc.Settings().*r.Int, loaded.*r.Int) << i;
        else EXPECT_EQ(doc.Settings().*r.Text, loaded.*r.Text) << i;
    }
    EXPECT_EQ(e.GroupButton, 11);
    e.ItemOfGroup(10) = 42;
    EXPECT_EQ(e.GroupItem[9], 42);
    EXPECT_THROW(e.ItemOfGroup(11), std::out_of_range);
    EXPECT_THROW(e.ItemOfGroup(0), std::out_of_range);
}

}  // namespace
