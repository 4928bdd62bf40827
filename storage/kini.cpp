#include "storage/kini.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <cmath>
#include <unordered_map>

#include "core/kerror.h"
#include "storage/kplatform.h"

// Folded name -> ascending numbers of the lines that carry it. Lines are only appended
// or replaced in place, so the lists stay sorted without a full rebuild.
struct KIni::Index {
    std::unordered_map<std::u16string, std::vector<int>> byName;
    std::vector<std::u16string> folded;  // per line; empty for a line without "="
    std::vector<unsigned char> named;    // per line: 1 when the line has a "="
};

namespace {

constexpr char16_t kMarkers[] = u"123456789ABCDEF";
constexpr char16_t kHex[] = u"0123456789abcdef";

int MarkerPart(char16_t c) {
    if (c >= u'1' && c <= u'9') return c - u'0';
    if (c >= u'A' && c <= u'F') return c - u'A' + 10;
    return 0;
}

bool IsBlank(char16_t c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); }

struct HexTable {
    signed char value[128];
    constexpr HexTable() : value() {
        for (int c = 0; c < 128; ++c) {
            value[c] = static_cast<signed char>(c >= '0' && c <= '9'   ? c - '0'
                                                : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                                : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                                       : -1);
        }
    }
};
constexpr HexTable kHexTable;

int HexDigit(char16_t c) { return c < 128 ? kHexTable.value[c] : -1; }

// One pair (or a last lone character) read the way strtol(..., 16) reads it.
std::uint8_t ParseHexByte(std::u16string_view s) {
    std::size_t i = 0;
    while (i < s.size() && IsBlank(s[i])) ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) {
        negative = s[i] == u'-';
        ++i;
    }
    unsigned value = 0;
    while (i < s.size()) {
        const int d = HexDigit(s[i]);
        if (d < 0) break;
        value = value * 16u + static_cast<unsigned>(d);
        ++i;
    }
    if (negative) value = 0u - value;
    return static_cast<std::uint8_t>(value & 0xFFu);
}

// The byte the pair of digits at `i` gives (a last lone digit alone).
std::uint8_t HexByteAt(std::u16string_view hex, std::size_t i) {
    const std::size_t n = hex.size() - i < 2 ? 1 : 2;
    const int hi = HexDigit(hex[i]);
    const int lo = n == 2 ? HexDigit(hex[i + 1]) : -1;
    if (n == 2 && hi >= 0 && lo >= 0) return static_cast<std::uint8_t>(hi * 16 + lo);  // the common case, quickly
    return ParseHexByte(hex.substr(i, n));
}

std::u16string JoinLines(const std::vector<std::u16string>& lines) {
    std::size_t total = 0;
    for (const auto& l : lines) total += l.size() + 2;
    std::u16string t;
    t.reserve(total);
    for (const auto& l : lines) {
        t += l;
        t += u"\r\n";
    }
    return t;
}

// A zero unit would end the text when the file is read back, and every later line with it.
void DropZeroUnits(std::u16string& line) {
    if (line.find(char16_t{0}) != std::u16string::npos)
        line.erase(std::remove(line.begin(), line.end(), char16_t{0}), line.end());
}

std::u16string_view NameOf(std::u16string_view line, bool& named) {
    const auto eq = line.find(u'=');
    named = eq != std::u16string_view::npos;
    return named ? line.substr(0, eq) : std::u16string_view();
}

}  // namespace

KIni::KIni() : index_(std::make_unique<Index>()) {
    for (auto& p : parts_) p.SetInt(0);
}

KIni::~KIni() {
    // The lines hold the passwords, scrambled at most.
    for (auto& l : lines_) kplat::Wipe(l);
}

// ---- whole document ----

namespace {
// The file's text; its raw bytes are released before the caller goes on, so a large file
// costs its size in bytes only while it is decoded.
std::u16string FileText(const std::u16string& path) { return KIni::DecodeFileText(kplat::ReadWholeFile(path)); }
}  // namespace

bool KIni::LoadText(const std::u16string& path) {
    if (!kplat::FileExists(path)) return false;
    ReplaceLines(SplitLines(FileText(path)));
    return true;
}


