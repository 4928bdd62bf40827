#include "app/csvfile.h"

#include <algorithm>
#include <functional>
#include <string_view>
#include <unordered_map>

#include "core/kstr.h"
#include "storage/kplatform.h"

namespace kcsv {
namespace {

constexpr std::size_t kNone = static_cast<std::size_t>(-1);
constexpr int kShown = KIdTable::kGroups * KIdTable::kPerGroup;  // index 1000 belongs to no group

// The line (from 1) that position `end` of `s` is on; CR LF, LF and CR each end a line.
template <class C>
int LineAt(const C* s, std::size_t end) {
    int line = 1;
    for (std::size_t i = 0; i < end; ++i) {
        if (s[i] == C('\n') || (s[i] == C('\r') && (i + 1 >= end || s[i + 1] != C('\n')))) ++line;
    }
    return line;
}

// Strict UTF-8 into `out`: no overlong forms, surrogates or values past U+10FFFF. The offset of
// the first byte that is not part of a valid sequence, or kNone.
std::size_t DecodeUtf8(const std::uint8_t* s, std::size_t n, std::u16string& out) {
    out.resize(n);  // never more units than bytes
    std::size_t o = 0, i = 0;
    while (i < n) {
        const std::uint8_t b = s[i];
        if (b < 0x80) {
            out[o++] = b;
            ++i;
            continue;
        }
        std::size_t len = 0;
        char32_t c = 0, min = 0;
        if ((b & 0xE0) == 0xC0) len = 2, c = b & 0x1F, min = 0x80;
        else if ((b & 0xF0) == 0xE0) len = 3, c = b & 0x0F, min = 0x800;
        else if ((b & 0xF8) == 0xF0) len = 4, c = b & 0x07, min = 0x10000;
        if (len == 0 || i + len > n) return i;
        for (std::size_t k = 1; k < len; ++k) {
            if ((s[i + k] & 0xC0) != 0x80) return i;
            c = (c << 6) | (s[i + k] & 0x3F);
        }
        if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return i;
        if (c >= 0x10000) {
            out[o++] = static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            out[o++] = static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            out[o++] = static_cast<char16_t>(c);
        }
        i += len;
    }
    out.resize(o);
    return kNone;
}

// UTF-16 after its byte-order mark; the unit index of an odd last byte or a lone surrogate,
// or kNone. `out` holds the units read so far either way.
std::size_t DecodeUtf16(const std::uint8_t* s, std::size_t n, bool bigEndian, std::u16string& out) {
    out.resize(n / 2);
    for (std::size_t k = 0; k < out.size(); ++k) {
        const std::uint8_t a = s[2 * k], b = s[2 * k + 1];
        out[k] = static_cast<char16_t>(bigEndian ? (a << 8 | b) : (b << 8 | a));
    }
    for (std::size_t k = 0; k < out.size(); ++k) {
        const char16_t c = out[k];
        if (c >= 0xD800 && c <= 0xDBFF && k + 1 < out.size() && out[k + 1] >= 0xDC00 && out[k + 1] <= 0xDFFF) ++k;
        else if (c >= 0xD800 && c <= 0xDFFF) return k;
    }
    return n % 2 ? out.size() : kNone;
}

// The first line of CP932 bytes that the conversion refuses.
int BadCp932Line(const std::uint8_t* s, std::size_t n) {
    // CR and LF are never the second byte of a CP932 character, so lines convert one by one.
    std::u16string part;
    int line = 1;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= n; ++i) {
        if (i < n && s[i] != '\r' && s[i] != '\n') continue;
        const std::string_view bytes(reinterpret_cast<const char*>(s) + start, i - start);
        const bool ok = kplat::Cp932ToUtf16(bytes, part);
        kplat::Wipe(part);
        if (!ok) return line;
        if (i + 1 < n && s[i] == '\r' && s[i + 1] == '\n') ++i;
        start = i + 1;
        ++line;
    }
    return line;
}

// The file's text; 0, or the line with bytes of no encoding it can be in.
int Decode(const std::uint8_t* s, std::size_t n, std::u16string& text) {
    std::size_t bad = kNone;
    if (n >= 3 && s[0] == 0xEF && s[1] == 0xBB && s[2] == 0xBF) {
        if ((bad = DecodeUtf8(s + 3, n - 3, text)) != kNone) return LineAt(s + 3, bad);
    } else if (n >= 2 && ((s[0] == 0xFF && s[1] == 0xFE) || (s[0] == 0xFE && s[1] == 0xFF))) {
        if ((bad = DecodeUtf16(s + 2, n - 2, s[0] == 0xFE, text)) != kNone) return LineAt(text.data(), bad);
    } else if (DecodeUtf8(s, n, text) != kNone) {
        kplat::Wipe(text);
        if (!kplat::Cp932ToUtf16(std::string_view(reinterpret_cast<const char*>(s), n), text)) return BadCp932Line(s, n);
    }
    return 0;
}

// RFC 4180 records of the decoded text, each field into a buffer that is wiped before reuse.
class Parser {
public:
    enum Status { Row, End, Unclosed, Nul };

