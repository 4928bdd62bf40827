// A CSV file as the import reads it. What comes in is placed into an empty table, exported and
// read back into another, which must then hold the same entries in the same slots.
#include "app/csvfile.h"
#include "tests/fuzz/fuzz_input.h"

namespace {
bool OnlyCrlf(const std::u16string& s) {
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == u'\r' && (i + 1 == s.size() || s[i + 1] != u'\n')) return false;
        if (s[i] == u'\n' && (i == 0 || s[i - 1] != u'\r')) return false;
    }
    return true;
}

int Used(const KIdTable& table) {
    int n = 0;
    for (int i = 0; i < table.Size(); ++i) n += table[i].InUse;
    return n;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kcsv::ReadResult r = kcsv::Read(data, size);
    FUZZ_CHECK(kcsv::ProblemText(r).empty() == (r.problem == kcsv::Problem::None));
    if (r.problem != kcsv::Problem::None) {
        FUZZ_CHECK(r.line >= 1 && r.entries.empty());
        return 0;
    }
    for (const kcsv::Entry& e : r.entries) {
        FUZZ_CHECK(e.group >= 0 && e.group <= KIdTable::kGroups && !e.texts.AllEmpty());
        for (int p = 1; p <= 4; ++p) {
            FUZZ_CHECK(e.texts.Text(p).size() <= static_cast<std::size_t>(KIdData::kFieldMax));
            FUZZ_CHECK(e.texts.Text(p).find_first_of(u"\r\n", 0, 3) == std::u16string::npos);  // nor NUL
        }
        FUZZ_CHECK(e.texts.Memo.size() <= static_cast<std::size_t>(KIdData::kMemoMax) && OnlyCrlf(e.texts.Memo));
        FUZZ_CHECK(e.texts.Memo.find(u'\0') == std::u16string::npos);
    }

    KIdTable first;
    const kcsv::Plan plan = kcsv::PlanImport(first, size ? data[0] % 12 : 1, r.entries);
    FUZZ_CHECK(plan.added + plan.skipped == static_cast<int>(r.entries.size()));
    FUZZ_CHECK(plan.fits == (plan.added <= 1000) && plan.freeSlots == 1000);
    kcsv::ApplyImport(first, plan, r.entries);
    FUZZ_CHECK(Used(first) == (plan.fits ? plan.added : 0));
    FUZZ_CHECK(!kcsv::PlanText(plan).empty());

    std::vector<std::uint8_t> bytes = kcsv::Write(first);
    if (bytes.size() > kcsv::kMaxFileBytes) return 0;
    kcsv::ReadResult back = kcsv::Read(bytes.data(), bytes.size());
    FUZZ_CHECK(back.problem == kcsv::Problem::None);
    KIdTable second;
    const kcsv::Plan again = kcsv::PlanImport(second, 1, back.entries);
    FUZZ_CHECK(again.fits && again.skipped == 0 && again.added == Used(first));
    kcsv::ApplyImport(second, again, back.entries);
    for (int i = 0; i < first.Size(); ++i) {
        FUZZ_CHECK(first[i].InUse == second[i].InUse);
        for (int p = 1; p <= 5; ++p) FUZZ_CHECK(first[i].Text(p) == second[i].Text(p));
    }
    return 0;
}
