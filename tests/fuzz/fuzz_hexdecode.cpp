// Hex decoding of any text, and the encode/decode round trip.
#include "storage/kini.h"
#include "tests/fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::u16string text = FuzzText(data, size);
    const std::u16string decoded = KIni::HexDecode(text);
    FUZZ_CHECK(decoded.size() <= text.size() / 4 + 1);
    FUZZ_CHECK(decoded.find(u'\0') == std::u16string::npos);
    FUZZ_CHECK(KIni::HexDecode(KIni::HexEncode(text)) == text.substr(0, text.find(u'\0')));
    return 0;
}
