// The group and entry operations behind the main window: which group and entry are shown,
// taking the edit fields back into the table, delete with one level of undo, and handing a
// field's text to the clipboard and the paste engine. Portable: the window reaches it through
// KEntryView (its controls) and KEntryServices (what runs outside these operations).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "app/document.h"
#include "app/kengine.h"
#include "app/lifecycle.h"
#include "app/mainbank.h"
#include "storage/kiddata.h"

// The main window's controls as the operations see them.
class KEntryView {
public:
    virtual ~KEntryView() = default;

    // ListBoxID: always 100 rows for the current group. ListSelected is -1 without a selection.
    virtual void ListSetRows(const std::vector<std::u16string>& rows) = 0;
    virtual void ListSetRow(int row, const std::u16string& text) = 0;
    virtual int ListSelected() = 0;
    virtual void ListSelect(int row) = 0;

    // Fields 1..4 are EditTitle, EditID, EditPass, EditURL; 5 is MemoID (its whole text).
    // Setting field 1 raises the window's EditTitleChange like typing does.
    virtual std::u16string FieldText(int n) = 0;
    virtual void SetFieldText(int n, const std::u16string& text) = 0;
    virtual void SetPasswordMask(bool masked) = 0;
    virtual void Repaint() = 0;

    // Buttons of the bank by Index (app/mainbank.h).
    virtual void SetButtonColors(int index, std::int32_t face, std::int32_t text) = 0;
    virtual void SetButtonCaption(int index, const std::u16string& caption) = 0;
    virtual int BankLastIndex() = 0;
    virtual void SetBankLastIndex(int index) = 0;
};

// What the operations start outside themselves.
class KEntryServices {
public:
    virtual ~KEntryServices() = default;
    // False when the text could not be put on the clipboard.
    virtual bool SetClipboardText(const std::u16string& text) = 0;
    virtual void PasteToTarget() = 0;
    // Tells the user that a field's text was neither put on the clipboard nor typed.
    virtual void RefusePaste() = 0;
    // Opens a web address (app/urlrule.h decides what is one).
    virtual void OpenDocument(const std::u16string& text) = 0;
    // A short message to the user.
    virtual void ShowNotice(const std::u16string& text) = 0;
    virtual bool OptionsPanelOpen() = 0;
    // Closes the options panel with its settings applied; may change ShortButtonNum,
    // GroupOffset and the layout.
    virtual void CloseOptionsPanel() = 0;
    // The entry in the private "KEYRA" clipboard format.
    virtual void CopyEntry(const KIdData& entry) = 0;
    // False, with `entry` untouched, when the clipboard holds no entry in that format.
    virtual bool ReadEntry(KIdData& entry) = 0;
};

// Which items of the list's popup menu are offered.
struct KListMenuState {
    bool Copy = false;
    bool Paste = false;
    bool Delete = false;
    bool Undo = false;
};

// Tags of the list menu items.
enum KListMenuTag { kListCopy = 1, kListPaste = 2, kListDelete = 3, kListUndo = 4 };

// Absolute table index of list row `row` of group `group` (1..10).
constexpr int EntryIndex(int group, int row) { return (group - 1) * KIdTable::kPerGroup + row; }

// Enabling rules of the list menu for the given selected row; pure.
KListMenuState ListMenuRules(const KEngine& engine, const KIdTable& table, int selectedRow,
                             bool clipboardHasEntry);

// Number of group buttons, kept to 5..10 whatever the settings hold.
int GroupButtonCount(const KSettings& settings);

class KEntryOps {
public:
    // Every way in asks `life` first: nothing is shown, stored or sent while the data is not in
    // or hidden behind the lock.
    KEntryOps(KEngine& engine, KDocument& doc, const KLifeCycle& life, KEntryView& view, KEntryServices& services)
        : engine_(engine), doc_(doc), table_(doc.Entries()), settings_(doc.Settings()), life_(life), view_(view),
          services_(services) {}

    // After LoadAll: group button 1 selected, list filled.
    void Start();
    // At a lock: no title, ID, password, URL or memo stays in the window (the list keeps its
    // hundred rows, all empty). Only while the entries are out of reach: emptied fields of an
    // open window would empty the entry at the next store.
    void Conceal();
    // After the unlock: the current group and entry are shown again.
    void Reveal();

    void FillList();
    void ShowEntry(int index);
    void StoreEntry(int index);
    void StoreCurrent() { StoreEntry(engine_.Current); }
    void MarkGroupButton();
    void TogglePage();
    void DeleteEntry(int index);
    void UndoDelete();
    void MaskPassword();
    int SendPending();
    void OpenDocument(const std::u16string& text);
    // Replaces entry `index` by the one on the clipboard; nothing changes without one.
    void PasteEntry(int index);
    // Shows entry `index` (0..999) as a click on its row would, first switching to its group
    // and, when the group row does not show that group, to the other page.
    void ShowFound(int index);

    int GroupButtonCount() const { return ::GroupButtonCount(settings_); }

    // Bank callback for the buttons handled here: 0 (page switch), the group buttons and the
    // field buttons. Returns false for any other number, which the window handles.
    bool OnBankButton(int index);
    void GroupButton(int index);
    void FieldButton(int index);
    // "OP": false while the panel is already open; otherwise stores the entry, marks "OP"
    // as selected and returns true so the window opens the panel.
    bool OptionsButton();

    void ListBoxIDClick();
    void EditTitleChange();
    void MemoIDClick() {
        if (Reachable()) engine_.MemoTarget = 1;
    }
    // Field buttons' "コピー(&C)" with the bank's LastIndex.
    void PMenuButtonClick(int lastIndex);

    // Opening the list menu: stores the entry, then says which items to offer.
    KListMenuState PMenuListPopup(bool clipboardHasEntry);
    // A list menu item by Tag. Items that the menu would not offer do nothing, also when
    // reached by their shortcut without the menu being opened.
    void PMenuListClick(int tag);

private:
    int SelectedRow();  // -1 when the list has no valid selection
    int GroupBase() const { return EntryIndex(engine_.Group, 0); }
    bool Reachable() const { return life_.Allows(KUse::Entries); }

    KEngine& engine_;
    KDocument& doc_;
    KIdTable& table_;
    const KSettings& settings_;
    const KLifeCycle& life_;
    KEntryView& view_;
    KEntryServices& services_;
    bool sending_ = false;  // a paste runs, pumping messages that may press another button
};