bool KIni::Save(const std::u16string& path, const std::u16string& backup) {
    // Each unit of the text becomes four hex digits of two bytes each.
    std::uint64_t units = 0;
    for (const auto& l : lines_) units += l.size() + 2;
    if (6 + 8 * units > kplat::kMaxFileBytes)
        throw KFileError(u"データが大きすぎるため保存できません。長いメモなどを短くしてください。\r\n" + path);
    auto bytes = ScrambledBytes();
    // Throws on failure; the lines then stay as they were.
    try {
        kplat::ReplaceFileContents(path, bytes, backup);
    } catch (...) {
        kplat::Wipe(bytes);
        throw;
    }
    if (bytes.size() > 2) {
        // The document now holds the one scrambled line, as the file does.
        std::u16string h;
        h.reserve((bytes.size() - 6) / 2);
        for (std::size_t i = 2; i + 4 < bytes.size(); i += 2)
            h.push_back(static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8)));
        std::vector<std::u16string> one;
        one.push_back(std::move(h));
        ReplaceLines(std::move(one));
    }
    kplat::Wipe(bytes);
    return true;
}

std::vector<std::uint8_t> KIni::ScrambledBytes() {
    std::u16string plain = JoinLines(lines_);
    std::vector<std::uint8_t> bytes{0xFF, 0xFE};
    if (plain.empty()) return bytes;
    SetSeed(kScrambleSeed);
    std::u16string s(plain.size(), u'\0');
    for (std::size_t i = 0; i < plain.size(); ++i) s[i] = static_cast<char16_t>((plain[i] + RandRange(0, 9)) & 0xFFFF);
    kplat::Wipe(plain);
    std::u16string h = HexEncode(s);
    kplat::Wipe(s);
    bytes.reserve(2 + h.size() * 2 + 4);
    for (char16_t c : h) {
        bytes.push_back(static_cast<std::uint8_t>(c & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    kplat::Wipe(h);
    for (std::uint8_t b : {0x0D, 0x00, 0x0A, 0x00}) bytes.push_back(b);
    return bytes;
}

namespace {

// A UTF-16LE file's bytes read as its text in place, so the start needs no decoded copy.
struct LittleEndianUnits {
    const std::uint8_t* p;
    std::size_t count;
    std::size_t size() const { return count; }
    bool empty() const { return count == 0; }
    char16_t operator[](std::size_t i) const {
        return static_cast<char16_t>(p[2 * i] | (static_cast<unsigned>(p[2 * i + 1]) << 8));
    }
    char16_t back() const { return (*this)[count - 1]; }
};

// The plain text of a scrambled file's text (Text: u16string_view or LittleEndianUnits).
template <class Text>
std::u16string Unscramble(KIni& doc, const Text& fileText, bool stopAtZero = true) {
    // Pairs of the text "every line followed by CR LF", taken as the text is walked rather
    // than from a joined copy: a large file then needs no second full-size buffer.
    // The bytes become little-endian units as they come; a last odd byte is a unit alone.
    std::u16string u;
    u.reserve(fileText.size() / 4 + 2);
    std::size_t byteCount = 0;
    unsigned low = 0;
    const auto emit = [&](std::uint8_t byte) {
        if (byteCount++ % 2 == 0) {
            low = byte;
        } else {
            u.push_back(static_cast<char16_t>(low | (static_cast<unsigned>(byte) << 8)));
        }
    };
    std::size_t m = 0;
    char16_t first = 0;
    const auto put = [&](char16_t c) {
        if (m++ % 2 == 0) {
            first = c;
            return;
        }
        const int hi = HexDigit(first), lo = HexDigit(c);
        if (hi >= 0 && lo >= 0) {
            emit(static_cast<std::uint8_t>(hi * 16 + lo));
        } else {
            const char16_t pair[2] = {first, c};
            emit(ParseHexByte(std::u16string_view(pair, 2)));
        }
    };
    const std::size_t size = fileText.size();
    for (std::size_t i = 0; i < size; ++i) {
        // The common case, whole units of four hex digits, straight into the text.
        if (m % 2 == 0 && byteCount % 2 == 0 && i + 3 < size) {
            std::size_t n = u.size();
            u.resize(n + (size - i) / 4);
            char16_t* out = u.data();
            const std::size_t first = i;
            while (i + 3 < size) {
                const int a = HexDigit(fileText[i]), b = HexDigit(fileText[i + 1]);
                const int c = HexDigit(fileText[i + 2]), d = HexDigit(fileText[i + 3]);
                if ((a | b | c | d) < 0) break;
                out[n++] = static_cast<char16_t>((a << 4 | b) | (c << 4 | d) << 8);
                i += 4;
            }
            u.resize(n);
            m += i - first;
            byteCount += (i - first) / 2;
            if (i >= size) break;
        }
        // Then two hex digits at an even position, without the general step.
        if (m % 2 == 0 && i + 1 < size) {
            const int hi = HexDigit(fileText[i]), lo = HexDigit(fileText[i + 1]);
            if (hi >= 0 && lo >= 0) {
                emit(static_cast<std::uint8_t>(hi * 16 + lo));
                m += 2;
                ++i;
                continue;
            }
        }
        const char16_t c = fileText[i];
        if (c == u'\r' || c == u'\n') {
            if (c == u'\r' && i + 1 < fileText.size() && fileText[i + 1] == u'\n') ++i;
            put(u'\r');
            put(u'\n');
        } else {
            put(c);
        }
    }
    if (!fileText.empty() && fileText.back() != u'\r' && fileText.back() != u'\n') {
        put(u'\r');
        put(u'\n');
    }
    if (m == 0) return {};
    if (m % 2 == 1) emit(ParseHexByte(std::u16string_view(&first, 1)));
    if (byteCount % 2 == 1) u.push_back(static_cast<char16_t>(low));
    const std::size_t k = std::min(m / 4, u.size());
    doc.SetSeed(KIni::kScrambleSeed);
    for (std::size_t i = 0; i < k; ++i) u[i] = static_cast<char16_t>((u[i] - doc.RandRange(0, 9)) & 0xFFFF);
    if (!stopAtZero) return u;
    const auto zero = u.find(char16_t{0});
    if (zero != std::u16string::npos) u.resize(zero);
    return u;
}

// n when the bytes have the shape Save writes for a text of n units: the byte-order mark, 4n
// units and CR LF. npos for anything else (a file cut short at any byte among them). Whether
// the 4n units are all hex digits HexUnits tells.
std::size_t SavedShape(const std::uint8_t* bytes, std::size_t size) {
    constexpr std::size_t kNone = std::u16string::npos;
    if (size < 2 || bytes[0] != 0xFF || bytes[1] != 0xFE || size % 2 != 0) return kNone;
    if (size == 2) return 0;
    const std::size_t units = (size - 2) / 2;
    const auto unit = [&](std::size_t i) { return static_cast<unsigned>(bytes[2 + 2 * i] | (bytes[3 + 2 * i] << 8)); };
    if (units < 2 || unit(units - 2) != u'\r' || unit(units - 1) != u'\n' || (units - 2) % 4 != 0) return kNone;
    return (units - 2) / 4;
}

// True when all of the first n units are ASCII hex digits.
bool HexUnits(const std::uint8_t* bytes, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned c = static_cast<unsigned>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
        if (c >= 128 || HexDigit(static_cast<char16_t>(c)) < 0) return false;
    }
    return true;
}

// The unscrambled text of a file of n units, read past zero units, is whole when its first
// zero unit is the one the closing CR LF gives, and the text before it ends with CR LF.
bool PlainIsWhole(const std::u16string& plain, std::size_t n) {
    if (n == std::u16string::npos || plain.find(char16_t{0}) != (n == 0 ? std::u16string::npos : n)) return false;
    return n == 0 || (n >= 2 && plain[n - 2] == u'\r' && plain[n - 1] == u'\n');
}

// The value of each byte as a hex digit; 16 for any other byte.
struct ByteDigits {
    std::uint8_t value[256];
    constexpr ByteDigits() : value() {
        for (int c = 0; c < 256; ++c) value[c] = static_cast<std::uint8_t>(c < 128 && kHexTable.value[c] >= 0 ? kHexTable.value[c] : 16);
    }
};
constexpr ByteDigits kByteDigits;

// The lines of a file in exactly the form Save writes (units of four hex digits), unscrambled
// and split as they are decoded, a piece at a time, so that no full-size plain text is made
// on the way (fresh memory is what a large file's start pays for most). Read as the general
// path reads: zero units are dropped, and CR, LF and CR LF each end a line. `whole` as
// PlainIsWhole tells it.
class SavedDecoder {
public:
    explicit SavedDecoder(KIni& doc) : doc_(doc) { doc_.SetSeed(KIni::kScrambleSeed); }
    ~SavedDecoder() {
        line_.assign(line_.capacity(), u'\0');
        kplat::Wipe(line_);
        for (auto& l : lines_) kplat::Wipe(l);
    }

    // `count` units of the text: 8 bytes each, four hex digits as UTF-16.
    void Feed(const std::uint8_t* hex, std::size_t count) {
        for (std::size_t i = 0; i < count; ++i) {
            const std::uint8_t* u = hex + 8 * i;
            const unsigned d0 = kByteDigits.value[u[0]], d1 = kByteDigits.value[u[2]];
            const unsigned d2 = kByteDigits.value[u[4]], d3 = kByteDigits.value[u[6]];
            // Checked once at the end rather than unit by unit: any digit's 16 and any high byte.
            bad_ |= (d0 | d1 | d2 | d3) & 16u;
            bad_ |= u[1] | u[3] | u[5] | u[7];
            const int packed = static_cast<int>((d0 << 4 | d1) | (d2 << 4 | d3) << 8);
            Take(static_cast<char16_t>((packed - doc_.RandRange(0, 9)) & 0xFFFF));
        }
    }

    // False when a unit was not a hex digit: the file is not in the saved form.
    bool Finish(std::vector<std::u16string>& out, bool& whole) {
        if (bad_ != 0) return false;
        if (!line_.empty()) lines_.emplace_back(line_);
        whole = !zero_ && last_[0] == u'\r' && last_[1] == u'\n';
        out = std::move(lines_);
        lines_.clear();
        return true;
    }

private:
    void Take(char16_t c) {
        last_[0] = last_[1];
        last_[1] = c;
        if (c == 0) {
            zero_ = true;
            return;
        }
        if (c == u'\n' && afterCr_) {
            afterCr_ = false;
            return;
        }
        afterCr_ = c == u'\r';
        if (c == u'\r' || c == u'\n') {
            lines_.emplace_back(line_);
            line_.clear();
        } else {
            line_.push_back(c);
        }
    }

    KIni& doc_;
    std::vector<std::u16string> lines_;
    std::u16string line_;
    bool zero_ = false, afterCr_ = false;
    char16_t last_[2] = {0, 0};
    unsigned bad_ = 0;
};

// A file in the saved form, read through a small buffer: a large file costs neither memory of
// its size nor, under Wine, the page faults of a mapped view. False when the file is not in
// that form or changed size while it was read.
bool LoadSavedForm(KIni& doc, const std::u16string& path, std::vector<std::u16string>& lines, bool& whole) {
    kplat::FileReader file(path);
    const std::uint64_t size = file.size();
    // The byte-order mark, at least two units of eight bytes and CR LF.
    if (size < 2 + 16 + 4 || (size - 6) % 8 != 0 || size > kplat::kMaxFileBytes) return false;
    std::uint64_t units = (size - 6) / 8;
    std::vector<std::uint8_t> buffer(64 * 1024);
    if (file.Read(buffer.data(), 2) != 2 || buffer[0] != 0xFF || buffer[1] != 0xFE) return false;
    SavedDecoder decoder(doc);
    while (units > 0) {
        const std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(units, buffer.size() / 8));
        if (file.Read(buffer.data(), 8 * want) != 8 * want) return false;
        decoder.Feed(buffer.data(), want);
        units -= want;
    }
    // CR LF, and nothing after it.
    const bool closed = file.Read(buffer.data(), 5) == 4 && buffer[0] == u'\r' && buffer[1] == 0 &&
                        buffer[2] == u'\n' && buffer[3] == 0;
    kplat::Wipe(buffer);
    return closed && decoder.Finish(lines, whole);
}

}  // namespace

void KIni::LoadScrambledText(std::u16string_view fileText) { ReplaceLines(SplitLines(Unscramble(*this, fileText))); }

std::u16string KIni::PlainText() const { return JoinLines(lines_); }

void KIni::LoadPlainText(std::u16string_view text) { ReplaceLines(SplitLines(text)); }

bool KIni::Load(const std::u16string& path, bool* whole) {
    if (!kplat::FileExists(path)) return false;
    {
        std::vector<std::u16string> lines;
        bool complete = false;
        if (LoadSavedForm(*this, path, lines, complete)) {
            ReplaceLines(std::move(lines));
            if (whole) *whole = complete;
            return true;
        }
    }
    std::u16string plain;
    bool intact = false;
    {
        const kplat::FileView file(path);
        const std::uint8_t* bytes = file.data();
        const std::size_t size = file.size();
        std::size_t saved = SavedShape(bytes, size);
        if (saved != std::u16string::npos && !HexUnits(bytes + 2, 4 * saved)) saved = std::u16string::npos;
        if (size >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
            // Little-endian but not the saved form (cut short, changed by hand): read in place.
            plain = Unscramble(*this, LittleEndianUnits{bytes + 2, (size - 2) / 2}, false);
        } else {
            std::u16string text = DecodeFileText({bytes, bytes + size});
            plain = Unscramble(*this, std::u16string_view(text), false);
            kplat::Wipe(text);
        }
        intact = !file.cutShort() && PlainIsWhole(plain, saved);
    }
    // Zero units are dropped rather than ending the text: nothing after one is lost. A whole
    // file has just the one its closing CR LF gives.
    plain.erase(std::remove(plain.begin(), plain.end(), char16_t{0}), plain.end());
    ReplaceLines(SplitLines(plain));
    kplat::Wipe(plain);
    if (whole) *whole = intact;
    return true;
}


std::u16string KIni::DecodeFileText(const std::vector<std::uint8_t>& bytes) {
    const std::size_t n = bytes.size();
    if (n >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
        return kplat::FromUtf8(std::string_view(reinterpret_cast<const char*>(bytes.data()) + 3, n - 3));
    }
    if (n >= 2 && ((bytes[0] == 0xFF && bytes[1] == 0xFE) || (bytes[0] == 0xFE && bytes[1] == 0xFF))) {
        const bool little = bytes[0] == 0xFF;
        std::u16string text((n - 2) / 2, u'\0');
        if (little && std::endian::native == std::endian::little) {
            std::memcpy(text.data(), bytes.data() + 2, text.size() * 2);
            return text;
        }
        const std::uint8_t* p = bytes.data() + 2;
        for (char16_t& c : text) {
            const unsigned a = p[0], b = p[1];
            c = static_cast<char16_t>(little ? (a | (b << 8)) : ((a << 8) | b));
            p += 2;
        }
        return text;
    }
    return kplat::AnsiToUtf16(std::string_view(reinterpret_cast<const char*>(bytes.data()), n));
}

std::vector<std::u16string> KIni::SplitLines(std::u16string_view text) {
    std::vector<std::u16string> lines;
    std::size_t start = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        const char16_t c = text[i];
        if (c == u'\r' || c == u'\n') {
            lines.emplace_back(text.substr(start, i - start));
            if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
            start = ++i;
        } else {
            ++i;
        }
    }
    if (start < text.size()) lines.emplace_back(text.substr(start));
    return lines;
}

