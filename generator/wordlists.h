// Combination passwords: a two-level word list of up to 100 groups with their names, the
// symbol and number lists, what the data file keeps of them, and the import's line rules.
// Portable: the four drop-down boxes and the prompts are reached through small interfaces.
#pragma once
#include <array>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class KIni;
class KIdTable;

// One editable drop-down box with a sorted list.
class KWordBox {
public:
    virtual ~KWordBox() = default;
    virtual std::u16string Text() = 0;
    virtual void SetText(const std::u16string& text) = 0;
    virtual std::vector<std::u16string> Items() = 0;
    virtual void AddItem(const std::u16string& item) = 0;
    virtual int IndexOf(const std::u16string& item) = 0;  // exact; -1: none
    virtual void DeleteItem(int index) = 0;
    virtual void ClearItems() = 0;  // the text stays
    virtual void Focus() = 0;
};

// What the lists need around them: messages, the one question, the stored entries, and who
// is told when the lists changed.
class KWordListHost {
public:
    virtual ~KWordListHost() = default;
    virtual void ShowMessage(const std::u16string& text) = 0;
    virtual void ShowWarning(const std::u16string& text) = 0;
    virtual bool AskYesNo(const std::u16string& text) = 0;
    virtual const KIdTable* Entries() = 0;  // null before the table exists
    virtual void ListsChanged() {}
};

struct KGroupSlot {
    std::u16string group;  // empty: the slot is free
    std::unique_ptr<std::vector<std::u16string>> names;
    std::unique_ptr<std::vector<std::u16string>> display;

    KGroupSlot() = default;
    // Copies are whole (a save writes a copy on another thread).
    KGroupSlot(const KGroupSlot& other) { *this = other; }
    KGroupSlot& operator=(const KGroupSlot& other) {
        if (this == &other) return *this;
        group = other.group;
        names = other.names ? std::make_unique<std::vector<std::u16string>>(*other.names) : nullptr;
        display = other.display ? std::make_unique<std::vector<std::u16string>>(*other.display) : nullptr;
        return *this;
    }
    KGroupSlot(KGroupSlot&&) = default;
    KGroupSlot& operator=(KGroupSlot&&) = default;
};

class KGroupTable {
public:
    static constexpr int kSlots = 100;
    KGroupSlot& operator[](int i) { return slots_.at(static_cast<std::size_t>(i)); }
    const KGroupSlot& operator[](int i) const { return slots_.at(static_cast<std::size_t>(i)); }
    int Find(std::u16string_view group) const;  // -1: none
    int FirstFree() const;                      // -1: full

private:
    std::array<KGroupSlot, kSlots> slots_;
};

// The entry that a used check found.
struct KMatch {
    std::u16string title;
    std::u16string password;
};
// 1 when an entry in use has a password that begins with `text` (the first such entry by index).
int IsPasswordUsed(const KIdTable* table, std::u16string_view text, KMatch& match);
// 1 when an entry in use has a password that contains both texts somewhere.
int IsPairUsed(const KIdTable* table, std::u16string_view group, std::u16string_view name, KMatch& match);
// The hint of a password box whose password is used: the entry's title and password, or only
// its title while the main window masks passwords (DispPassMode 0).
std::u16string UsedHint(const KMatch& match, int dispPassMode);

// "mmdd" of a date.
std::u16string MonthDay(int month, int day);

// The import's rule for one line: taken when the group part (before the first "=") is not
// empty, the whole line has at most 30 code units and none of them is zero (a UTF-16 file
// without a byte-order mark, read as ANSI, gives such lines).
struct KImportLine {
    bool taken = false;
    std::u16string group, name;
};
KImportLine ParseImportLine(std::u16string_view line);

// Where a drop-down box sorted by the user's locale, letter case ignored, puts `item` among
// `items` (an equal item found on the way takes the new one before it).
std::size_t SortedInsertPos(const std::vector<std::u16string>& items, const std::u16string& item);