    explicit Parser(std::u16string_view text) : s_(text) {}
    ~Parser() {
        for (auto& f : fields_) kplat::Wipe(f);
    }
    Parser(const Parser&) = delete;
    Parser& operator=(const Parser&) = delete;

    Status Next();
    int Count() const { return count_; }
    std::u16string_view Field(int k) const { return k >= 0 && k < count_ ? fields_[k] : std::u16string_view(); }
    // A line with nothing on it: no field, not even an empty quoted one.
    bool Blank() const { return blank_; }
    int RowLine() const { return rowLine_; }  // where the last row started
    int Line() const { return line_; }        // where the parser stands

private:
    std::u16string& NewField() {
        if (count_ == static_cast<int>(fields_.size())) fields_.emplace_back();
        return fields_[count_++];
    }

    std::u16string_view s_;
    std::size_t i_ = 0;
    int line_ = 1, rowLine_ = 1, count_ = 0;
    bool blank_ = true;
    std::vector<std::u16string> fields_;
};

Parser::Status Parser::Next() {
    for (int k = 0; k < count_; ++k) kplat::Wipe(fields_[k]);
    count_ = 0;
    if (i_ >= s_.size()) return End;
    rowLine_ = line_;
    blank_ = true;
    const std::size_t n = s_.size();
    for (;;) {
        std::u16string& f = NewField();
        if (i_ < n && s_[i_] == u'"') {
            blank_ = false;
            // The closing quote first, so the field's buffer is sized once and never left behind.
            std::size_t close = i_ + 1;
            while (close < n && (s_[close] != u'"' || (close + 1 < n && s_[close + 1] == u'"')))
                close += s_[close] == u'"' ? 2 : 1;
            if (close >= n) return Unclosed;
            f.reserve(close - i_);
            for (std::size_t k = i_ + 1; k < close; ++k) {
                const char16_t c = s_[k];
                if (c == 0) return Nul;
                if (c == u'\n' || (c == u'\r' && s_[k + 1] != u'\n')) ++line_;
                f.push_back(c);
                if (c == u'"') ++k;
            }
            i_ = close + 1;
        }
        // Unquoted text, or what follows a closing quote, is taken as it stands.
        const std::size_t end = std::min(s_.find_first_of(u",\r\n", i_), n);
        const std::u16string_view rest = s_.substr(i_, end - i_);
        if (rest.find(u'\0') != std::u16string_view::npos) return Nul;
        if (!rest.empty()) blank_ = false;
        f.append(rest);
        i_ = end;
        if (i_ >= n) return Row;
        const char16_t sep = s_[i_++];
        if (sep == u',') {
            blank_ = false;
            continue;
        }
        if (sep == u'\r' && i_ < n && s_[i_] == u'\n') ++i_;
        ++line_;
        return Row;
    }
}

enum Column { kTitle, kUser, kPassword, kUrl, kNotes, kGroup, kColumns };

struct Alias {
    std::u16string_view name;
    Column column;
};

// The column names of the exporters Keyra knows and a Japanese spreadsheet's, in lower case,
// each column's names in the order they are preferred.
constexpr Alias kAliases[] = {
    {u"title", kTitle}, {u"name", kTitle}, {u"タイトル", kTitle},
    {u"username", kUser}, {u"login_username", kUser}, {u"user", kUser}, {u"login", kUser},
    {u"account", kUser}, {u"ユーザー名", kUser}, {u"id", kUser},
    {u"password", kPassword}, {u"login_password", kPassword}, {u"パスワード", kPassword},
    {u"url", kUrl}, {u"login_uri", kUrl}, {u"website", kUrl}, {u"origin", kUrl}, {u"hostname", kUrl},
    {u"notes", kNotes}, {u"note", kNotes}, {u"comments", kNotes}, {u"comment", kNotes},
    {u"memo", kNotes}, {u"メモ", kNotes},
    {u"group", kGroup}, {u"folder", kGroup}, {u"グループ", kGroup}, {u"フォルダー", kGroup},
};

std::u16string_view Trim(std::u16string_view s) {
    auto space = [](char16_t c) { return c == u' ' || c == u'\t' || c == 0xFEFF || c == 0x3000; };
    while (!s.empty() && space(s.front())) s.remove_prefix(1);
    while (!s.empty() && space(s.back())) s.remove_suffix(1);
    return s;
}

bool SameName(std::u16string_view header, std::u16string_view alias) {
    if (header.size() != alias.size()) return false;
    for (std::size_t i = 0; i < header.size(); ++i) {
        const char16_t c = header[i];
        if ((c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 0x20) : c) != alias[i]) return false;
    }
    return true;
}

