#include "generator/wordlists.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

#include "core/kstr.h"
#include "storage/kplatform.h"
#include "storage/kiddata.h"
#include "storage/kini.h"
#include "storage/kvar.h"

namespace {
// Every entry full and the most names an import leaves: each unit of the document's text
// costs eight bytes in the file (four hex digits), each text unit of an entry four of those.
constexpr std::uint64_t kFullEntries =
    std::uint64_t{KIdTable::kSlots} * (4 * KIdData::kFieldMax + KIdData::kMemoMax + 64) * 4 * 8;
constexpr std::uint64_t kFullNames = std::uint64_t{KWordLists::kMaxNames} * (32 + 2) * 8;
static_assert(kFullEntries + kFullNames < 0x7FFFFFFF - 100000000, "a full data file must stay readable");

constexpr char16_t kSymbolKey[] = u"$SYMBOL";
constexpr char16_t kNumberKey[] = u"$NUMBER";
constexpr std::size_t kImportLineMax = 30;

void EnsureLists(KGroupSlot& slot) {
    if (!slot.names) slot.names = std::make_unique<std::vector<std::u16string>>();
    if (!slot.display) slot.display = std::make_unique<std::vector<std::u16string>>();
}

bool Contains(const std::vector<std::u16string>& list, const std::u16string& s) {
    for (const auto& x : list)
        if (x == s) return true;
    return false;
}
}  // namespace

std::size_t SortedInsertPos(const std::vector<std::u16string>& items, const std::u16string& item) {
    std::ptrdiff_t lo = 0, hi = static_cast<std::ptrdiff_t>(items.size()) - 1;
    while (lo <= hi) {
        const std::ptrdiff_t mid = (lo + hi) / 2;
        const int r = kplat::CompareNoCase(items[static_cast<std::size_t>(mid)], item);
        if (r == 0) return static_cast<std::size_t>(mid);
        if (r > 0)
            hi = mid - 1;
        else
            lo = mid + 1;
    }
    return static_cast<std::size_t>(lo);
}

namespace {
void InsertSorted(std::vector<std::u16string>& list, const std::u16string& item) {
    list.insert(list.begin() + static_cast<std::ptrdiff_t>(SortedInsertPos(list, item)), item);
}
}  // namespace

int KGroupTable::Find(std::u16string_view group) const {
    if (group.empty()) return -1;
    for (int i = 0; i < kSlots; ++i)
        if (slots_[static_cast<std::size_t>(i)].group == group) return i;
    return -1;
}

int KGroupTable::FirstFree() const {
    for (int i = 0; i < kSlots; ++i)
        if (slots_[static_cast<std::size_t>(i)].group.empty()) return i;
    return -1;
}

int IsPasswordUsed(const KIdTable* table, std::u16string_view text, KMatch& match) {
    match = {};
    if (text.empty() || !table) return 0;
    for (int i = 0; i < table->Size(); ++i) {
        const KIdData& e = (*table)[i];
        if (e.InUse && std::u16string_view(e.Password).substr(0, text.size()) == text) {
            match = {e.Title, e.Password};
            return 1;
        }
    }
    return 0;
}

int IsPairUsed(const KIdTable* table, std::u16string_view group, std::u16string_view name, KMatch& match) {
    match = {};
    if (group.empty() || name.empty() || !table) return 0;
    for (int i = 0; i < table->Size(); ++i) {
        const KIdData& e = (*table)[i];
        if (e.InUse && e.Password.find(group) != std::u16string::npos &&
            e.Password.find(name) != std::u16string::npos) {
            match = {e.Title, e.Password};
            return 1;
        }
    }
    return 0;
}

std::u16string UsedHint(const KMatch& match, int dispPassMode) {
    return dispPassMode == 0 ? match.title : match.title + u" " + match.password;
}

std::u16string MonthDay(int month, int day) {
    std::u16string s;
    for (int v : {month, day}) {
        s += static_cast<char16_t>(u'0' + (v / 10) % 10);
        s += static_cast<char16_t>(u'0' + v % 10);
    }
    return s;
}