// ---- values ----

std::u16string_view KIni::ValueView(std::u16string_view name) const {
    const int i = FindLine(name);
    if (i < 0) return {};
    const std::u16string& line = lines_[static_cast<std::size_t>(i)];
    return std::u16string_view(line).substr(line.find(u'=') + 1);
}

KVar& KIni::Read(const KVar& key) {
    const std::u16string name(key.AsText());
    KVar& slot = parts_[0];
    slot.SetText(ValueView(name));
    return slot;
}

KVar KIni::ReadDef(const KVar& def, const KVar& key) {
    const KVar& v = Read(key);
    if (v.Length() == 0) return KVar(def);
    return KVar(v);
}

void KIni::Write(const KVar& value, const KVar& key) {
    std::u16string line(key.AsText());
    DropZeroUnits(line);
    const std::size_t keyLen = line.size();
    line += u'=';
    line += value.AsText();
    DropZeroUnits(line);
    const int i = FindLine(std::u16string_view(line).substr(0, keyLen));
    if (i >= 0) {
        lines_[static_cast<std::size_t>(i)] = std::move(line);
        IndexLine(i);
    } else {
        lines_.push_back(std::move(line));
        IndexLine(static_cast<int>(lines_.size()) - 1);
    }
}

KVar& KIni::ReadPart(int n, const KVar& key) {
    const std::u16string value(Read(key).View());
    SplitParts(value);
    if (n < 1 || n > 15) {
        parts_[0].SetText(std::u16string_view());
        return parts_[0];
    }
    KVar& slot = parts_[n - 1];
    slot.SetText(HexDecode(slot.View()));
    return slot;
}

