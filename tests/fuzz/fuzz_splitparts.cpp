// Multi-part values: any text splits without fault, and a part written into it reads back.
#include "storage/kini.h"
#include "tests/fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const int n = data[0] % 17;  // 0 and 16 are outside the parts
    const std::u16string text = FuzzText(data + 1, size - 1);
    KIni doc;
    doc.SplitParts(text);
    std::size_t total = 0;
    for (int k = 1; k <= 15; ++k) total += doc.Slot(k).View().size();
    FUZZ_CHECK(total <= text.size());

    doc.Write(KVar(text), KVar(u"I0"));
    const std::u16string part(text.substr(0, text.size() / 2));
    doc.WritePart(n, KVar(part), KVar(u"I0"));
    const std::u16string back(doc.ReadPart(n, KVar(u"I0")).View());
    if (n >= 1 && n <= 15) {
        FUZZ_CHECK(back == part.substr(0, part.find(u'\0')));
    } else {
        FUZZ_CHECK(back.empty());
    }
    FUZZ_CHECK(doc.LineCount() == 1);
    return 0;
}