KImportLine ParseImportLine(std::u16string_view line) {
    KImportLine r;
    const std::size_t eq = line.find(u'=');
    if (eq == std::u16string_view::npos || eq == 0 || line.size() > kImportLineMax) return r;
    if (line.find(char16_t{0}) != std::u16string_view::npos) return r;
    r.taken = true;
    r.group.assign(line.substr(0, eq));
    r.name.assign(line.substr(eq + 1));
    return r;
}

int KWordLists::SlotFor(const std::u16string& group) {
    int i = data_.Groups.Find(group);
    if (i < 0) {
        i = data_.Groups.FirstFree();
        if (i < 0) {
            host_.ShowWarning(kFullMessage);
            return -1;
        }
        data_.Groups[i].group = group;
    }
    EnsureLists(data_.Groups[i]);
    return i;
}

namespace {
// A line break in a name would split its line of the data file.
std::u16string OneLine(std::u16string text) {
    text.erase(std::remove_if(text.begin(), text.end(), [](char16_t c) { return c == u'\r' || c == u'\n'; }),
               text.end());
    return text;
}
}  // namespace

int KWordLists::AddPair(const std::u16string& typedGroup, const std::u16string& typedName) {
    const std::u16string group = OneLine(typedGroup), name = OneLine(typedName);
    if (group.empty()) return 0;
    // The data file keeps a group as "#group=name": an "=" would split it elsewhere.
    if (group.find(u'=') != std::u16string::npos) {
        host_.ShowMessage(kEqualsMessage);
        return 3;
    }
    const int i = SlotFor(group);
    if (i < 0) return 2;
    KGroupSlot& slot = data_.Groups[i];
    if (name.empty() || Contains(*slot.names, name)) return 1;
    slot.names->push_back(name);
    ++ImportCount;
    host_.ListsChanged();
    return 1;
}

void KWordLists::AddGroup() {
    const std::u16string g = group_.Text();
    const int r = AddPair(g, name_.Text());
    if (r == 2 || r == 3) return;
    AddItem(group_);
    AddItem(name_);
    group_.SetText(g);
    group_.Focus();
}

void KWordLists::AddName(const std::u16string& group) {
    const int r = AddPair(group, name_.Text());
    if (r != 2 && r != 3 && !group.empty()) {
        AddItem(group_);
        AddItem(name_);
        group_.SetText(group);
    }
    name_.Focus();
}

void KWordLists::AddItem(KWordBox& box) {
    box.Focus();
    const std::u16string t = OneLine(box.Text());
    if (t.empty() || box.IndexOf(t) >= 0) return;
    box.AddItem(t);
    box.SetText(u"");
    if (auto* list = ListOf(box)) {
        InsertSorted(*list, t);
        host_.ListsChanged();
    }
}

void KWordLists::DeleteItem(KWordBox& box) {
    box.Focus();
    const std::u16string t = box.Text();
    if (t.empty()) return;
    const int i = box.IndexOf(t);
    if (i >= 0) box.DeleteItem(i);
    box.SetText(u"");
    if (auto* list = ListOf(box)) {
        const auto it = std::find(list->begin(), list->end(), t);
        if (it != list->end()) {
            list->erase(it);
            host_.ListsChanged();
        }
    }
}

void KWordLists::DeleteGroup() {
    group_.Focus();
    const std::u16string t = group_.Text();
    if (t.empty()) return;
    const int i = data_.Groups.Find(t);
    if (i < 0) {
        group_.SetText(u"");
        return;
    }
    if (!host_.AskYesNo(t + u" グループの名前データをすべて削除しますか？")) return;
    KGroupSlot& slot = data_.Groups[i];
    slot.group.clear();
    slot.names.reset();
    // The display list goes too: a group that takes the slot later must not offer these names.
    slot.display.reset();
    host_.ListsChanged();
    DeleteItem(group_);
    group_.SetText(u"");
    name_.ClearItems();
    name_.SetText(u"");
}