void KIni::WritePart(int n, const KVar& value, const KVar& key) {
    const std::u16string keyText(key.AsText());
    const std::u16string encoded = (n >= 1 && n <= 15) ? HexEncode(value.AsText()) : std::u16string();
    const std::u16string old(Read(keyText).View());
    SplitParts(old);
    if (n >= 1 && n <= 15) parts_[n - 1].SetText(encoded);
    std::u16string rebuilt;
    std::size_t total = 0;
    for (const auto& p : parts_) total += static_cast<std::size_t>(p.Length()) + 2;
    rebuilt.reserve(total);
    for (int k = 0; k < 15; ++k) {
        const auto content = parts_[k].View();
        if (content.empty()) continue;
        rebuilt += u'\\';
        rebuilt += kMarkers[k];
        rebuilt += content;
    }
    Write(KVar(rebuilt), KVar(keyText));
}

void KIni::SplitParts(std::u16string_view text) {
    std::u16string_view views[kParts];
    PartViews(text, views);
    for (int k = 0; k < kParts; ++k) parts_[k].SetText(views[k]);
}

void KIni::PartViews(std::u16string_view text, std::u16string_view (&parts)[kParts]) {
    for (auto& p : parts) p = {};
    const std::size_t len = text.size();
    int part = 0;  // part of the marker seen last, 0 before the first
    std::size_t contentStart = 0;
    std::size_t i = 0;
    while (i <= len) {
        int found = 0;
        if (i < len) {
            if (text[i] == u'\\' && i + 1 < len) found = MarkerPart(text[i + 1]);
            if (!found) {
                ++i;
                continue;
            }
        }
        if (part && i > contentStart) parts[part - 1] = text.substr(contentStart, i - contentStart);
        if (i == len) break;
        part = found;
        contentStart = i + 2;
        i += 2;
    }
}

