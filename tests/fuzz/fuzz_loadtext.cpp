// A plain text file as LoadText reads it (word lists, initial files saved as text).
#include "storage/kini.h"
#include "tests/fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::uint8_t> bytes(data, data + size);
    const std::u16string text = KIni::DecodeFileText(bytes);
    const auto lines = KIni::SplitLines(text);
    KIni doc;
    std::size_t total = 0;
    for (const auto& l : lines) {
        FUZZ_CHECK(l.find(u'\r') == std::u16string::npos && l.find(u'\n') == std::u16string::npos);
        total += l.size();
        doc.AppendLine(l);
    }
    FUZZ_CHECK(total <= text.size());
    for (int i = 0; i < doc.LineCount(); ++i) {
        const auto name = doc.LineName(i);
        const auto value = doc.LineValue(i);
        FUZZ_CHECK(name.size() + value.size() <= doc.Line(i).size());
        if (!name.empty()) (void)doc.Read(KVar(name));
    }
    return 0;
}
