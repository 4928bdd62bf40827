#include "ui/options.h"

#include <gtest/gtest.h>

#include "app/settings.h"
#include "ui/pinlock.h"

namespace {

// The settings and the second group page, which follows a new count.
struct Target : KSettings {
    std::int32_t GroupOffset = 0;
};

KOptionValues Changed() {
    KOptionValues v;
    v.pasteModeItem = 2;
    v.groupCountItem = 3;
    v.listHeight = u"240";
    v.memoHeight = u"90";
    v.dispPin = true;
    v.formColor = 0x123456;
    v.buttonColor = 0x654321;
    v.fontName = u"Arial";
    v.fontSize = u"12";
    return v;
}

TEST(OptionValues, FilledFromTheEngineAndAppliedBack) {
    Target e;
    e.FontName = u"Tahoma";
    e.PINNo = u"1234";
    const KOptionValues shown = OptionValuesOf(e);
    EXPECT_EQ(shown.pasteModeItem, 1);
    EXPECT_EQ(shown.groupCountItem, 0);
    EXPECT_EQ(shown.listHeight, u"165");
    EXPECT_EQ(shown.fontSize, u"10");
    EXPECT_TRUE(shown.dispPass && !shown.dispPin);

    ApplyOptionValues(Changed(), TPinLock::kHidden, e, e.GroupOffset);
    EXPECT_EQ(e.PasteMode, 2);
    EXPECT_EQ(e.ShortButtonNum, 8) << "item + 5";
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
    Target e;
    KOptionValues v = Changed();
    v.listHeight = u"5";
    v.memoHeight = u"99999999999999";
    ApplyOptionValues(v, TPinLock::kHidden, e, e.GroupOffset);
    EXPECT_EQ(e.ListHeight, 22);
    EXPECT_EQ(e.MemoHeight, 500) << "a huge number saturates, it does not wrap";

    e.PasteMode = 3;
    v.listHeight = v.fontSize = v.fontName = u"";
    v.memoHeight = u"1x";
    v.pasteModeItem = v.groupCountItem = -1;
    ApplyOptionValues(v, TPinLock::kHidden, e, e.GroupOffset);
    EXPECT_EQ(e.ListHeight, 22);
    EXPECT_EQ(e.MemoHeight, 500);
    EXPECT_EQ(e.FontSize, 12);
    EXPECT_EQ(e.FontName, u"Arial");
    EXPECT_EQ(e.PasteMode, 3) << "a paste mode the list does not offer stays";
    EXPECT_EQ(e.ShortButtonNum, 8);
    v.fontSize = u"0";
    ApplyOptionValues(v, TPinLock::kHidden, e, e.GroupOffset);
    EXPECT_EQ(e.FontSize, 12);
    v.fontSize = u"400";
    ApplyOptionValues(v, TPinLock::kHidden, e, e.GroupOffset);
    EXPECT_EQ(e.FontSize, 72) << "the range the loader keeps";
}

TEST(OptionValues, PinModeIsCopiedOnlyWithoutAPinPanelAndOnlyWithAUsablePin) {
    Target e;
    e.PINNo = u"4321";
    KOptionValues v = Changed();
    ApplyOptionValues(v, TPinLock::kSetting, e, e.GroupOffset);
    EXPECT_EQ(e.PINMode, 0) << "the PIN panel is open";
    ApplyOptionValues(v, TPinLock::kHidden, e, e.GroupOffset);
    EXPECT_EQ(e.PINMode, 1);
    e.PINNo.clear();
    ApplyOptionValues(v, TPinLock::kHidden, e, e.GroupOffset);
    EXPECT_EQ(e.PINMode, 0) << "no lock without a PIN";
}

TEST(OptionValues, SecondGroupPageFollowsTheNewCount) {
    Target e;
    KOptionValues v = Changed();
    v.groupCountItem = 0;  // 5 groups
    ApplyOptionValues(v, TPinLock::kHidden, e, e.GroupOffset);
    EXPECT_EQ(e.GroupOffset, 0) << "the first page stays";
    e.GroupOffset = 2;
    ApplyOptionValues(v, TPinLock::kHidden, e, e.GroupOffset);
    EXPECT_EQ(e.GroupOffset, 5);
    v.groupCountItem = 5;  // 10 groups: one page
    ApplyOptionValues(v, TPinLock::kHidden, e, e.GroupOffset);
    EXPECT_EQ(e.GroupOffset, 0);
}

TEST(PanelPlacement, GrowsTheWindowToTheMinimumAndNoMore) {
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
