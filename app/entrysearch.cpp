#include "app/entrysearch.h"

namespace {

bool Contains(std::u16string_view hay, std::u16string_view folded) {
    if (folded.size() > hay.size()) return false;
    const std::size_t last = hay.size() - folded.size();
    for (std::size_t i = 0; i <= last; ++i) {
        std::size_t k = 0;
        while (k < folded.size() && FoldCase(hay[i + k]) == folded[k]) ++k;
        if (k == folded.size()) return true;
    }
    return false;
}

bool MatchesFolded(const KIdData& e, std::u16string_view folded) {
    if (e.InUse == 0 || folded.empty()) return false;
    return Contains(e.Title, folded) || Contains(e.Id, folded) || Contains(e.Url, folded) ||
           Contains(e.Memo, folded);
}

std::u16string Folded(std::u16string_view text) {
    std::u16string out(text);
    for (char16_t& c : out) c = FoldCase(c);
    return out;
}

}  // namespace

char16_t FoldCase(char16_t c) {
    if (c < 0x80) return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 0x20) : c;
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return static_cast<char16_t>(c + 0x20);
    // Latin Extended-A pairs capital and small letters at even and odd code points, with a
    // shift of one at U+0139..U+0148 and U+0179..U+017E; U+0130, U+0131, U+0138 and U+0149 are
    // left alone.
    if ((c >= 0x100 && c <= 0x12F) || (c >= 0x132 && c <= 0x137) || (c >= 0x14A && c <= 0x177))
        return static_cast<char16_t>(c | 1);
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E))
        return static_cast<char16_t>(c % 2 == 1 ? c + 1 : c);
    if (c == 0x178) return 0xFF;
    if (c >= 0x391 && c <= 0x3AB && c != 0x3A2) return static_cast<char16_t>(c + 0x20);
    if (c >= 0x410 && c <= 0x42F) return static_cast<char16_t>(c + 0x20);
    if (c >= 0x400 && c <= 0x40F) return static_cast<char16_t>(c + 0x50);
    if (c >= 0xFF21 && c <= 0xFF3A) return static_cast<char16_t>(c + 0x20);
    return c;
}

bool EntryMatches(const KIdData& entry, std::u16string_view text) { return MatchesFolded(entry, Folded(text)); }

int FindEntry(const KIdTable& table, std::u16string_view text, int from, bool includeFrom) {
    constexpr int kShown = KIdTable::kGroups * KIdTable::kPerGroup;  // index 1000 belongs to no group
    const std::u16string folded = Folded(text);
    if (folded.empty()) return -1;
    if (from < 0 || from >= kShown) from = 0;
    // Without `from` itself first, it comes last: the only match found again is no failure.
    const int first = includeFrom ? 0 : 1;
    for (int step = first; step < first + kShown; ++step) {
        const int i = (from + step) % kShown;
        if (MatchesFolded(table[i], folded)) return i;
    }
    return -1;
}

int OffsetShowing(int group, int offset, int count) {
    if (group > offset && group <= offset + count) return offset;
    return group <= count ? 0 : KIdTable::kGroups - count;
}
