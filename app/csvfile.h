// Import from and export to CSV files (RFC 4180), as browsers and other password managers
// write them. Portable: the caller reads and writes the files and shows the messages.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "storage/kiddata.h"

namespace kcsv {

// The largest file Read takes; the caller refuses a larger one before reading it.
constexpr std::size_t kMaxFileBytes = 10 * 1024 * 1024;

struct Entry {
    int group = 0;  // 1..10 when the file names one of Keyra's groups; 0: the import chooses
    KIdData texts;  // title, ID, password, URL, memo; InUse is not used
};

enum class Problem {
    None,
    TooLarge,       // more than kMaxFileBytes
    Encoding,       // neither UTF-8, UTF-16 with a byte-order mark nor CP932; or a NUL character
    UnclosedQuote,  // a quoted field runs to the end of the file
    FieldCount,     // a row with more or fewer fields than the header
    NoHeader,       // the first row names no password, user or URL column
    LineBreak,      // a line break in the ID or the password, which hold one line
    TooLong,        // a text over KIdData::kFieldMax, or the memo over kMemoMax
};

struct ReadResult {
    Problem problem = Problem::None;
    int line = 0;      // 1-based line of the file: where the row starts, or where the bad bytes are
    int part = 0;      // LineBreak, TooLong: the text (1..5, as KIdData::Text) at fault
    int fields = 0;    // FieldCount: the row's fields
    int expected = 0;  // FieldCount: the header's fields
    std::vector<Entry> entries;  // in file order; empty when there is a problem
};

// Reads a whole CSV file. The encoding is found from a byte-order mark (UTF-8, UTF-16 LE/BE),
// else UTF-8 when the bytes are valid UTF-8, else CP932. The first row names the columns;
// rows whose five texts are all empty are left out. A row without a title takes the URL's
// host, unless it has a group number (Keyra's own export keeps an empty title). Line breaks in a title or URL become a
// space each, those in the memo CR LF. Nothing is read when any row breaks a rule.
ReadResult Read(const std::uint8_t* data, std::size_t size);

// Overwrites the texts of `entries` (passwords among them) and empties the list.
void Wipe(std::vector<Entry>& entries);

constexpr int kSkipped = -1;

struct Plan {
    std::vector<int> slots;  // for each entry its table index, or kSkipped; empty when !fits
    int added = 0;           // entries that are not duplicates (each needs a slot)
    int skipped = 0;         // same title, ID and password as an entry in the table or before it
    int freeSlots = 0;       // free slots of the ten groups before the import
    bool fits = true;        // false: added > freeSlots, and nothing may be imported
    std::array<int, KIdTable::kGroups> perGroup{};  // [g - 1]: entries going into group g
};

// Where each entry goes: the next free slot from the start of its own group (Entry::group)
// or else of `currentGroup`, on through the following groups, 10 followed by 1. Index 1000
// is never used.
Plan PlanImport(const KIdTable& table, int currentGroup, const std::vector<Entry>& entries);
// Puts the entries into the slots of a plan that fits, moving their texts out of `entries`.
// The skipped ones keep theirs: Wipe `entries` afterwards.
void ApplyImport(KIdTable& table, const Plan& plan, std::vector<Entry>& entries);

// The used entries of the ten groups in index order as a CSV file: UTF-8 with a byte-order
// mark, CR LF after each record, the columns Group,Title,Username,Password,URL,Notes. The
// bytes hold every password: wipe them (kplat::Wipe) once they are written.
std::vector<std::uint8_t> Write(const KIdTable& table);

// The messages to show: why a read failed (problem != None), and the refusal of a plan that
// does not fit or the closing message of one that does.
std::u16string ProblemText(const ReadResult& result);
std::u16string PlanText(const Plan& plan);

}  // namespace kcsv