// The field index of each column, -1 where the header has none. Where two fields would do,
// the name earlier in kAliases wins ("username" over "id"), then the field further left.
std::array<int, kColumns> MapHeader(const Parser& p) {
    std::array<int, kColumns> col;
    col.fill(-1);
    for (const Alias& a : kAliases) {
        for (int k = 0; k < p.Count() && col[a.column] < 0; ++k) {
            if (SameName(Trim(p.Field(k)), a.name)) col[a.column] = k;
        }
    }
    return col;
}

bool IsBreak(char16_t c) { return c == u'\r' || c == u'\n'; }

// `from` on one line: each line break (CR LF as one) becomes a space.
void OneLine(std::u16string_view from, std::u16string& to) {
    for (std::size_t i = 0; i < from.size(); ++i) {
        if (from[i] == u'\r' && i + 1 < from.size() && from[i + 1] == u'\n') ++i;
        to.push_back(IsBreak(from[i]) ? u' ' : from[i]);
    }
}

// `from` with every line break as CR LF, the memo's own.
void Crlf(std::u16string_view from, std::u16string& to) {
    for (std::size_t i = 0; i < from.size(); ++i) {
        if (!IsBreak(from[i])) {
            to.push_back(from[i]);
            continue;
        }
        if (from[i] == u'\r' && i + 1 < from.size() && from[i + 1] == u'\n') ++i;
        to += u"\r\n";
    }
}

// The host of a URL: without scheme, user info, port, path, query or fragment.
std::u16string_view HostOf(std::u16string_view url) {
    url = Trim(url);
    const std::size_t colon = url.find(u"://");
    if (colon != std::u16string_view::npos && url.substr(0, colon).find_first_of(u"/?#@") == std::u16string_view::npos)
        url.remove_prefix(colon + 3);
    url = url.substr(0, url.find_first_of(u"/?#\\"));
    const std::size_t at = url.rfind(u'@');
    if (at != std::u16string_view::npos) url.remove_prefix(at + 1);
    if (!url.empty() && url.front() == u'[') return url.substr(0, url.find(u']') + 1);  // IPv6
    return url.substr(0, url.find(u':'));
}

// Group "1".."10" as its number, else 0.
int GroupNumber(std::u16string_view s) {
    if (s == u"10") return 10;
    return s.size() == 1 && s[0] >= u'1' && s[0] <= u'9' ? s[0] - u'0' : 0;
}

