#include "app/entryops.h"
#include "app/entrysearch.h"
#include "app/urlrule.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <tuple>
#include <utility>

namespace {

// Stands in for the main window's controls. Setting the title field raises the change
// handler, as the edit box's OnChange does.
class FakeView : public KEntryView {
public:
    KEntryOps* ops = nullptr;
    std::vector<std::u16string> rows;
    int selected = -1;
    std::u16string fields[6];
    std::optional<bool> masked;
    int repaints = 0;
    std::map<int, std::pair<std::int32_t, std::int32_t>> colors;  // face, text
    std::map<int, std::u16string> captions;
    int lastIndex = 0;

    void ListSetRows(const std::vector<std::u16string>& r) override {
        ASSERT_EQ(r.size(), 100u);
        rows = r;
        selected = -1;
    }
    void ListSetRow(int row, const std::u16string& text) override {
        ASSERT_GE(row, 0);
        ASSERT_LT(row, static_cast<int>(rows.size()));
        rows[static_cast<std::size_t>(row)] = text;
    }
    int ListSelected() override { return selected; }
    void ListSelect(int row) override { selected = row; }
    std::u16string FieldText(int n) override { return fields[n]; }
    void SetFieldText(int n, const std::u16string& text) override {
        fields[n] = text;
        if (n == 1 && ops) ops->EditTitleChange();
    }
    void SetPasswordMask(bool m) override { masked = m; }
    void Repaint() override { ++repaints; }
    void SetButtonColors(int index, std::int32_t face, std::int32_t text) override {
        colors[index] = {face, text};
    }
    void SetButtonCaption(int index, const std::u16string& caption) override { captions[index] = caption; }
    int BankLastIndex() override { return lastIndex; }
    void SetBankLastIndex(int index) override { lastIndex = index; }

    // What the user does with the controls.
    void Type(int n, const std::u16string& text) { SetFieldText(n, text); }
    void ClickRow(int row) {
        selected = row;
        ops->ListBoxIDClick();
    }
    void Press(int index) {
        lastIndex = index;  // the bank records the button before its callback
        ops->OnBankButton(index);
    }
};

class FakeServices : public KEntryServices {
public:
    std::vector<std::u16string> clipboardTexts;
    int pastes = 0;
    bool clipboardBusy = false;  // the text is then not put there
    int refusals = 0;
    std::vector<std::u16string> opened;
    bool panelOpen = false;
    int panelCloses = 0;
    std::function<void()> onClosePanel;
    std::optional<KIdData> privateEntry;  // the "KEYRA" format on the clipboard

    bool SetClipboardText(const std::u16string& text) override {
        if (clipboardBusy) return false;
        clipboardTexts.push_back(text);
        privateEntry.reset();
        return true;
    }
    std::function<void()> duringPaste;
    void PasteToTarget() override {
        ++pastes;
        if (duringPaste) duringPaste();
    }
    void RefusePaste() override { ++refusals; }
    void OpenDocument(const std::u16string& text) override { opened.push_back(text); }
    std::vector<std::u16string> notices;
    void ShowNotice(const std::u16string& text) override { notices.push_back(text); }
    bool OptionsPanelOpen() override { return panelOpen; }
    void CloseOptionsPanel() override {
        ++panelCloses;
        panelOpen = false;
        if (onClosePanel) onClosePanel();
    }
    void CopyEntry(const KIdData& entry) override {
        privateEntry = entry;
        privateEntry->InUse = 0;  // only the five texts travel
    }
    bool ReadEntry(KIdData& entry) override {
        if (!privateEntry) return false;
        for (int n = 1; n <= 5; ++n) entry.Text(n) = privateEntry->Text(n);
        return true;
    }
};

KIdData Entry(std::u16string title, std::u16string id = {}, std::u16string pass = {},
              std::u16string url = {}, std::u16string memo = {}) {
    KIdData e;
    e.InUse = 1;
    e.Title = std::move(title);
    e.Id = std::move(id);
    e.Password = std::move(pass);
    e.Url = std::move(url);
    e.Memo = std::move(memo);
    return e;
}

void ExpectSame(const KIdData& actual, const KIdData& expected) {
    EXPECT_EQ(actual.InUse, expected.InUse);
    for (int n = 1; n <= 5; ++n) EXPECT_EQ(actual.Text(n), expected.Text(n)) << "text " << n;
}

class EntryOpsTest : public ::testing::Test {
protected:
    KEngine engine;
    KDocument doc;
    KSettings& settings = doc.Settings();
    KIdTable* table = &doc.Entries();
    KLifeCycle life;
    FakeView view;
    FakeServices services;
    KEntryOps ops{engine, doc, life, view, services};

