// The data file as Load reads it: bytes by byte-order mark, unscrambled, cut into lines, then
// the settings and entry reads of the start-up.
#include <algorithm>

#include "app/settings.h"
#include "storage/kini.h"
#include "tests/fuzz/fuzz_input.h"

namespace {
int Hex(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return -1;
}

// The load written plainly, for texts of hex digits and line breaks only: each line break
// counts as CR LF, pairs become bytes (a pair with a break reads like strtol: blanks skipped,
// then digits), bytes become little-endian units, the first quarter of the digits' count is
// unscrambled, and a zero ends the text.
std::u16string PlainLoad(const std::u16string& t) {
    std::u16string n;
    for (std::size_t i = 0; i < t.size(); ++i) {
        if (t[i] == u'\r' || t[i] == u'\n') {
            if (t[i] == u'\r' && i + 1 < t.size() && t[i + 1] == u'\n') ++i;
            n += u"\r\n";
        } else {
            n += t[i];
        }
    }
    if (!t.empty() && t.back() != u'\r' && t.back() != u'\n') n += u"\r\n";
    std::vector<unsigned> bytes;
    for (std::size_t i = 0; i < n.size(); i += 2) {
        unsigned v = 0;
        std::size_t j = i;
        const std::size_t end = std::min(n.size(), i + 2);
        while (j < end && Hex(n[j]) < 0) ++j;
        for (; j < end && Hex(n[j]) >= 0; ++j) v = v * 16 + static_cast<unsigned>(Hex(n[j]));
        bytes.push_back(v & 0xFF);
    }
    std::u16string u;
    for (std::size_t i = 0; i < bytes.size(); i += 2)
        u.push_back(static_cast<char16_t>(bytes[i] | (i + 1 < bytes.size() ? bytes[i + 1] << 8 : 0u)));
    KIni seq;
    seq.SetSeed(KIni::kScrambleSeed);
    for (std::size_t i = 0; i < std::min(n.size() / 4, u.size()); ++i)
        u[i] = static_cast<char16_t>((u[i] - seq.RandRange(0, 9)) & 0xFFFF);
    return u.substr(0, u.find(char16_t{0}));
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The same bytes as a text of hex digits and line breaks, read against the plain form.
    static const char16_t kAlphabet[] = u"0123456789abcdefABCDEF0123456789\r\n";
    std::u16string hex;
    for (std::size_t i = 0; i < size; ++i) hex.push_back(kAlphabet[data[i] % 34]);
    KIni fast;
    fast.LoadScrambledText(hex);
    const auto expected = KIni::SplitLines(PlainLoad(hex));
    FUZZ_CHECK(fast.LineCount() == static_cast<int>(expected.size()));
    for (int i = 0; i < fast.LineCount(); ++i) FUZZ_CHECK(fast.Line(i) == expected[static_cast<std::size_t>(i)]);

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