// One row into `e`; None, or the rule it breaks (`part` then names the text).
Problem MakeEntry(const Parser& p, const std::array<int, kColumns>& col, Entry& e, int& part) {
    KIdData& d = e.texts;
    for (part = 2; part <= 3; ++part) {
        const std::u16string_view one = p.Field(col[part == 2 ? kUser : kPassword]);
        if (one.find_first_of(u"\r\n") != std::u16string_view::npos) return Problem::LineBreak;
    }
    // Each buffer is sized before it is filled: no copy of a text is left behind in freed memory.
    const std::u16string_view group = Trim(p.Field(col[kGroup])), notes = p.Field(col[kNotes]);
    d.Title.reserve(p.Field(col[kTitle]).size());
    OneLine(p.Field(col[kTitle]), d.Title);
    d.Id = p.Field(col[kUser]);
    d.Password = p.Field(col[kPassword]);
    d.Url.reserve(p.Field(col[kUrl]).size());
    OneLine(p.Field(col[kUrl]), d.Url);
    d.Memo.reserve(group.size() + 8 + 2 * notes.size());
    e.group = GroupNumber(group);
    if (e.group == 0 && !group.empty()) {
        // A folder of another program: the memo's first line, where the search finds it.
        d.Memo = u"フォルダー：";
        OneLine(group, d.Memo);
        if (!notes.empty()) d.Memo += u"\r\n";
    }
    Crlf(notes, d.Memo);
    // A row with a group number is Keyra's own, whose empty title stays so; elsewhere an entry
    // without a title is named after its site.
    if (d.Title.empty() && e.group == 0) d.Title = HostOf(d.Url);
    for (part = 1; part <= 4; ++part) {
        if (d.Text(part).size() > static_cast<std::size_t>(KIdData::kFieldMax)) return Problem::TooLong;
    }
    if (d.Memo.size() > static_cast<std::size_t>(KIdData::kMemoMax)) return Problem::TooLong;
    part = 0;
    return Problem::None;
}

void WipeTexts(KIdData& d) {
    for (int p = 1; p <= 5; ++p) kplat::Wipe(d.Text(p));
}

ReadResult Failed(ReadResult& r, Problem problem, int line) {
    Wipe(r.entries);
    r.problem = problem;
    r.line = line;
    return std::move(r);
}

ReadResult ReadText(std::u16string_view text) {
    ReadResult r;
    Parser p(text);
    Parser::Status status;
    while ((status = p.Next()) == Parser::Row && p.Blank()) {
    }
    if (status == Parser::Unclosed) return Failed(r, Problem::UnclosedQuote, p.RowLine());
    if (status == Parser::Nul) return Failed(r, Problem::Encoding, p.Line());
    const std::array<int, kColumns> col = MapHeader(p);
    if (status == Parser::End || (col[kUser] < 0 && col[kPassword] < 0 && col[kUrl] < 0))
        return Failed(r, Problem::NoHeader, status == Parser::End ? 1 : p.RowLine());
    const int columns = p.Count();
    while ((status = p.Next()) == Parser::Row) {
        if (p.Blank()) continue;
        if (p.Count() != columns) {
            r.fields = p.Count();
            r.expected = columns;
            return Failed(r, Problem::FieldCount, p.RowLine());
        }
        Entry& e = r.entries.emplace_back();
        const Problem problem = MakeEntry(p, col, e, r.part);
        if (problem != Problem::None) return Failed(r, problem, p.RowLine());
        if (e.texts.AllEmpty()) {
            WipeTexts(e.texts);
            r.entries.pop_back();
        }
    }
    if (status == Parser::Unclosed) return Failed(r, Problem::UnclosedQuote, p.RowLine());
    if (status == Parser::Nul) return Failed(r, Problem::Encoding, p.Line());
    return r;
}

std::size_t TextHash(const KIdData& d) {
    const std::hash<std::u16string> h;
    return (h(d.Title) * 31 + h(d.Id)) * 31 + h(d.Password);
}

bool SameKey(const KIdData& a, const KIdData& b) {
    return a.Title == b.Title && a.Id == b.Id && a.Password == b.Password;
}

// Bytes of `s` in UTF-8, a lone surrogate as U+FFFD (3 bytes) as kplat::ToUtf8 writes it; and
// whether RFC 4180 wants the field quoted.
std::size_t CsvSize(std::u16string_view s, bool& quote) {
    std::size_t bytes = 0;
    quote = false;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const char16_t c = s[i];
        if (c == u'"' || c == u',' || c == u'\r' || c == u'\n') quote = true;
        if (c == u'"') bytes += 2;
        else if (c < 0x80) bytes += 1;
        else if (c < 0x800) bytes += 2;
        else if (c >= 0xD800 && c <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) bytes += 4, ++i;
        else bytes += 3;
    }
    return bytes + (quote ? 2 : 0);
}

