// Finding an entry by a piece of its text, across all groups. Portable.
#pragma once
#include <string_view>

#include "storage/kiddata.h"

// The lower-case form of a UTF-16 code unit for matching: the letters of ASCII, Latin-1,
// Latin Extended-A, Greek, Cyrillic and the full-width Latin letters; anything else unchanged.
char16_t FoldCase(char16_t c);

// Whether the title, ID, URL or memo of `entry` contains `text`, without regard to letter case.
// The password is never looked at; an entry not in use and an empty text never match.
bool EntryMatches(const KIdData& entry, std::u16string_view text);

// The first entry of the ten groups (indices 0..999) that matches `text`, in index order from
// `from` (itself included when `includeFrom`, last otherwise) and round past the end; -1 when
// none does.
int FindEntry(const KIdTable& table, std::u16string_view text, int from, bool includeFrom);

// The group page offset (0 or 10 - count) whose row of `count` buttons shows `group`, keeping
// `offset` when its page already does.
int OffsetShowing(int group, int offset, int count);