    void SetUp() override {
        life.DataIn(false);
        view.ops = &ops;
        settings.ButtonColor = 0x111111;
        settings.ButtonShortTextColor = 0x222222;
        (*table)[0] = Entry(u"mail", u"alice", u"pw0", u"https://mail.example", u"line1\r\nline2");
        (*table)[1] = Entry(u"bank", u"bob", u"pw1");
        (*table)[105] = Entry(u"g2row5", u"carol", u"pw105");
        (*table)[500] = Entry(u"g6row0", u"dave", u"pw500");
    }

    void StartUp() { ops.Start(); }
    void ExpectFieldsShow(const KIdData& e) {
        for (int n = 1; n <= 5; ++n) EXPECT_EQ(view.fields[n], e.Text(n)) << "field " << n;
    }
    bool Selected(int index) const {
        const auto it = view.colors.find(index);
        return it != view.colors.end() && it->second.first == settings.ButtonShortTextColor &&
               it->second.second == settings.ButtonColor;
    }
};

TEST(EntryIndexTest, GroupsOwnBlocksOfHundred) {
    EXPECT_EQ(EntryIndex(1, 0), 0);
    EXPECT_EQ(EntryIndex(1, 99), 99);
    EXPECT_EQ(EntryIndex(2, 0), 100);
    EXPECT_EQ(EntryIndex(2, 5), 105);
    EXPECT_EQ(EntryIndex(10, 99), 999);
}

TEST_F(EntryOpsTest, StartSelectsGroupOneAndShowsFirstEntry) {
    StartUp();
    EXPECT_EQ(view.lastIndex, 11);
    EXPECT_EQ(engine.GroupButton, 11);
    EXPECT_TRUE(Selected(11));
    EXPECT_EQ(view.rows[0], u"mail");
    EXPECT_EQ(view.rows[1], u"bank");
    EXPECT_EQ(view.rows[2], u"");
    EXPECT_EQ(view.selected, 0);
    EXPECT_EQ(engine.Current, 0);
    ExpectFieldsShow((*table)[0]);
}

TEST_F(EntryOpsTest, FreeSlotWithStaleTextsShowsEmpty) {
    (*table)[2].Title = u"left over";
    (*table)[2].InUse = 0;
    StartUp();
    EXPECT_EQ(view.rows[2], u"");
    view.ClickRow(2);
    for (int n = 1; n <= 5; ++n) EXPECT_EQ(view.fields[n], u"");
}

TEST_F(EntryOpsTest, TypingChangesOnlyTheRowUntilStored) {
    StartUp();
    view.Type(1, u"mail2");
    view.Type(3, u"newpw");
    EXPECT_EQ(view.rows[0], u"mail2");  // the list follows the title at once
    EXPECT_EQ((*table)[0].Title, u"mail");
    EXPECT_EQ((*table)[0].Password, u"pw0");

    view.ClickRow(1);
    EXPECT_EQ((*table)[0].Title, u"mail2");
    EXPECT_EQ((*table)[0].Password, u"newpw");
    EXPECT_EQ(engine.Current, 1);
    EXPECT_EQ(engine.GroupItem[0], 1);
    ExpectFieldsShow((*table)[1]);
    EXPECT_EQ(view.rows[0], u"mail2");
    EXPECT_EQ(view.rows[1], u"bank");
}

TEST_F(EntryOpsTest, EmptiedEntryFreesItsSlot) {
    StartUp();
    view.ClickRow(1);
    for (int n = 1; n <= 5; ++n) view.Type(n, u"");
    view.ClickRow(0);
    EXPECT_EQ((*table)[1].InUse, 0);
    EXPECT_TRUE((*table)[1].AllEmpty());
    view.Press(12);
    view.Press(11);
    EXPECT_EQ(view.rows[1], u"");
}

TEST_F(EntryOpsTest, MemoOnlyEntryIsInUseWithEmptyRow) {
    StartUp();
    view.ClickRow(7);
    view.Type(5, u"just a note\r\nsecond line");
    view.ClickRow(0);
    EXPECT_EQ((*table)[7].InUse, 1);
    EXPECT_EQ((*table)[7].Memo, u"just a note\r\nsecond line");
    // A text set rather than typed (the generator's hand-over) keeps the box's length.
    view.ClickRow(7);
    view.Type(3, std::u16string(3000, u'p'));
    view.ClickRow(0);
    EXPECT_EQ((*table)[7].Password.size(), static_cast<std::size_t>(KIdData::kFieldMax));
    view.Press(12);
    view.Press(11);
    EXPECT_EQ(view.rows[7], u"");
    EXPECT_EQ(ListMenuRules(engine, *table, 7, false).Delete, true);
}

TEST_F(EntryOpsTest, GroupSwitchStoresAndRemembersEachGroupsRow) {
    StartUp();
    view.ClickRow(1);
    view.Type(2, u"bob2");
    view.Press(12);
    EXPECT_EQ((*table)[1].Id, u"bob2");
    EXPECT_EQ(engine.Group, 2);
    EXPECT_EQ(engine.Current, 100);
    EXPECT_TRUE(Selected(12));
    EXPECT_FALSE(Selected(11));
    EXPECT_EQ(view.colors[11], std::make_pair(settings.ButtonColor, settings.ButtonShortTextColor));
    EXPECT_EQ(view.rows[5], u"g2row5");

    view.ClickRow(5);
    EXPECT_EQ(engine.Current, 105);
    view.Press(11);
    EXPECT_EQ(engine.Current, 1);
    EXPECT_EQ(view.selected, 1);
    ExpectFieldsShow((*table)[1]);
    view.Press(12);
    EXPECT_EQ(engine.Current, 105);
    EXPECT_EQ(view.selected, 5);
    EXPECT_EQ(engine.Current, (engine.Group - 1) * 100 + engine.GroupItem[engine.Group - 1]);
}

TEST_F(EntryOpsTest, DeleteAndUndoInSameGroupRestoresEverything) {
    StartUp();
    const KIdData before = (*table)[1];
    view.ClickRow(1);
    ops.PMenuListPopup(false);
    ops.PMenuListClick(kListDelete);
    EXPECT_EQ((*table)[1].InUse, 0);
    EXPECT_TRUE((*table)[1].AllEmpty());
    EXPECT_EQ(view.rows[1], u"");
    for (int n = 1; n <= 5; ++n) EXPECT_EQ(view.fields[n], u"");
    EXPECT_EQ(engine.UndoPending, 1);
    EXPECT_EQ(engine.UndoGroup, 1);
    EXPECT_EQ(engine.UndoItem, 1);
    EXPECT_EQ(engine.UndoIndex, 1);

    view.ClickRow(4);
    ASSERT_TRUE(ops.PMenuListPopup(false).Undo);
    ops.PMenuListClick(kListUndo);
    ExpectSame((*table)[1], before);
    EXPECT_EQ(view.rows[1], u"bank");
    EXPECT_EQ(view.selected, 1);
    EXPECT_EQ(engine.GroupItem[0], 1);
    EXPECT_EQ(engine.Current, 1);
    ExpectFieldsShow(before);
    EXPECT_EQ(engine.UndoPending, 0);
    EXPECT_FALSE(ops.PMenuListPopup(false).Undo);
}

TEST_F(EntryOpsTest, TwoDeletionsThenUndoRestoresOnlyTheSecond) {
    StartUp();
    view.ClickRow(0);
    ops.PMenuListClick(kListDelete);
    view.ClickRow(1);
    ops.PMenuListClick(kListDelete);
    ops.PMenuListClick(kListUndo);
    EXPECT_EQ((*table)[0].InUse, 0);
    EXPECT_EQ((*table)[1].Title, u"bank");
    EXPECT_EQ(view.rows[0], u"");
    EXPECT_EQ(view.rows[1], u"bank");
    ops.PMenuListClick(kListUndo);  // nothing left to restore
    EXPECT_EQ((*table)[0].InUse, 0);
}

TEST_F(EntryOpsTest, UndoOverwritesWhatWasTypedIntoTheEmptiedSlot) {
    StartUp();
    view.ClickRow(1);
    ops.PMenuListClick(kListDelete);
    view.Type(1, u"fresh");
    view.Type(2, u"new id");
    ops.PMenuListPopup(false);  // stores the new entry first
    EXPECT_EQ((*table)[1].Title, u"fresh");
    ops.PMenuListClick(kListUndo);
    EXPECT_EQ((*table)[1].Title, u"bank");
    EXPECT_EQ((*table)[1].Id, u"bob");
    EXPECT_EQ(view.fields[1], u"bank");
    EXPECT_EQ(view.rows[1], u"bank");
}

TEST_F(EntryOpsTest, UndoOfferedOnlyInTheGroupOfTheDeletion) {
    StartUp();
    view.Press(12);
    view.ClickRow(5);
    ops.PMenuListClick(kListDelete);
    view.Press(13);
    EXPECT_FALSE(ops.PMenuListPopup(false).Undo);
    ops.PMenuListClick(kListUndo);  // a stray click must not restore into group 2 unseen
    EXPECT_EQ((*table)[105].InUse, 0);
    EXPECT_EQ(engine.UndoPending, 1);
    view.Press(12);
    EXPECT_TRUE(ops.PMenuListPopup(false).Undo);
    ops.PMenuListClick(kListUndo);
    EXPECT_EQ((*table)[105].Title, u"g2row5");
    EXPECT_EQ(view.rows[5], u"g2row5");
    EXPECT_EQ(engine.Current, 105);
}

TEST_F(EntryOpsTest, MenuRulesFollowEntryClipboardAndUndo) {
    StartUp();
    KListMenuState s = ListMenuRules(engine, *table, 0, false);
    EXPECT_TRUE(s.Copy);
    EXPECT_TRUE(s.Delete);
    EXPECT_FALSE(s.Paste);
    EXPECT_FALSE(s.Undo);

    s = ListMenuRules(engine, *table, 2, true);
    EXPECT_FALSE(s.Copy);
    EXPECT_FALSE(s.Delete);
    EXPECT_TRUE(s.Paste);

    s = ListMenuRules(engine, *table, -1, true);
    EXPECT_FALSE(s.Copy || s.Paste || s.Delete);

    engine.UndoPending = 1;
    engine.UndoGroup = 1;
    EXPECT_TRUE(ListMenuRules(engine, *table, 2, false).Undo);
    engine.UndoGroup = 2;
    EXPECT_FALSE(ListMenuRules(engine, *table, 2, false).Undo);
}

TEST_F(EntryOpsTest, OpeningTheMenuStoresFirstSoCopyTakesTheNewTexts) {
    StartUp();
    view.ClickRow(3);
    view.Type(1, u"typed");
    view.Type(3, u"secret=\\x");
    const KListMenuState s = ops.PMenuListPopup(false);
    EXPECT_TRUE(s.Copy);  // the free slot is in use now
    ops.PMenuListClick(kListCopy);
    ASSERT_TRUE(services.privateEntry.has_value());
    EXPECT_EQ(services.privateEntry->Title, u"typed");
    EXPECT_EQ(services.privateEntry->Password, u"secret=\\x");
}

TEST_F(EntryOpsTest, PasteReplacesEntryAndRowText) {
    StartUp();
    view.ClickRow(0);
    ops.PMenuListClick(kListCopy);
    view.ClickRow(9);
    ASSERT_TRUE(ops.PMenuListPopup(services.privateEntry.has_value()).Paste);
    ops.PMenuListClick(kListPaste);
    EXPECT_EQ((*table)[9].InUse, 1);
    for (int n = 1; n <= 5; ++n) EXPECT_EQ((*table)[9].Text(n), (*table)[0].Text(n));
    EXPECT_EQ(view.rows[9], u"mail");
    ExpectFieldsShow((*table)[0]);
}

TEST_F(EntryOpsTest, PasteOfEmptyEntryGivesUsedSlotWithEmptyTexts) {
    StartUp();
    services.privateEntry = KIdData{};
    view.ClickRow(1);
    ops.PMenuListClick(kListPaste);
    EXPECT_EQ((*table)[1].InUse, 1);
    EXPECT_TRUE((*table)[1].AllEmpty());
    EXPECT_EQ(view.rows[1], u"");
    // Another program's entry longer than a box holds is cut to it.
    services.privateEntry = KIdData{0, std::u16string(5000, u't'), u"", u"", u"", std::u16string(40000, u'm')};
    ops.PMenuListClick(kListPaste);
    EXPECT_EQ((*table)[1].Title.size(), static_cast<std::size_t>(KIdData::kFieldMax));
    EXPECT_EQ((*table)[1].Memo.size(), static_cast<std::size_t>(KIdData::kMemoMax));
}

TEST_F(EntryOpsTest, ItemsTheMenuWouldNotOfferChangeNothing) {
    StartUp();
    view.ClickRow(1);
    ops.PMenuListClick(kListDelete);  // undo copy of "bank"
    view.ClickRow(2);                 // a free slot

    ops.PMenuListClick(kListDelete);  // Del on a free row must keep the undo copy
    EXPECT_EQ(engine.UndoIndex, 1);
    EXPECT_EQ(engine.UndoEntry.Title, u"bank");

    ops.PMenuListClick(kListCopy);
    EXPECT_FALSE(services.privateEntry.has_value());

    view.ClickRow(0);
    ops.PMenuListClick(kListPaste);  // Ctrl+V without an entry on the clipboard
    ExpectSame((*table)[0], Entry(u"mail", u"alice", u"pw0", u"https://mail.example", u"line1\r\nline2"));
    EXPECT_EQ(view.rows[0], u"mail");

    ops.PMenuListClick(99);
    EXPECT_EQ((*table)[0].Title, u"mail");
}

TEST_F(EntryOpsTest, TogglePageWithFiveButtons) {
    StartUp();
    view.ClickRow(1);
    view.Type(2, u"stored on toggle");
    ops.TogglePage();
    EXPECT_EQ((*table)[1].Id, u"stored on toggle");
    EXPECT_EQ(engine.GroupOffset, 5);
    for (int k = 1; k <= 5; ++k) {
        const std::string digits = std::to_string(k + 5);
        EXPECT_EQ(view.captions[10 + k], std::u16string(digits.begin(), digits.end()));
    }
    EXPECT_EQ(engine.Group, 6);
    EXPECT_EQ(engine.Current, 500);
    EXPECT_EQ(engine.GroupButton, 11);
    EXPECT_TRUE(Selected(11));
    EXPECT_EQ(view.rows[0], u"g6row0");
    EXPECT_GE(view.repaints, 1);

    view.Press(12);
    EXPECT_EQ(engine.Group, 7);
    EXPECT_FALSE(Selected(11));

    ops.TogglePage();
    EXPECT_EQ(engine.GroupOffset, 0);
    EXPECT_EQ(view.captions[11], u"1");
    EXPECT_EQ(view.captions[15], u"5");
    EXPECT_EQ(engine.Group, 1);
    EXPECT_EQ(engine.Current, 1);
    EXPECT_TRUE(Selected(11));
    EXPECT_FALSE(Selected(12));
}

TEST_F(EntryOpsTest, TogglePageWithTenButtonsOnlyReselectsGroupOne) {
    settings.ShortButtonNum = 10;
    StartUp();
    view.Press(14);
    ASSERT_EQ(engine.Group, 4);
    view.Press(0);  // the bare window's click
    EXPECT_EQ(engine.GroupOffset, 0);
    EXPECT_EQ(view.captions[11], u"1");
    EXPECT_EQ(view.captions[20], u"10");
    EXPECT_EQ(engine.Group, 1);
    EXPECT_TRUE(Selected(11));
    EXPECT_FALSE(Selected(14));
}

TEST_F(EntryOpsTest, TogglePageDoesNothingWhileOptionsPanelIsOpen) {
    StartUp();
    services.panelOpen = true;
    ops.TogglePage();
    EXPECT_EQ(engine.GroupOffset, 0);
    EXPECT_EQ(engine.Group, 1);
    EXPECT_TRUE(view.captions.empty());
    EXPECT_EQ(services.panelCloses, 0);
}

TEST_F(EntryOpsTest, GroupButtonClosesOptionsPanelAndFollowsNewCount) {
    settings.ShortButtonNum = 7;
    StartUp();
    view.lastIndex = 18;  // "OP" with seven group buttons
    ASSERT_TRUE(ops.OptionsButton());
    EXPECT_TRUE(Selected(18));  // "OP" drawn selected
    services.panelOpen = true;
    EXPECT_FALSE(ops.OptionsButton());
    services.onClosePanel = [this] { settings.ShortButtonNum = 5; };

    view.Press(17);  // group 7 was offered before the panel shrank the row
    EXPECT_EQ(services.panelCloses, 1);
    EXPECT_EQ(view.lastIndex, 15);
    EXPECT_EQ(engine.Group, 5);
    EXPECT_EQ(engine.Current, 400);
    EXPECT_EQ(engine.GroupButton, 15);
    EXPECT_TRUE(Selected(15));
    EXPECT_FALSE(Selected(18));
}

TEST_F(EntryOpsTest, OptionsButtonStoresTheEntry) {
    StartUp();
    view.Type(4, u"https://changed.example");
    ASSERT_TRUE(ops.OptionsButton());
    EXPECT_EQ((*table)[0].Url, u"https://changed.example");
}

TEST_F(EntryOpsTest, OutOfRangeButtonCountStaysInsideTheTable) {
    settings.ShortButtonNum = 14;
    StartUp();
    EXPECT_FALSE(ops.OnBankButton(21));  // no group 11
    EXPECT_EQ(engine.Group, 1);
    ops.TogglePage();
    EXPECT_EQ(engine.GroupOffset, 0);
    EXPECT_EQ(engine.Group, 1);
    settings.ShortButtonNum = 2;
    ops.TogglePage();
    EXPECT_EQ(engine.GroupOffset, 5);
    view.Press(15);
    EXPECT_EQ(engine.Group, 10);
}

TEST_F(EntryOpsTest, FieldButtonsByPasteMode) {
    StartUp();
    for (int mode : {0, 1, 2}) {
        services.clipboardTexts.clear();
        services.pastes = 0;
        services.opened.clear();
        settings.PasteMode = mode;
        view.Press(31);
        view.Press(32);
        view.Press(33);
        EXPECT_EQ(services.clipboardTexts, (std::vector<std::u16string>{u"mail", u"alice", u"pw0"}))
            << "mode " << mode;
        EXPECT_EQ(services.pastes, mode == 0 ? 0 : 3) << "mode " << mode;
        EXPECT_EQ(engine.PendingText, u"") << "the password is wiped once sent";

        view.Press(34);
        EXPECT_EQ(services.clipboardTexts.back(), u"https://mail.example");
        EXPECT_EQ(services.pastes, mode == 0 ? 0 : 3) << "a URL is never typed, mode " << mode;
        EXPECT_EQ(services.opened.size(), mode == 1 ? 1u : 0u) << "mode " << mode;
    }
}

TEST_F(EntryOpsTest, ATextNotOnTheClipboardIsNeverPastedAndBeeps) {
    StartUp();
    services.clipboardBusy = true;
    settings.PasteMode = 1;
    view.Press(33);
    // A Ctrl+V now would type whatever the clipboard held before.
    EXPECT_EQ(services.pastes, 0);
    EXPECT_EQ(services.refusals, 1);
    EXPECT_EQ(engine.PendingText, u"");
}

TEST_F(EntryOpsTest, APressDuringAPasteNeitherReplacesItsTextNorPastesAgain) {
    StartUp();
    settings.PasteMode = 1;
    services.duringPaste = [&] {
        services.duringPaste = nullptr;
        view.Press(31);  // the messages pumped while the paste waits
    };
    view.Press(33);
    EXPECT_EQ(services.clipboardTexts, (std::vector<std::u16string>{u"pw0"}));
    EXPECT_EQ(services.pastes, 1);
    EXPECT_EQ(services.refusals, 1);
}

TEST_F(EntryOpsTest, EmptyFieldsSendAndOpenNothing) {
    StartUp();
    view.ClickRow(1);  // no URL
    view.Type(3, u"");
    view.Press(33);
    EXPECT_TRUE(services.clipboardTexts.empty());
    EXPECT_EQ(services.pastes, 0);
    EXPECT_EQ(engine.PendingText, u"");
    EXPECT_EQ(ops.SendPending(), 0);
    EXPECT_EQ(services.pastes, 0);

    view.Press(34);
    EXPECT_TRUE(services.opened.empty());
    EXPECT_EQ(services.clipboardTexts, (std::vector<std::u16string>{u""}));
}

TEST_F(EntryOpsTest, FieldMenuCopiesByLastIndex) {
    StartUp();
    settings.PasteMode = 1;
    ops.PMenuButtonClick(33);
    ops.PMenuButtonClick(34);
    ops.PMenuButtonClick(12);
    ops.PMenuButtonClick(35);
    EXPECT_EQ(services.clipboardTexts, (std::vector<std::u16string>{u"pw0", u"https://mail.example"}));
    EXPECT_EQ(services.pastes, 0);
    EXPECT_TRUE(services.opened.empty());
}

TEST_F(EntryOpsTest, BankNumbersLeftToTheWindow) {
    StartUp();
    for (int index : {1, 2, 3, 16, 30, 35, 40}) EXPECT_FALSE(ops.OnBankButton(index)) << index;
    EXPECT_EQ(engine.Group, 1);
    EXPECT_TRUE(services.clipboardTexts.empty());
}

TEST_F(EntryOpsTest, MaskPasswordFollowsDispPassMode) {
    settings.DispPassMode = 0;
    ops.MaskPassword();
    EXPECT_EQ(view.masked, std::optional<bool>(true));
    settings.DispPassMode = 7;
    ops.MaskPassword();
    EXPECT_EQ(view.masked, std::optional<bool>(true));
    settings.DispPassMode = 1;
    ops.MaskPassword();
    EXPECT_EQ(view.masked, std::optional<bool>(false));
    EXPECT_EQ(view.repaints, 3);
}

TEST_F(EntryOpsTest, LockedTheWindowHoldsNothingOfTheEntriesAndTheUnlockShowsThemAgain) {
    StartUp();
    view.ClickRow(1);
    const std::vector<std::u16string> rows = view.rows;
    ops.Conceal();
    EXPECT_EQ(view.fields[2], u"bob") << "an open window is not emptied: the next store would empty the entry";
    ASSERT_TRUE(life.Lock());
    ops.Conceal();
    EXPECT_EQ(view.fields[1] + view.fields[2] + view.fields[3] + view.fields[4] + view.fields[5], u"");
    EXPECT_EQ(view.rows, std::vector<std::u16string>(100)) << "a hundred empty rows";
    ops.StoreCurrent(), ops.MemoIDClick();  // as another program could make them happen
    EXPECT_EQ(engine.MemoTarget, 0);
    ExpectSame((*table)[1], Entry(u"bank", u"bob", u"pw1"));
    life.Unlock();
    ops.Reveal();
    EXPECT_EQ(view.rows, rows);
    ExpectFieldsShow((*table)[1]);
}

TEST_F(EntryOpsTest, TheUrlButtonOpensWebPagesOnlyAndAlwaysCopies) {
    StartUp();
    settings.PasteMode = 1;
    // A field and what the shell gets; nothing for what is no web page, which gets the message.
    const std::pair<std::u16string, std::u16string> rows[] = {{u" HTTP://X.jp/a?b#c ", u"HTTP://X.jp/a?b#c"},
        {u"bank.example.jp", u"https://bank.example.jp"}, {u"https://x.jp/a b\"c", u"https://x.jp/a%20b%22c"},
        {u"www.example.com/login", u"https://www.example.com/login"}, {u"例え.jp:8443", u"https://例え.jp:8443"},
        {u"C:\\windows\\system32\\notepad.exe", u""}, {u"\\\\host\\s\\x.exe", u""}, {u"..\\x.exe", u""},
        {u"file:///C:/x", u""}, {u"mailto:a@x.jp", u""}, {u"ms-settings:", u""}, {u"calc", u""}, {u"a@x.jp", u""},
        {u"x.jp\\y", u""}, {u"a..x.jp", u""}, {u"https:\\\\x.jp", u""}, {u"https://x.jp/\nx", u""}};
    for (const auto& [field, target] : rows) {
        services = FakeServices();
        view.Type(4, field);
        view.Press(kmainbank::Field(kmainbank::kUrlField));
        EXPECT_EQ(services.clipboardTexts, std::vector{field}) << "always copied";
        EXPECT_EQ(services.opened.size() + services.notices.size(), 1u);
        const std::vector<std::u16string> want{target.empty() ? NotOpenedText(true) : target};
        EXPECT_EQ(target.empty() ? services.notices : services.opened, want) << std::string(field.begin(), field.end());
    }
}

}  // namespace