std::uint8_t* PutField(std::uint8_t* o, std::u16string_view s) {
    bool quote = false;
    CsvSize(s, quote);
    if (quote) *o++ = '"';
    for (std::size_t i = 0; i < s.size(); ++i) {
        char32_t c = s[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (s[++i] - 0xDC00);
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        if (c == u'"') *o++ = '"';
        if (c < 0x80) {
            *o++ = static_cast<std::uint8_t>(c);
        } else if (c < 0x800) {
            *o++ = static_cast<std::uint8_t>(0xC0 | (c >> 6));
            *o++ = static_cast<std::uint8_t>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            *o++ = static_cast<std::uint8_t>(0xE0 | (c >> 12));
            *o++ = static_cast<std::uint8_t>(0x80 | ((c >> 6) & 0x3F));
            *o++ = static_cast<std::uint8_t>(0x80 | (c & 0x3F));
        } else {
            *o++ = static_cast<std::uint8_t>(0xF0 | (c >> 18));
            *o++ = static_cast<std::uint8_t>(0x80 | ((c >> 12) & 0x3F));
            *o++ = static_cast<std::uint8_t>(0x80 | ((c >> 6) & 0x3F));
            *o++ = static_cast<std::uint8_t>(0x80 | (c & 0x3F));
        }
    }
    if (quote) *o++ = '"';
    return o;
}

bool Exported(const KIdData& d) { return d.InUse != 0 && !d.AllEmpty(); }

std::u16string Count(int n) { return kstr::Decimal(n) + u"件"; }

const char16_t* PartName(int part) {
    static const char16_t* const kNames[] = {u"タイトル", u"ID", u"パスワード", u"URL", u"メモ"};
    return part >= 1 && part <= 5 ? kNames[part - 1] : u"テキスト";
}

}  // namespace

ReadResult Read(const std::uint8_t* data, std::size_t size) {
    ReadResult r;
    if (size > kMaxFileBytes) return Failed(r, Problem::TooLarge, 0);
    std::u16string text;
    const int bad = Decode(data, size, text);
    if (bad == 0) r = ReadText(text);
    kplat::Wipe(text);
    return bad ? Failed(r, Problem::Encoding, bad) : r;
}

void Wipe(std::vector<Entry>& entries) {
    for (Entry& e : entries) WipeTexts(e.texts);
    entries.clear();
}

Plan PlanImport(const KIdTable& table, int currentGroup, const std::vector<Entry>& entries) {
    Plan plan;
    if (currentGroup < 1 || currentGroup > KIdTable::kGroups) currentGroup = 1;
    std::unordered_multimap<std::size_t, const KIdData*> seen;
    // Whether an entry alike is known already; if not, it is from now on.
    auto known = [&seen](const KIdData& d) {
        const std::size_t h = TextHash(d);
        const auto [first, last] = seen.equal_range(h);
        for (auto it = first; it != last; ++it) {
            if (SameKey(*it->second, d)) return true;
        }
        seen.emplace(h, &d);
        return false;
    };
    for (int i = 0; i < kShown; ++i) {
        if (table[i].InUse) known(table[i]);
        else ++plan.freeSlots;
    }
    plan.slots.assign(entries.size(), kSkipped);
    // Every slot of group g below next[g - 1] is used or given.
    std::array<int, KIdTable::kGroups> next;
    for (int g = 0; g < KIdTable::kGroups; ++g) next[g] = g * KIdTable::kPerGroup;
    for (std::size_t k = 0; k < entries.size(); ++k) {
        if (known(entries[k].texts)) {
            ++plan.skipped;
            continue;
        }
        if (++plan.added > plan.freeSlots) continue;  // counted for the refusal only
        const int start = entries[k].group >= 1 && entries[k].group <= KIdTable::kGroups ? entries[k].group : currentGroup;
        for (int step = 0; step < KIdTable::kGroups; ++step) {
            const int g = (start - 1 + step) % KIdTable::kGroups;
            const int end = (g + 1) * KIdTable::kPerGroup;
            int& n = next[g];
            while (n < end && table[n].InUse) ++n;
            if (n == end) continue;
            plan.slots[k] = n++;
            ++plan.perGroup[g];
            break;
        }
    }
    if (plan.added > plan.freeSlots) {
        plan.fits = false;
        plan.slots.clear();
        plan.perGroup.fill(0);
    }
    return plan;
}

void ApplyImport(KIdTable& table, const Plan& plan, std::vector<Entry>& entries) {
    if (!plan.fits || plan.slots.size() != entries.size()) return;
    for (std::size_t k = 0; k < entries.size(); ++k) {
        if (plan.slots[k] == kSkipped) continue;
        KIdData& d = table[plan.slots[k]];
        d.InUse = 1;
        for (int p = 1; p <= 5; ++p) d.Text(p) = std::move(entries[k].texts.Text(p));
    }
}