void KWordLists::DeleteName(const std::u16string& group) {
    name_.Focus();
    const std::u16string n = name_.Text();
    if (n.empty()) return;
    if (group.empty()) {
        name_.SetText(u"");
        return;
    }
    const int i = data_.Groups.Find(group);
    if (i >= 0 && data_.Groups[i].names) {
        auto& names = *data_.Groups[i].names;
        for (auto it = names.begin(); it != names.end(); ++it)
            if (*it == n) {
                names.erase(it);
                host_.ListsChanged();
                break;
            }
    }
    DeleteItem(name_);
    name_.SetText(u"");
}

void KWordLists::FillGroupBox() {
    group_.ClearItems();
    for (int i = 0; i < KGroupTable::kSlots; ++i)
        if (!data_.Groups[i].group.empty()) group_.AddItem(data_.Groups[i].group);
}

void KWordLists::FillNameBox(const std::u16string& group) {
    name_.ClearItems();
    name_.SetText(u"");
    const int i = data_.Groups.Find(group);
    if (i < 0 || !data_.Groups[i].display) return;
    for (const auto& n : *data_.Groups[i].display) name_.AddItem(n);
}

void KWordLists::RebuildDisplayLists(int mode) {
    if (mode != 0 && mode != 1) return;
    for (int i = 0; i < KGroupTable::kSlots; ++i) {
        KGroupSlot& slot = data_.Groups[i];
        if (slot.group.empty()) continue;
        EnsureLists(slot);
        slot.display->clear();
        // IsPairUsed for every name, with the passwords that hold the group found once per
        // group: an imported list of many names must not cost names x entries scans.
        std::vector<const std::u16string*> withGroup;
        const KIdTable* entries = host_.Entries();
        if (mode == 1 && entries) {
            for (int e = 0; e < entries->Size(); ++e) {
                const KIdData& d = (*entries)[e];
                if (d.InUse && d.Password.find(slot.group) != std::u16string::npos) withGroup.push_back(&d.Password);
            }
        }
        for (const auto& n : *slot.names) {
            bool used = false;
            if (!n.empty())
                for (const auto* p : withGroup)
                    if (p->find(n) != std::u16string::npos) {
                        used = true;
                        break;
                    }
            if (!used) slot.display->push_back(n);
        }
    }
}

std::u16string KWordLists::Pass2() { return name_.Text() + symbol_.Text() + group_.Text() + number_.Text(); }
std::u16string KWordLists::Pass3() { return name_.Text() + number_.Text() + symbol_.Text() + group_.Text(); }

bool KWordListData::LoadLines(KIni& doc, const std::u16string& today) {
    Clear();
    bool all = true;
    for (int i = 0; i < doc.LineCount(); ++i) {
        const std::u16string key = doc.LineName(i);
        // "#" alone names no group: such a line is skipped.
        if (key.size() < 2 || key[0] != u'#') continue;
        const std::u16string group = key.substr(1);
        int s = Groups.Find(group);
        if (s < 0) {
            s = Groups.FirstFree();
            if (s < 0) {
                all = false;
                continue;
            }
            Groups[s].group = group;
        }
        EnsureLists(Groups[s]);
        Groups[s].names->push_back(doc.LineValue(i));
    }
    for (int i = 0; i < doc.LineCount(); ++i)
        if (doc.LineName(i) == kSymbolKey) InsertSorted(Symbols, doc.LineValue(i));
    for (int i = 0; i < doc.LineCount(); ++i)
        if (doc.LineName(i) == kNumberKey) InsertSorted(Numbers, doc.LineValue(i));
    SetDefaultLists(today);
    return all;
}

void KWordListData::SetDefaultLists(const std::u16string& today) {
    if (Symbols.empty())
        for (const char16_t* s : {u"#", u"$", u"?", u"@"}) InsertSorted(Symbols, s);
    if (Numbers.empty()) Numbers.push_back(today);
}