std::u16string KIni::HexEncode(std::u16string_view text) {
    std::u16string out(text.size() * 4, u'0');
    std::size_t o = 0;
    for (char16_t c : text) {
        const unsigned lo = c & 0xFFu, hi = (c >> 8) & 0xFFu;
        out[o++] = kHex[lo >> 4];
        out[o++] = kHex[lo & 15];
        out[o++] = kHex[hi >> 4];
        out[o++] = kHex[hi & 15];
    }
    return out;
}

std::u16string KIni::HexDecode(std::u16string_view hex) {
    // Each pair of digits is a byte (a last lone digit alone), each two bytes a unit, low byte
    // first (a last odd byte a unit of its own); the text ends at its first zero unit.
    const std::size_t bytes = (hex.size() + 1) / 2;
    std::u16string units;
    units.reserve(bytes / 2 + 1);
    std::size_t b = 0;
    // Four digits to a unit, quickly, as long as they are digits; the rest pair by pair.
    const auto digit = [](char16_t c) -> unsigned { return c < 256 ? kByteDigits.value[c] : 16u; };
    for (; 2 * b + 4 <= hex.size(); b += 2) {
        const unsigned d0 = digit(hex[2 * b]), d1 = digit(hex[2 * b + 1]);
        const unsigned d2 = digit(hex[2 * b + 2]), d3 = digit(hex[2 * b + 3]);
        if ((d0 | d1 | d2 | d3) & 16u) break;
        const char16_t unit = static_cast<char16_t>((d0 << 4 | d1) | (d2 << 4 | d3) << 8);
        if (unit == 0) return units;
        units.push_back(unit);
    }
    for (; b < bytes; b += 2) {
        const unsigned lo = HexByteAt(hex, 2 * b);
        const unsigned hi = b + 1 < bytes ? HexByteAt(hex, 2 * b + 2) : 0u;
        const char16_t unit = static_cast<char16_t>(lo | (hi << 8));
        if (unit == 0) break;
        units.push_back(unit);
    }
    return units;
}

