#include "app/entryops.h"

#include <algorithm>

#include "app/entrysearch.h"
#include "app/urlrule.h"
#include "core/kstr.h"

using namespace kmainbank;

namespace {

constexpr int kEntryTexts = 5;
constexpr int kRows = KIdTable::kPerGroup;

bool ValidRow(int row) { return row >= 0 && row < kRows; }

// Overwrites a text that may be a password before letting it go; volatile, so the writes
// stay although the text is not read again.
void WipeText(std::u16string& text) {
    volatile char16_t* p = text.empty() ? nullptr : &text[0];
    for (std::size_t i = 0; i < text.size(); ++i) p[i] = 0;
    text.clear();
}

}  // namespace

KListMenuState ListMenuRules(const KEngine& engine, const KIdTable& table, int selectedRow,
                             bool clipboardHasEntry) {
    KListMenuState state;
    const bool rowValid = ValidRow(selectedRow) && engine.Group >= 1 && engine.Group <= KIdTable::kGroups;
    if (rowValid && table[EntryIndex(engine.Group, selectedRow)].InUse != 0) {
        state.Copy = true;
        state.Delete = true;
    }
    state.Paste = rowValid && clipboardHasEntry;
    state.Undo = engine.UndoPending == 1 && engine.UndoGroup == engine.Group;
    return state;
}

int GroupButtonCount(const KSettings& settings) {
    // A data file edited by hand may hold any count; group numbers above 10 would reach
    // past the table.
    return std::clamp<int>(settings.ShortButtonNum, 5, KIdTable::kGroups);
}

int KEntryOps::SelectedRow() {
    const int row = view_.ListSelected();
    return ValidRow(row) ? row : -1;
}

void KEntryOps::Start() {
    view_.SetBankLastIndex(Group(1));
    MarkGroupButton();
    FillList();
}

void KEntryOps::Conceal() {
    if (Reachable()) return;
    view_.ListSetRows(std::vector<std::u16string>(kRows));
    static const std::u16string empty;
    for (int n = 1; n <= kEntryTexts; ++n) view_.SetFieldText(n, empty);
}

void KEntryOps::Reveal() {
    if (Reachable()) FillList();
}

void KEntryOps::FillList() {
    const int base = GroupBase();
    std::vector<std::u16string> rows;
    rows.reserve(kRows);
    for (int i = 0; i < kRows; ++i) {
        const KIdData& e = table_[base + i];
        rows.push_back(e.InUse != 0 ? e.Title : std::u16string());
    }
    view_.ListSetRows(rows);
    const int item = engine_.ItemOfGroup(engine_.Group);
    view_.ListSelect(item);
    engine_.Current = base + item;
    ShowEntry(engine_.Current);
}

void KEntryOps::ShowEntry(int index) {
    const KIdData& e = table_[index];
    static const std::u16string empty;
    for (int n = 1; n <= kEntryTexts; ++n) view_.SetFieldText(n, e.InUse != 0 ? e.Text(n) : empty);
}

void KEntryOps::StoreEntry(int index) {
    // Locked, the fields are empty: storing them would empty the entry.
    if (!Reachable()) return;
    KIdData& e = table_[index];
    // Every path keeps the lengths a box can hold (the generator's hand-over sets a text).
    KIdData typed;
    for (int n = 1; n <= kEntryTexts; ++n) typed.Text(n) = view_.FieldText(n);
    typed.Cap();
    bool changed = false;
    for (int n = 1; n <= kEntryTexts; ++n) {
        if (typed.Text(n) == e.Text(n)) continue;
        WipeText(e.Text(n));
        e.Text(n) = std::move(typed.Text(n));
        changed = true;
    }
    const std::int32_t inUse = e.AllEmpty() ? 0 : 1;
    changed = changed || inUse != e.InUse;
    e.InUse = inUse;
    if (changed) doc_.Changed(KChange::Entries);
}

void KEntryOps::MarkGroupButton() {
    const int last = view_.BankLastIndex();
    view_.SetButtonColors(engine_.GroupButton, settings_.ButtonColor, settings_.ButtonShortTextColor);
    view_.SetButtonColors(last, settings_.ButtonShortTextColor, settings_.ButtonColor);
    engine_.GroupButton = last;
}

