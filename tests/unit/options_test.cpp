#include "ui/options.h"

#include <gtest/gtest.h>

#include "app/kengine.h"
#include "ui/pinlock.h"

namespace {

KOptionValues Changed() {
    KOptionValues v;
    v.pasteModeItem = 2;
    v.groupCountItem = 3;
    v.listHeight = u"240";
    v.memoHeight = u"90";
    v.dispPass = false;
    v.dispPin = true;
    v.formColor = 0x123456;
    v.buttonColor = 0x654321;
    v.fontName = u"Arial";
    v.fontSize = u"12";
    return v;
}

TEST(OptionValues, FilledFromTheEngineAndAppliedBack) {
    KEngine e;
    e.FontName = u"Tahoma";
    e.PINNo = u"1234";
    const KOptionValues shown = OptionValuesOf(e);
    EXPECT_EQ(shown.pasteModeItem, 1);
    EXPECT_EQ(shown.groupCountItem, 0);
    EXPECT_EQ(shown.listHeight, u"165");
    EXPECT_EQ(shown.fontSize, u"10");
    EXPECT_TRUE(shown.dispPass);
    EXPECT_FALSE(shown.dispPin);

    ApplyOptionValues(Changed(), TPinLock::kHidden, e);
    EXPECT_EQ(e.PasteMode, 2);
    EXPECT_EQ(e.ShortButtonNum, 8);
    EXPECT_EQ(e.ListHeight, 240);
    EXPECT_EQ(e.MemoHeight, 90);
    EXPECT_EQ(e.DispPassMode, 0);
    EXPECT_EQ(e.PINMode, 1);
    EXPECT_EQ(e.FormColor, 0x123456);
    EXPECT_EQ(e.ButtonColor, 0x654321);
    EXPECT_EQ(e.FontName, u"Arial");
    EXPECT_EQ(e.FontSize, 12);
}

TEST(OptionValues, HeightsAreClampedAndUnusableBoxesKeepTheOldValue) {
    KEngine e;
    KOptionValues v = Changed();
    v.listHeight = u"5";
    v.memoHeight = u"99999999999999";
    ApplyOptionValues(v, TPinLock::kHidden, e);
    EXPECT_EQ(e.ListHeight, 22);
    EXPECT_EQ(e.MemoHeight, 500) << "a huge number saturates, it does not wrap";

    e.ListHeight = 180;
    e.MemoHeight = 60;
    e.FontSize = 11;
    e.PasteMode = 3;
    v.listHeight = u"";
    v.memoHeight = u"1x";
    v.fontSize = u"";
    v.fontName = u"";
    v.pasteModeItem = -1;
    v.groupCountItem = -1;
    ApplyOptionValues(v, TPinLock::kHidden, e);
    EXPECT_EQ(e.ListHeight, 180);
    EXPECT_EQ(e.MemoHeight, 60);
    EXPECT_EQ(e.FontSize, 11);
    EXPECT_EQ(e.FontName, u"Arial");
    EXPECT_EQ(e.PasteMode, 3) << "a paste mode the list does not offer stays";
    EXPECT_EQ(e.ShortButtonNum, 8);
    v.fontSize = u"0";
    ApplyOptionValues(v, TPinLock::kHidden, e);
    EXPECT_EQ(e.FontSize, 11);
    v.fontSize = u"400";
    ApplyOptionValues(v, TPinLock::kHidden, e);
    EXPECT_EQ(e.FontSize, 72) << "the range the loader keeps";
}

TEST(OptionValues, PinModeIsCopiedOnlyWithoutAPinPanelAndOnlyWithAUsablePin) {
    KEngine e;
    e.PINNo = u"4321";
    KOptionValues v = Changed();
    ApplyOptionValues(v, TPinLock::kSetting, e);
    EXPECT_EQ(e.PINMode, 0) << "the PIN panel is open";
    ApplyOptionValues(v, TPinLock::kHidden, e);
    EXPECT_EQ(e.PINMode, 1);
    v.dispPin = false;
    ApplyOptionValues(v, TPinLock::kHidden, e);
    EXPECT_EQ(e.PINMode, 0);
    e.PINNo.clear();
    v.dispPin = true;
    ApplyOptionValues(v, TPinLock::kHidden, e);
    EXPECT_EQ(e.PINMode, 0) << "no lock without a PIN";
}

TEST(OptionValues, SecondGroupPageFollowsTheNewCount) {
    KEngine e;
    KOptionValues v = Changed();
    v.groupCountItem = 0;  // 5 groups
    ApplyOptionValues(v, TPinLock::kHidden, e);
    EXPECT_EQ(e.GroupOffset, 0) << "the first page stays";
    e.GroupOffset = 2;
    ApplyOptionValues(v, TPinLock::kHidden, e);
    EXPECT_EQ(e.GroupOffset, 5);
    v.groupCountItem = 5;  // 10 groups: one page
    ApplyOptionValues(v, TPinLock::kHidden, e);
    EXPECT_EQ(e.GroupOffset, 0);
}

TEST(OptionValues, NumberBoxParsing) {
    std::int32_t n = 7;
    EXPECT_TRUE(ParseBoxNumber(u"042", n));
    EXPECT_EQ(n, 42);
    EXPECT_TRUE(ParseBoxNumber(u"-3", n));
    EXPECT_EQ(n, -3);
    for (const char16_t* bad : {u"", u" ", u"-", u"12 3", u"4.5", u"٣"}) EXPECT_FALSE(ParseBoxNumber(bad, n)) << "bad";
    EXPECT_EQ(n, -3);
}

TEST(PanelPlacement, GrowsTheWindowToTheMinimumAndNoMore) {
    // A small layout: 5 groups of narrow buttons, short list and memo.
    KPanelPlacement p = PlaceOpenPanel(46, 200, 180, 250);
    EXPECT_EQ(p.panelHeight, 345);
    EXPECT_EQ(p.formHeight, 46 + 345 + 4);
    EXPECT_EQ(p.panelWidth, 214);
    EXPECT_EQ(p.formWidth, 222);
    p = PlaceOpenPanel(46, 400, 300, 454);
    EXPECT_EQ(p.panelHeight, 400);
    EXPECT_EQ(p.formHeight, 454);
    EXPECT_EQ(p.panelWidth, 292);
    EXPECT_EQ(p.formWidth, 300);
}

}  // namespace
