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
        throw KFileError(path, u"データが大きすぎます。長いメモを短くするか、不要なエントリや単語リストを削除してください。");
    auto bytes = ScrambledBytes();
    // Throws on failure; the lines then stay as they were.
    bool backupKept = true;
    try {
        backupKept = kplat::ReplaceFileContents(path, bytes, backup);
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
    return backupKept;
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

// The one reader of the scrambled form, fed the file's text a piece at a time. Each line break
// of the file counts as CR LF; each two characters are a byte (read the way strtol(..., 16)
// reads them where they are not two hex digits, a last lone one alone); each two bytes a unit,
// low byte first (a last odd byte a unit alone); the units that four characters made are
// unscrambled. The units are split into lines as they come, so a large file needs no plain
// copy of its own size: zero units are dropped (or, with `stopAtZero`, end the text), and CR,
// LF and CR LF each end a line.
class ScrambledReader {
public:
    ScrambledReader(KIni& doc, bool stopAtZero) : doc_(doc), stopAtZero_(stopAtZero) {
        doc_.SetSeed(KIni::kScrambleSeed);
    }
    ~ScrambledReader() {
        line_.assign(line_.capacity(), u'\0');
        kplat::Wipe(line_);
        for (auto& l : lines_) kplat::Wipe(l);
    }

    void Feed(std::u16string_view text) {
        const std::size_t size = text.size();
        for (std::size_t i = 0; i < size; ++i) {
            // The common case, whole units of four hex digits, straight into the lines.
            if (chars_ % 4 == 0 && !skipLf_) {
                const std::size_t first = i;
                while (i + 3 < size) {
                    const int a = HexDigit(text[i]), b = HexDigit(text[i + 1]);
                    const int c = HexDigit(text[i + 2]), d = HexDigit(text[i + 3]);
                    if ((a | b | c | d) < 0) break;
                    Take(Unscrambled(static_cast<char16_t>((a << 4 | b) | (c << 4 | d) << 8)));
                    i += 4;
                }
                if (i != first) {
                    chars_ += i - first;
                    bytes_ += (i - first) / 2;
                    raw_ += i - first;
                    digits_ += i - first;
                    last_[0] = text[i - 2];
                    last_[1] = text[i - 1];
                    if (i >= size) break;
                }
            }
            const char16_t c = text[i];
            ++raw_;
            if (HexDigit(c) >= 0) ++digits_;
            last_[0] = last_[1];
            last_[1] = c;
            if (skipLf_) {
                skipLf_ = false;
                if (c == u'\n') continue;
            }
            if (c == u'\r' || c == u'\n') {
                skipLf_ = c == u'\r';
                PutChar(u'\r');
                PutChar(u'\n');
            } else {
                PutChar(c);
            }
        }
    }

    // The lines, and whether the text was exactly what Save writes (`savedForm`: the file began
    // with the little-endian byte-order mark and was not cut short while read): 4n hex digits
    // and CR LF, whose n units hold no zero and end with CR LF.
    void Finish(std::vector<std::u16string>& out, bool savedForm, bool& whole) {
        const std::size_t n = digits_ / 4;
        const bool shape = raw_ == 0 || (digits_ + 2 == raw_ && digits_ % 4 == 0 && last_[0] == u'\r' &&
                                         last_[1] == u'\n');
        if (raw_ > 0 && last_[1] != u'\r' && last_[1] != u'\n') {
            PutChar(u'\r');
            PutChar(u'\n');
        }
        // What four characters did not make stays scrambled.
        unscramble_ = false;
        if (chars_ % 2 == 1) PutByte(ParseHexByte(std::u16string_view(&first_, 1)));
        if (bytes_ % 2 == 1) Take(static_cast<char16_t>(low_));
        if (!line_.empty()) lines_.emplace_back(line_);
        whole = savedForm && shape &&
                (n == 0 ? firstZero_ == kNone : firstZero_ == n && tail_[0] == u'\r' && tail_[1] == u'\n');
        out = std::move(lines_);
        lines_.clear();
    }

private:
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

    char16_t Unscrambled(char16_t unit) { return static_cast<char16_t>((unit - doc_.RandRange(0, 9)) & 0xFFFF); }

    void PutChar(char16_t c) {
        if (chars_++ % 2 == 0) {
            first_ = c;
            return;
        }
        const int hi = HexDigit(first_), lo = HexDigit(c);
        if (hi >= 0 && lo >= 0) {
            PutByte(static_cast<std::uint8_t>(hi * 16 + lo));
        } else {
            const char16_t pair[2] = {first_, c};
            PutByte(ParseHexByte(std::u16string_view(pair, 2)));
        }
    }

    void PutByte(std::uint8_t byte) {
        if (bytes_++ % 2 == 0) {
            low_ = byte;
            return;
        }
        const char16_t unit = static_cast<char16_t>(low_ | (static_cast<unsigned>(byte) << 8));
        Take(unscramble_ ? Unscrambled(unit) : unit);
    }

    void Take(char16_t c) {
        if (stopped_) return;
        if (c == 0) {
            if (firstZero_ == kNone) firstZero_ = units_;
            ++units_;
            stopped_ = stopAtZero_;
            return;
        }
        if (firstZero_ == kNone) {
            tail_[0] = tail_[1];
            tail_[1] = c;
        }
        ++units_;
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
    const bool stopAtZero_;
    bool unscramble_ = true, stopped_ = false;
    // The file's text: characters put (line breaks counted as two), raw units, hex digits among
    // them, the last two raw units, and a CR whose LF is still to come.
    std::size_t chars_ = 0, raw_ = 0, digits_ = 0;
    char16_t last_[2] = {0, 0};
    bool skipLf_ = false;
    char16_t first_ = 0;
    // Bytes made, and the low byte of a unit still to be completed.
    std::size_t bytes_ = 0;
    unsigned low_ = 0;
    // Units taken, where the first zero was, the last two units before it.
    std::size_t units_ = 0, firstZero_ = kNone;
    char16_t tail_[2] = {0, 0};
    std::vector<std::u16string> lines_;
    std::u16string line_;
    bool afterCr_ = false;
};

}  // namespace

void KIni::LoadScrambledText(std::u16string_view fileText) {
    ScrambledReader reader(*this, true);
    reader.Feed(fileText);
    std::vector<std::u16string> lines;
    bool whole = false;
    reader.Finish(lines, false, whole);
    ReplaceLines(std::move(lines));
}

std::u16string KIni::PlainText() const { return JoinLines(lines_); }

void KIni::LoadPlainText(std::u16string_view text) { ReplaceLines(SplitLines(text)); }

bool KIni::Load(const std::u16string& path, bool* whole) {
    if (!kplat::FileExists(path)) return false;
    // Read, never mapped: a read error (a stick pulled out) is then an error like any other.
    kplat::FileReader file(path);
    std::vector<std::uint8_t> buffer(64 * 1024);
    std::size_t got = file.Read(buffer.data(), 2);
    std::uint64_t read = got;
    std::vector<std::u16string> lines;
    bool complete = false;
    if (got == 2 && buffer[0] == 0xFF && buffer[1] == 0xFE) {
        // Little-endian text, the form Save writes, decoded a piece at a time; a last odd byte
        // is no unit.
        ScrambledReader reader(*this, false);
        std::u16string units(buffer.size() / 2, u'\0');
        std::size_t carry = 0;  // a byte of a unit split across two pieces
        while ((got = file.Read(buffer.data() + carry, buffer.size() - carry)) > 0) {
            read += got;
            const std::size_t have = carry + got;
            const std::size_t n = have / 2;
            for (std::size_t i = 0; i < n; ++i)
                units[i] = static_cast<char16_t>(buffer[2 * i] | (static_cast<unsigned>(buffer[2 * i + 1]) << 8));
            reader.Feed(std::u16string_view(units.data(), n));
            carry = have % 2;
            if (carry) buffer[0] = buffer[have - 1];
        }
        kplat::Wipe(units);
        reader.Finish(lines, read == file.size(), complete);
    } else {
        // Any other encoding (a file written by hand): the whole text at once.
        std::vector<std::uint8_t> bytes(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(got));
        while ((got = file.Read(buffer.data(), buffer.size())) > 0)
            bytes.insert(bytes.end(), buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(got));
        std::u16string text = DecodeFileText(bytes);
        kplat::Wipe(bytes);
        ScrambledReader reader(*this, false);
        reader.Feed(text);
        kplat::Wipe(text);
        reader.Finish(lines, false, complete);
    }
    kplat::Wipe(buffer);
    ReplaceLines(std::move(lines));
    if (whole) *whole = complete;
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
    for (; 2 * b + 4 <= hex.size(); b += 2) {
        const int d0 = HexDigit(hex[2 * b]), d1 = HexDigit(hex[2 * b + 1]);
        const int d2 = HexDigit(hex[2 * b + 2]), d3 = HexDigit(hex[2 * b + 3]);
        if ((d0 | d1 | d2 | d3) < 0) break;
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