void KEntryOps::TogglePage() {
    if (!Reachable()) return;
    if (services_.OptionsPanelOpen()) return;
    const int count = GroupButtonCount();
    engine_.GroupOffset = engine_.GroupOffset != 0 ? 0 : KIdTable::kGroups - count;
    for (int k = 1; k <= count; ++k) {
        view_.SetButtonCaption(Group(k), kstr::Decimal(k + engine_.GroupOffset));
    }
    view_.SetBankLastIndex(Group(1));
    MarkGroupButton();
    GroupButton(Group(1));
    view_.Repaint();
}

void KEntryOps::DeleteEntry(int index) {
    const int row = SelectedRow();
    engine_.UndoPending = 1;
    engine_.UndoGroup = engine_.Group;
    engine_.UndoItem = row >= 0 ? row : index % KIdTable::kPerGroup;
    engine_.UndoIndex = index;

    KIdData& e = table_[index];
    engine_.UndoEntry.InUse = e.InUse;
    for (int n = 1; n <= kEntryTexts; ++n) engine_.UndoEntry.Text(n) = e.Text(n);
    e.InUse = 0;
    e.ClearTexts();
    doc_.Changed(KChange::Entries);

    ShowEntry(index);
    if (row >= 0) view_.ListSetRow(row, view_.FieldText(1));
}

void KEntryOps::UndoDelete() {
    if (engine_.UndoPending == 0) return;
    KIdData& e = table_[engine_.UndoIndex];
    e.InUse = 1;
    for (int n = 1; n <= kEntryTexts; ++n) e.Text(n) = engine_.UndoEntry.Text(n);
    doc_.Changed(KChange::Entries);
    if (engine_.Group == engine_.UndoGroup && ValidRow(engine_.UndoItem)) {
        view_.ListSelect(engine_.UndoItem);
        engine_.ItemOfGroup(engine_.Group) = engine_.UndoItem;
        engine_.Current = engine_.UndoIndex;
        ShowEntry(engine_.UndoIndex);
        view_.ListSetRow(engine_.UndoItem, engine_.UndoEntry.Title);
    }
    engine_.UndoPending = 0;
}

void KEntryOps::MaskPassword() {
    if (settings_.DispPassMode == 0) {
        view_.SetPasswordMask(true);
    } else if (settings_.DispPassMode == 1) {
        view_.SetPasswordMask(false);
    }
    view_.Repaint();
}

int KEntryOps::SendPending() {
    if (engine_.PendingText.empty()) return 0;
    if (sending_) {
        // A second press while a paste waits: its text would replace the one being pasted.
        services_.RefusePaste();
        WipeText(engine_.PendingText);
        return 0;
    }
    struct Sending {
        bool& flag;
        explicit Sending(bool& f) : flag(f) { flag = true; }
        ~Sending() { flag = false; }
    } sending(sending_);
    // When the text is not on the clipboard, the clipboard may still hold an older one,
    // another entry's password say: a Ctrl+V would type that.
    if (services_.SetClipboardText(engine_.PendingText)) {
        if (settings_.PasteMode != 0) services_.PasteToTarget();
    } else {
        services_.RefusePaste();
    }
    WipeText(engine_.PendingText);
    return 0;
}

void KEntryOps::OpenDocument(const std::u16string& text) {
    // The shell opens the current folder for an empty name; an empty field opens nothing.
    if (text.empty()) return;
    const KWebAddress web = WebAddress(text);
    if (web.open) services_.OpenDocument(web.address);
}

void KEntryOps::PasteEntry(int index) {
    KIdData incoming;
    if (!services_.ReadEntry(incoming)) return;
    // Another program's entry may be longer than a box holds.
    incoming.Cap();
    KIdData& e = table_[index];
    e.InUse = 1;
    for (int n = 1; n <= kEntryTexts; ++n) e.Text(n) = incoming.Text(n);
    doc_.Changed(KChange::Entries);
    ShowEntry(index);
    const int row = SelectedRow();
    if (row >= 0) view_.ListSetRow(row, view_.FieldText(1));
}

void KEntryOps::ShowFound(int index) {
    if (!Reachable()) return;
    if (index < 0 || index >= KIdTable::kGroups * KIdTable::kPerGroup) return;
    const int group = index / KIdTable::kPerGroup + 1, row = index % KIdTable::kPerGroup;
    StoreEntry(engine_.Current);
    if (group == engine_.Group) {
        view_.ListSelect(row);
        ShowEntry(index);
        engine_.ItemOfGroup(group) = row;
        engine_.Current = index;
        return;
    }
    const int count = GroupButtonCount();
    const int offset = OffsetShowing(group, engine_.GroupOffset, count);
    if (offset != engine_.GroupOffset) {
        engine_.GroupOffset = offset;
        for (int k = 1; k <= count; ++k) view_.SetButtonCaption(Group(k), kstr::Decimal(k + offset));
    }
    engine_.Group = group;
    engine_.ItemOfGroup(group) = row;
    view_.SetBankLastIndex(Group(group - offset));
    MarkGroupButton();
    FillList();
    view_.Repaint();
}