// ---- lines ----

int KIni::LineCount() const { return static_cast<int>(lines_.size()); }

const std::u16string& KIni::Line(int i) const { return lines_.at(static_cast<std::size_t>(i)); }

std::u16string KIni::LineName(int i) const {
    bool named = false;
    return std::u16string(NameOf(Line(i), named));
}

std::u16string KIni::LineValue(int i) const {
    const std::u16string& line = Line(i);
    const auto eq = line.find(u'=');
    if (eq == std::u16string::npos || eq == 0) return {};
    return line.substr(eq + 1);
}

void KIni::AppendLine(std::u16string line) {
    DropZeroUnits(line);
    lines_.push_back(std::move(line));
    IndexLine(static_cast<int>(lines_.size()) - 1);
}

void KIni::Clear() { ReplaceLines({}); }

// ---- random sequence ----

std::int32_t KIni::Next() {
    const std::uint32_t s = static_cast<std::uint32_t>(seed_) * 22695477u + 1u;
    seed_ = static_cast<std::int32_t>(s);
    return static_cast<std::int32_t>((s >> 16) & 0x7FFFu);
}

std::int32_t KIni::RandRange(std::int32_t a, std::int32_t b) {
    if (a <= b) {
        // The same value as the floating-point form below (dividing by 32768 is exact), in
        // integers: the scrambling calls this once per character of the file.
        const std::int64_t span = static_cast<std::int64_t>(b) - a + 1;
        return static_cast<std::int32_t>(a + ((static_cast<std::int64_t>(Next()) * span) >> 15));
    }
    const double span = static_cast<double>(b) - static_cast<double>(a) + 1.0;
    return static_cast<std::int32_t>(static_cast<double>(a) + std::floor(Next() * span / 32768.0));
}

