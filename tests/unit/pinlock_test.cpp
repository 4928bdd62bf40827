#include "ui/pinlock.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "app/document.h"
#include "app/mainbank.h"
#include "storage/kvault.h"

namespace {

// PanelPIN as the lock sees it. SetPinBox asks the lock as a check box would if it raised its
// click for a change by the program.
class FakePinView : public KPinView {
public:
    TPinLock* lock = nullptr;
    bool shown = false, optionsShown = true, settingControls = false, box = false, caretAtEnd = false;
    std::u16string text;
    int beeps = 0;

    void ShowPinPanel() override { shown = true, optionsShown = false; }
    void HidePinPanel(bool back) override { shown = false, optionsShown = back; }
    std::u16string PinText() override { return text; }
    void SetPinText(const std::u16string& t) override { text = t; }
    void FocusPin(bool atEnd) override { caretAtEnd = atEnd; }
    void ShowSettingControls(bool s) override { settingControls = s; }
    void SetPinBox(bool checked) override { lock->CheckBoxClicked(box = checked); }
    void Beep() override { ++beeps; }
    void Repaint() override {}
    void SetWindowLocked(bool l) override { locked = l; }
    void FocusList() override { ++listFocused; }
    void SetWaiting(int ms) override { waits.push_back(ms); }
    void HandToMaster() override { ++handedToMaster; }
    bool OptionsOpen() override { return true; }
    bool locked = false;
    int listFocused = 0, handedToMaster = 0;
    std::vector<int> waits;
};

struct PinLockTest : ::testing::Test {
    KDocument doc;
    KSettings& engine = doc.Settings();
    FakePinView view;
    TPinLock lock{doc, view};
    PinLockTest() { view.lock = &lock; }
    void Type(const std::u16string& t) {
        view.text = t;
        lock.Typed();
    }
};

TEST(PinRules, OnlyAFourDigitPinIsAskedAtStart) {
    KDocument doc;
    KSettings& e = doc.Settings();
    e.PINNo = u"0429";
    EXPECT_FALSE(PinAskedAtStart(doc)) << "PINMode 0";
    e.PINMode = 1;
    EXPECT_TRUE(PinAskedAtStart(doc));
    // A PIN that can never be typed would lock the user out: no question at all.
    for (const char16_t* bad : {u"", u"123", u"12345", u"12a4", u"１２３４", u" 123"}) {
        e.PINNo = bad;
        EXPECT_FALSE(PinAskedAtStart(doc));
    }
}

TEST(PinRules, WhileThePinIsAskedOnlyHelpMinimizeAndCloseAct) {
    using namespace kmainbank;
    const KMainMenuState open = MainMenuRules(false, false), panel = MainMenuRules(true, false);
    EXPECT_TRUE(open.Generator && open.GeneratorEnabled && open.ChangeGroup && open.ChangeGroupEnabled);
    EXPECT_TRUE(panel.Generator && !panel.GeneratorEnabled && panel.ChangeGroup && !panel.ChangeGroupEnabled);
    EXPECT_TRUE(open.SearchEnabled && panel.Search && !panel.SearchEnabled);
    for (bool options : {false, true}) {
        const KMainMenuState s = MainMenuRules(options, true);
        EXPECT_FALSE(s.Generator || s.GeneratorEnabled || s.ChangeGroup || s.ChangeGroupEnabled || s.Search ||
                     s.SearchEnabled)
            << options;
    }
    for (int index : {kHelp, kMinimize, kClose}) EXPECT_TRUE(BankButtonActsWhileAsked(index)) << index;
    for (int index : {kPageSwitch, Group(1), Group(10), Options(5), Field(kTitleField), Field(kPassField), Field(kUrlField)})
        EXPECT_FALSE(BankButtonActsWhileAsked(index)) << index;
}

// Enough of a cipher to make a key; nothing is sealed here.
struct NoCipher : KCipher {
    void Random(std::uint8_t* out, std::size_t n) override { std::fill(out, out + n, std::uint8_t{7}); }
    void DeriveKey(std::string_view, const std::vector<std::uint8_t>&, std::uint32_t, std::uint8_t* key,
                   std::size_t n) override { std::fill(key, key + n, std::uint8_t{1}); }
    std::vector<std::uint8_t> Seal(const std::uint8_t*, const std::vector<std::uint8_t>&, const std::vector<std::uint8_t>&,
                                   const std::vector<std::uint8_t>&) override { return {}; }
    bool Open(const std::uint8_t*, const std::vector<std::uint8_t>&, const std::vector<std::uint8_t>&,
              const std::vector<std::uint8_t>&, std::vector<std::uint8_t>&) override { return false; }
};

TEST(PinRules, TheWindowLocksAgainOnlyWithAUsablePinAndNotTwice) {
    // PINMode, PINNo, covered already, a master password: a PIN that can be typed covers the
    // window, with a master password too; without one the master password's prompt does.
    const std::tuple<int, const char16_t*, bool, bool, KLockCover> cases[] = {
        {1, u"0429", false, false, KLockCover::Pin}, {1, u"0429", true, false, KLockCover::None},
        {0, u"0429", false, false, KLockCover::None}, {1, u"", false, false, KLockCover::None},
        {1, u"12a4", false, false, KLockCover::None}, {1, u"0429", false, true, KLockCover::Pin},
        {0, u"0429", false, true, KLockCover::Master}, {1, u"0429", true, true, KLockCover::None}};
    for (const auto& [mode, pin, covered, master, expected] : cases) {
        NoCipher cipher;
        KDocument doc(&cipher);
        doc.Settings().PINMode = mode;
        doc.Settings().PINNo = pin;
        if (master) doc.SetMasterPassword(u"master-pass");
        EXPECT_EQ(LockCoverFor(doc, covered), expected) << mode << " " << covered << " " << master;
    }
}

TEST_F(PinLockTest, AskPassesOnlyOnTheRightFourthDigitAndBeepsOnAWrongPin) {
    engine.PINNo = u"2468";
    lock.Ask();
    EXPECT_EQ(lock.Mode, TPinLock::kAsking);
    EXPECT_TRUE(view.shown && !view.settingControls);
    EXPECT_TRUE(lock.Locked() && view.locked) << "the list and the fields are out of reach";
    Type(u"246");
    EXPECT_EQ(view.text, u"246") << "fewer than four digits do nothing";
    Type(u"2469");
    EXPECT_EQ(view.text, u"") << "a wrong PIN empties the box";
    EXPECT_EQ(view.beeps, 1);
    EXPECT_TRUE(view.shown && view.locked);
    EXPECT_EQ(view.listFocused, 0);
    Type(u"2468");
    EXPECT_EQ(lock.Mode, TPinLock::kHidden);
    EXPECT_FALSE(view.shown || view.optionsShown) << "the options panel was not open";
    EXPECT_FALSE(lock.Locked() || view.locked);
    EXPECT_EQ(view.listFocused, 1) << "the right PIN puts the focus on the list";
    Type(u"0000");
    EXPECT_EQ(view.beeps, 1) << "typing acts only while asking";
}

TEST_F(PinLockTest, SettingRegistersOnlyFourDigits) {
    engine.PINNo = u"1357";
    lock.SetBoxQuietly(true);
    EXPECT_EQ(lock.Mode, TPinLock::kHidden) << "a tick by the program starts nothing";
    lock.CheckBoxClicked(true);
    EXPECT_EQ(lock.Mode, TPinLock::kSetting);
    EXPECT_FALSE(lock.Locked() || view.locked) << "setting from the options panel locks nothing";
    EXPECT_EQ(view.text, u"1357") << "the current PIN is shown";
    EXPECT_TRUE(view.caretAtEnd && view.settingControls && !view.optionsShown);
    Type(u"9999");
    EXPECT_EQ(lock.Mode, TPinLock::kSetting) << "typing does not act while setting";
    for (const char16_t* bad : {u"12", u"12a4"}) {
        view.text = bad;
        lock.Register();
    }
    EXPECT_EQ(lock.Mode, TPinLock::kSetting);
    EXPECT_EQ(engine.PINNo, u"1357");
    EXPECT_EQ(view.beeps, 2);
    view.text = u"0429";
    lock.Register();
    EXPECT_EQ(lock.Mode, TPinLock::kHidden);
    EXPECT_EQ(engine.PINNo, u"0429");
    EXPECT_TRUE(view.optionsShown && !view.shown);
}

TEST_F(PinLockTest, CancelKeepsThePinRemoveEmptiesIt_BothUntickTheBoxQuietly) {
    engine.PINNo = u"1111";
    lock.CheckBoxClicked(true);
    view.text = u"2222";
    lock.Cancel();
    EXPECT_EQ(lock.Mode, TPinLock::kHidden);
    EXPECT_EQ(engine.PINNo, u"1111");
    EXPECT_TRUE(!view.box && view.optionsShown && lock.Loading == 0);
    lock.CheckBoxClicked(true);
    lock.Remove();
    EXPECT_EQ(lock.Mode, TPinLock::kHidden);
    EXPECT_EQ(engine.PINNo, u"");
    EXPECT_FALSE(view.box);
    lock.CheckBoxClicked(false);
    EXPECT_EQ(lock.Mode, TPinLock::kHidden) << "unticking starts nothing";
    lock.Register();
    EXPECT_EQ(view.beeps, 0) << "the buttons act only while setting";
}

TEST(PinRules, MissesCostTimeAndWithAMasterPasswordTheFifthHandsTheLockOver) {
    const int waits[] = {0, 0, 1000, 2000, 4000, 8000, 16000, 30000, 30000};  // after each miss in a row
    for (bool master : {false, true}) {
        NoCipher cipher;
        KDocument doc(&cipher);
        doc.Settings().PINNo = u"2468";
        if (master) doc.SetMasterPassword(u"master-pass");
        FakePinView view;
        TPinLock lock(doc, view);
        const auto type = [&](const std::u16string& t) { view.text = t, lock.Typed(); };
        lock.Ask();
        for (int miss = 1; miss <= 9 && !view.handedToMaster; ++miss, lock.WaitOver(), view.waits.clear()) {
            type(u"1111");
            const bool handed = master && miss == kPinMissesBeforeMaster;
            EXPECT_EQ(view.waits, std::vector<int>(waits[miss - 1] && !handed ? 1 : 0, waits[miss - 1])) << miss;
            if (lock.Waiting() || handed) type(u"2468");  // refused: the panel waits, or the PIN opens nothing now
            EXPECT_TRUE(lock.Misses() == miss && view.handedToMaster == handed && view.locked) << master << miss;
        }
        master ? lock.MasterTyped() : type(u"2468");
        EXPECT_TRUE(lock.Misses() == 0 && view.locked == master) << "the right PIN opens; the count starts again";
    }
    EXPECT_EQ(PinWaitText(1200), u"暗証番号が違います。\r\n2秒後にもう一度入力できます。") << "whole seconds, rounded up";
}

}  // namespace