bool KEntryOps::OnBankButton(int index) {
    if (index == kPageSwitch) {
        TogglePage();
        return true;
    }
    if (GroupOfIndex(index, GroupButtonCount()) != 0) {
        GroupButton(index);
        return true;
    }
    if (FieldOfIndex(index) != 0) {
        FieldButton(index);
        return true;
    }
    return false;
}

void KEntryOps::GroupButton(int index) {
    if (!Reachable()) return;
    if (GroupOfIndex(index, GroupButtonCount()) == 0) return;
    if (services_.OptionsPanelOpen()) services_.CloseOptionsPanel();
    // The panel may have left fewer buttons: the pressed one then counts as the last.
    const int last = Group(GroupButtonCount());
    if (index > last) index = last;
    view_.SetBankLastIndex(index);
    // The panel may also have changed the page offset; keep the group in 1..10.
    engine_.GroupOffset = std::clamp<int>(engine_.GroupOffset, 0, KIdTable::kGroups - GroupButtonCount());

    StoreEntry(engine_.Current);
    engine_.Group = engine_.GroupOffset + GroupOfIndex(index, GroupButtonCount());
    engine_.Current = EntryIndex(engine_.Group, engine_.ItemOfGroup(engine_.Group));
    MarkGroupButton();
    FillList();
}

void KEntryOps::FieldButton(int index) {
    if (!Reachable()) return;
    const int field = FieldOfIndex(index);
    if (field == 0) return;
    engine_.PendingText = view_.FieldText(field);
    if (field == kUrlField) {
        // An address goes to the clipboard and, in the normal mode, to the shell; never typed.
        // The shell runs whatever it is given: only a web page goes there.
        const bool copied = services_.SetClipboardText(engine_.PendingText);
        if (settings_.PasteMode == 1 && !engine_.PendingText.empty()) {
            const KWebAddress web = WebAddress(engine_.PendingText);
            if (web.open)
                services_.OpenDocument(web.address);
            else
                services_.ShowNotice(NotOpenedText(copied));
        }
        WipeText(engine_.PendingText);
        return;
    }
    SendPending();
}

bool KEntryOps::OptionsButton() {
    if (!Reachable()) return false;
    if (services_.OptionsPanelOpen()) return false;
    StoreEntry(engine_.Current);
    MarkGroupButton();
    return true;
}

void KEntryOps::ListBoxIDClick() {
    if (!Reachable()) return;
    const int row = SelectedRow();
    if (row < 0) return;
    StoreEntry(engine_.Current);
    const int index = GroupBase() + row;
    ShowEntry(index);
    engine_.ItemOfGroup(engine_.Group) = row;
    engine_.Current = index;
}

void KEntryOps::EditTitleChange() {
    if (!Reachable()) return;
    const int row = SelectedRow();
    if (row >= 0) view_.ListSetRow(row, view_.FieldText(1));
}

void KEntryOps::PMenuButtonClick(int lastIndex) {
    if (!Reachable()) return;
    const int field = FieldOfIndex(lastIndex);
    if (field != 0) services_.SetClipboardText(view_.FieldText(field));
}

KListMenuState KEntryOps::PMenuListPopup(bool clipboardHasEntry) {
    if (!Reachable()) return {};
    StoreEntry(engine_.Current);
    return ListMenuRules(engine_, table_, SelectedRow(), clipboardHasEntry);
}

void KEntryOps::PMenuListClick(int tag) {
    if (!Reachable()) return;
    // Shortcuts reach here without the popup: take the edits in first, as the popup does.
    StoreEntry(engine_.Current);
    const int row = SelectedRow();
    // Paste is checked by ReadEntry itself, which refuses when the format is absent.
    const KListMenuState allowed = ListMenuRules(engine_, table_, row, true);
    switch (tag) {
    case kListCopy:
        if (allowed.Copy) services_.CopyEntry(table_[GroupBase() + row]);
        break;
    case kListPaste:
        if (allowed.Paste) PasteEntry(GroupBase() + row);
        break;
    case kListDelete:
        if (allowed.Delete) DeleteEntry(GroupBase() + row);
        break;
    case kListUndo:
        if (allowed.Undo) UndoDelete();
        break;
    default:
        break;
    }
}
