// The "KEYRA" clipboard text as another program may have put it there.
#include "input/entryformat.h"
#include "tests/fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const KIdData entry = ParseEntryText(FuzzText(data, size));
    FUZZ_CHECK(entry.InUse == 1);
    // What we read, we write in a form that reads back the same.
    const KIdData again = ParseEntryText(BuildEntryText(entry));
    for (int k = 1; k <= 5; ++k) FUZZ_CHECK(again.Text(k) == entry.Text(k));
    return 0;
}