// The word lists as the data file keeps them: the groups with their names, and the symbol and
// number lists, each in the order the generator's sorted boxes show them.
struct KWordListData {
    static constexpr char16_t kNoSlotMessage[] = u"データを追加できません";

    KGroupTable Groups;
    std::vector<std::u16string> Symbols;
    std::vector<std::u16string> Numbers;

    // The "#", "$SYMBOL" and "$NUMBER" lines, in place of what was there; `today` is the "mmdd"
    // of the default number. False when groups were left out for want of a slot.
    bool LoadLines(KIni& doc, const std::u16string& today);
    void SaveLines(KIni& doc) const;
    void SetDefaultLists(const std::u16string& today);
    void Clear();
};

class KWordLists {
public:
    static constexpr char16_t kFullMessage[] = u"パスワードをこれ以上登録できません！";
    static constexpr char16_t kImportedMessage[] = u"個のパスワードデータをインポートしました！";
    static constexpr char16_t kEqualsMessage[] = u"グループ名に「=」は使えません";
    static constexpr char16_t kTooManyMessage[] =
        u"名前が100万個を超えるため、これ以上インポートできません。それまでの名前は追加されています。"
        u"不要な名前を削除してから、残りをインポートしてください。";
    // Names the table holds at most after an import: far above any real list, and small
    // enough that the data file stays well inside what the loader reads.
    static constexpr std::size_t kMaxNames = 1000000;

    // The boxes show `data`, which stays the lists' one copy.
    KWordLists(KWordListData& data, KWordBox& group, KWordBox& name, KWordBox& symbol, KWordBox& number,
               KWordListHost& host)
        : data_(data), group_(group), name_(name), symbol_(symbol), number_(number), host_(host) {}

    KGroupTable& Table() { return data_.Groups; }
    int ImportCount = 0;

    // 0: empty group, nothing done; 2: the table is full (warned); 3: the group holds "=",
    // which the data file cannot keep (told); 1: done.
    int AddPair(const std::u16string& group, const std::u16string& name);
    void AddGroup();
    void DeleteGroup();
    void AddName(const std::u16string& group);
    void DeleteName(const std::u16string& group);
    void AddItem(KWordBox& box);
    void DeleteItem(KWordBox& box);
    void FillGroupBox();
    void FillNameBox(const std::u16string& group);
    // The group, symbol and number boxes' lists from the data (the window's first opening, a
    // data file read anew).
    void FillBoxes();
    void RebuildDisplayLists(int mode);
    // PASS2 (name, symbol, group, number) and PASS3 (name, number, symbol, group).
    std::u16string Pass2();
    std::u16string Pass3();

    // The lines of one import file; false when the table filled up (or reached kMaxNames) and
    // the rest was not read.
    bool ImportLines(KIni& doc);
    std::u16string ImportedText() const;

    KWordBox& GroupBox() { return group_; }
    KWordBox& NameBox() { return name_; }
    KWordBox& SymbolBox() { return symbol_; }
    KWordBox& NumberBox() { return number_; }

private:
    int SlotFor(const std::u16string& group);  // -1: the table is full (warned)
    // The data's list that `box` shows (the symbol and number boxes); null for the others.
    std::vector<std::u16string>* ListOf(KWordBox& box);

    KWordListData& data_;
    KWordBox& group_;
    KWordBox& name_;
    KWordBox& symbol_;
    KWordBox& number_;
    KWordListHost& host_;
};

// The window position kept in the data file; when it is placed, it is pulled back so that 100
// pixels lie inside the screen's bottom-right edges.
struct KGeneratorPosition {
    int top = 100, left = 200;
};
KGeneratorPosition ReadGeneratorPosition(KIni& doc);
void KeepGeneratorOnScreen(KGeneratorPosition& pos, int screenWidth, int screenHeight);
void WriteGeneratorPosition(KIni& doc, const KGeneratorPosition& pos);
