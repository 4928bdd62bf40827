// A word-list file as the generator's import reads it, then the lists written to a data file
// and read back as the next start does.
#include "generator/wordlists.h"
#include "storage/kini.h"
#include "tests/fuzz/fuzz_input.h"
#include "tests/unit/fake_wordbox.h"

namespace {
class QuietHost : public KWordListHost {
public:
    void ShowMessage(const std::u16string&) override {}
    void ShowWarning(const std::u16string&) override {}
    bool AskYesNo(const std::u16string&) override { return true; }
    const KIdTable* Entries() override { return nullptr; }
};

struct Lists {
    FakeBox group, name, symbol, number;
    QuietHost host;
    KWordListData data;
    KWordLists lists{data, group, name, symbol, number, host};
};

int Pairs(KWordLists& lists) {
    int n = 0;
    for (int i = 0; i < KGroupTable::kSlots; ++i) {
        const KGroupSlot& slot = lists.Table()[i];
        if (slot.group.empty()) continue;
        FUZZ_CHECK(slot.names != nullptr);
        FUZZ_CHECK(lists.Table().Find(slot.group) == i);
        n += static_cast<int>(slot.names->size());
    }
    return n;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    KIni file;
    for (const auto& line : KIni::SplitLines(KIni::DecodeFileText(std::vector<std::uint8_t>(data, data + size))))
        file.AppendLine(line);

    Lists first;
    first.lists.ImportLines(file);
    for (int i = 0; i < file.LineCount(); ++i) {
        const KImportLine line = ParseImportLine(file.Line(i));
        FUZZ_CHECK(!line.taken || (!line.group.empty() && file.Line(i).size() <= 30));
    }
    const int imported = Pairs(first.lists);
    FUZZ_CHECK(imported == first.lists.ImportCount);
    first.lists.RebuildDisplayLists(1);

    KIni saved;
    first.data.SaveLines(saved);
    Lists second;
    second.data.LoadLines(saved, u"1208");
    FUZZ_CHECK(Pairs(second.lists) == imported);

    // The same bytes read as a data file's own lines.
    Lists third;
    third.data.LoadLines(file, u"1208");
    (void)Pairs(third.lists);
    third.lists.RebuildDisplayLists(1);
    return 0;
}
