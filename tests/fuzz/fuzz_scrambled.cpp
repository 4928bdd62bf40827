// The data file as Load reads it: bytes by byte-order mark, unscrambled, cut into lines, then
// the settings and entry reads of the start-up.
#include "app/settings.h"
#include "storage/kini.h"
#include "tests/fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::vector<std::uint8_t> bytes(data, data + size);
    KIni doc;
    doc.LoadScrambledText(KIni::DecodeFileText(bytes));
    (void)doc.ReadDef(KVar(0), KVar(u"Keyra")).AsReal();
    KSettings s = ReadSettings(doc);
    ClampSettings(s);
    for (int n : {0, 1, 1000})
        for (int k = 0; k <= 16; ++k) (void)doc.ReadPart(k, KVar(u"I") + KVar(KVar(n).AsText()));
    // What was loaded saves and loads back to the same lines.
    const auto saved = doc.ScrambledBytes();
    KIni back;
    back.LoadScrambledText(KIni::DecodeFileText(saved));
    FUZZ_CHECK(back.LineCount() == doc.LineCount());
    for (int i = 0; i < doc.LineCount(); ++i) FUZZ_CHECK(back.Line(i) == doc.Line(i));
    return 0;
}