// ---- name index ----

int KIni::FindLine(std::u16string_view name) const {
    const auto it = index_->byName.find(kplat::FoldCase(name));
    if (it == index_->byName.end()) return -1;
    for (int i : it->second) {
        bool named = false;
        const auto lineName = NameOf(lines_[static_cast<std::size_t>(i)], named);
        if (named && kplat::CompareNoCase(lineName, name) == 0) return i;
    }
    return -1;
}

void KIni::IndexLine(int i) {
    Index& ix = *index_;
    const auto at = static_cast<std::size_t>(i);
    if (ix.folded.size() <= at) {
        ix.folded.resize(at + 1);
        ix.named.resize(at + 1, 0);
    }
    bool named = false;
    const auto name = NameOf(lines_[at], named);
    std::u16string folded = named ? kplat::FoldCase(name) : std::u16string();
    if (ix.named[at] && (!named || ix.folded[at] != folded)) {
        // The line changed its name: take it out of the old list.
        auto& old = ix.byName[ix.folded[at]];
        old.erase(std::remove(old.begin(), old.end(), i), old.end());
        if (old.empty()) ix.byName.erase(ix.folded[at]);
    } else if (ix.named[at]) {
        return;  // same name, already listed
    }
    ix.named[at] = named ? 1 : 0;
    if (!named) {
        ix.folded[at].clear();
        return;
    }
    auto& list = ix.byName[folded];
    list.insert(std::upper_bound(list.begin(), list.end(), i), i);
    ix.folded[at] = std::move(folded);
}

void KIni::Reindex() {
    index_->byName.clear();
    index_->folded.assign(lines_.size(), std::u16string());
    index_->named.assign(lines_.size(), 0);
    for (int i = 0; i < static_cast<int>(lines_.size()); ++i) IndexLine(i);
}

void KIni::ReplaceLines(std::vector<std::u16string> lines) {
    for (auto& l : lines_) kplat::Wipe(l);
    lines_ = std::move(lines);
    Reindex();
}