void KWordListData::SaveLines(KIni& doc) const {
    for (int i = 0; i < KGroupTable::kSlots; ++i) {
        const KGroupSlot& slot = Groups[i];
        if (slot.group.empty() || !slot.names) continue;
        for (const auto& n : *slot.names) doc.AppendLine(u"#" + slot.group + u"=" + n);
    }
    for (const auto& item : Symbols) doc.AppendLine(std::u16string(kSymbolKey) + u"=" + item);
    for (const auto& item : Numbers) doc.AppendLine(std::u16string(kNumberKey) + u"=" + item);
}

void KWordListData::Clear() {
    for (int i = 0; i < KGroupTable::kSlots; ++i) Groups[i] = KGroupSlot{};
    Symbols.clear();
    Numbers.clear();
}

std::vector<std::u16string>* KWordLists::ListOf(KWordBox& box) {
    if (&box == &symbol_) return &data_.Symbols;
    if (&box == &number_) return &data_.Numbers;
    return nullptr;
}

void KWordLists::FillBoxes() {
    FillGroupBox();
    symbol_.ClearItems();
    for (const auto& item : data_.Symbols) symbol_.AddItem(item);
    number_.ClearItems();
    for (const auto& item : data_.Numbers) number_.AddItem(item);
}

bool KWordLists::ImportLines(KIni& doc) {
    struct Told {
        KWordLists& lists;
        int before;
        ~Told() {
            if (lists.ImportCount != before) lists.host_.ListsChanged();
        }
    } told{*this, ImportCount};
    // The same rules as AddPair line by line, with each group's names in a set, so that a long
    // list costs about its length rather than its square.
    std::unordered_map<std::u16string, int> slotOf;
    std::vector<std::unique_ptr<std::unordered_set<std::u16string>>> known(KGroupTable::kSlots);
    std::size_t total = 0;
    for (int s = 0; s < KGroupTable::kSlots; ++s)
        if (!data_.Groups[s].group.empty() && data_.Groups[s].names) total += data_.Groups[s].names->size();
    for (int i = 0; i < doc.LineCount(); ++i) {
        const KImportLine line = ParseImportLine(doc.Line(i));
        if (!line.taken) continue;
        int s = 0;
        if (const auto it = slotOf.find(line.group); it != slotOf.end()) {
            s = it->second;
        } else {
            s = SlotFor(line.group);
            if (s < 0) return false;
            slotOf.emplace(line.group, s);
        }
        if (line.name.empty()) continue;
        auto& names = *data_.Groups[s].names;
        auto& seen = known[static_cast<std::size_t>(s)];
        if (!seen) seen = std::make_unique<std::unordered_set<std::u16string>>(names.begin(), names.end());
        if (seen->count(line.name)) continue;
        if (total >= kMaxNames) {
            host_.ShowWarning(kTooManyMessage);
            return false;
        }
        seen->insert(line.name);
        names.push_back(line.name);
        ++total;
        ++ImportCount;
    }
    return true;
}

std::u16string KWordLists::ImportedText() const { return kstr::Decimal(ImportCount) + kImportedMessage; }

KGeneratorPosition ReadGeneratorPosition(KIni& doc) {
    KGeneratorPosition p;
    p.top = doc.ReadDef(KVar(100), KVar(u"$Top")).AsInt();
    p.left = doc.ReadDef(KVar(200), KVar(u"$Left")).AsInt();
    return p;
}

void KeepGeneratorOnScreen(KGeneratorPosition& p, int screenWidth, int screenHeight) {
    if (p.top + 100 > screenHeight) p.top = screenHeight - 100;
    if (p.left + 100 > screenWidth) p.left = screenWidth - 100;
}

void WriteGeneratorPosition(KIni& doc, const KGeneratorPosition& pos) {
    doc.Write(KVar(pos.top), KVar(u"$Top"));
    doc.Write(KVar(pos.left), KVar(u"$Left"));
}