std::vector<std::uint8_t> Write(const KIdTable& table) {
    static constexpr std::string_view kHead = "\xEF\xBB\xBFGroup,Title,Username,Password,URL,Notes\r\n";
    // The exact size first, so the buffer with the passwords is never moved and left behind.
    std::size_t size = kHead.size();
    bool quote = false;
    for (int i = 0; i < kShown; ++i) {
        if (!Exported(table[i])) continue;
        size += (i < 900 ? 1 : 2) + 5 + 2;  // group, commas, CR LF
        for (int p = 1; p <= 5; ++p) size += CsvSize(table[i].Text(p), quote);
    }
    std::vector<std::uint8_t> out(size);
    std::uint8_t* o = out.data();
    for (char c : kHead) *o++ = static_cast<std::uint8_t>(c);
    for (int i = 0; i < kShown; ++i) {
        if (!Exported(table[i])) continue;
        const int group = i / KIdTable::kPerGroup + 1;
        if (group == 10) *o++ = '1', *o++ = '0';
        else *o++ = static_cast<std::uint8_t>('0' + group);
        for (int p = 1; p <= 5; ++p) {
            *o++ = ',';
            o = PutField(o, table[i].Text(p));
        }
        *o++ = '\r';
        *o++ = '\n';
    }
    return out;
}

std::u16string ProblemText(const ReadResult& r) {
    static constexpr char16_t kNothing[] = u"何もインポートしていません。";
    static constexpr char16_t kCheck[] = u"ファイルを確認してください。";
    const std::u16string at = kstr::Decimal(r.line) + u"行目：";
    switch (r.problem) {
        case Problem::None: return {};
        case Problem::TooLarge:
            return u"ファイルが大きすぎます（" + kstr::Decimal(kMaxFileBytes >> 20) + u"MBまで）。" + kNothing;
        case Problem::Encoding:
            return at + u"文字を読み取れません。UTF-8、UTF-16、シフトJISのどれかで保存したファイルを選んでください。" + kNothing;
        case Problem::UnclosedQuote: return at + u"引用符（\"）が閉じられていません。" + kCheck + kNothing;
        case Problem::FieldCount:
            return at + u"列の数（" + kstr::Decimal(r.fields) + u"列）が見出しの行（" + kstr::Decimal(r.expected) +
                   u"列）と合いません。" + kCheck + kNothing;
        case Problem::NoHeader:
            return at + u"見出しの行に、パスワード、ユーザー名、URLのどの列も見つかりません（password、username、urlなど）。" +
                   kNothing;
        case Problem::LineBreak: return at + PartName(r.part) + u"に改行が含まれています。" + kCheck + kNothing;
        case Problem::TooLong:
            return at + PartName(r.part) + u"が長すぎます（" +
                   kstr::Decimal(r.part == 5 ? KIdData::kMemoMax : KIdData::kFieldMax) + u"文字まで）。" + kCheck + kNothing;
    }
    return {};
}

std::u16string PlanText(const Plan& plan) {
    if (!plan.fits) {
        return u"インポートするエントリが" + Count(plan.added) + u"ありますが、空きは" + Count(plan.freeSlots) +
               u"しかありません。不要なエントリを削除してから、もう一度インポートしてください。何もインポートしていません。";
    }
    std::u16string text;
    if (plan.added > 0) {
        text = Count(plan.added) + u"のエントリをインポートしました（";
        bool first = true;
        for (int g = 0; g < KIdTable::kGroups; ++g) {
            if (plan.perGroup[g] == 0) continue;
            if (!first) text += u"、";
            text += u"グループ" + kstr::Decimal(g + 1) + u"に" + Count(plan.perGroup[g]);
            first = false;
        }
        text += u"）。";
        if (plan.skipped > 0) text += u"重複していた" + Count(plan.skipped) + u"は読み込んでいません。";
    } else if (plan.skipped > 0) {
        text = Count(plan.skipped) + u"のエントリはどれもすでにあるため、何もインポートしていません。";
    } else {
        text = u"ファイルにエントリがありません。何もインポートしていません。";
    }
    return text;
}

}  // namespace kcsv