TEST_F(EntryOpsTest, SearchMatchesAllButThePasswordRegardlessOfCaseFromTheCurrentEntryRound) {
    (*table)[650] = Entry(u"Ｓｈｏｐ", u"", u"secret-word", u"", u"Ünïcode MEMO text");
    (*table)[900] = Entry(u"", u"", u"", u"", u"more memo");
    (*table)[3].Memo = u"memo of a free slot";  // not in use
    (*table)[1000] = Entry(u"memo beyond the groups");
    // Text, from, the entry `from` itself first, the match expected.
    const std::tuple<const char16_t*, int, bool, int> cases[] = {
        {u"MAIL", 0, false, 0},           // the only match again after a round
        {u"ALICE", 500, true, 0},         // ID, round past the end
        {u"example", 1, true, 0},         // URL
        {u"memo", 0, true, 650},          // letters beyond ASCII around it
        {u"MEMO", 650, false, 900},       // next after the current
        {u"memo", 900, false, 650},       // wraps, skipping the free slot and index 1000
        {u"üNÏ", 0, true, 650},
        {u"ｓＨＯＰ", 0, true, 650},       // full-width letters
        {u"secret", 0, true, -1},         // the password is never searched
        {u"", 0, true, -1},
    };
    for (const auto& [text, from, includeFrom, expected] : cases)
        EXPECT_EQ(FindEntry(*table, text, from, includeFrom), expected) << from << " " << includeFrom;
}

TEST_F(EntryOpsTest, AFoundEntryIsShownAsARowClickInItsGroupAndPage) {
    StartUp();
    view.Type(1, u"mail typed");
    ops.ShowFound(500);  // group 6: the other page of five buttons
    EXPECT_EQ((*table)[0].Title, u"mail typed") << "the entry being left is stored first";
    EXPECT_EQ((std::vector{engine.Group, engine.GroupOffset, engine.Current, view.selected}), (std::vector{6, 5, 500, 0}));
    EXPECT_TRUE(view.captions[kmainbank::Group(1)] == u"6" && Selected(kmainbank::Group(1)));
    ExpectFieldsShow((*table)[500]);
    ops.ShowFound(501);  // the same group: only the row moves
    EXPECT_EQ((std::vector{engine.ItemOfGroup(6), engine.Current, view.selected}), (std::vector{1, 501, 1}));
    EXPECT_EQ((std::vector{OffsetShowing(8, 0, 7), OffsetShowing(4, 3, 7), OffsetShowing(2, 3, 7)}),
              (std::vector{3, 3, 0}));
}
