#include "app/urlrule.h"

namespace {

bool IsAsciiLetter(char16_t c) { return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z'); }
bool IsDigit(char16_t c) { return c >= u'0' && c <= u'9'; }
bool IsSpace(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\x3000'; }
bool IsControl(char16_t c) { return c < 0x20 || c == 0x7F; }

// A letter, digit or hyphen of a host name; names beyond ASCII (例え.jp) count as letters.
bool IsHostChar(char16_t c) { return IsAsciiLetter(c) || IsDigit(c) || c == u'-' || c >= 0x80; }

std::u16string Lower(std::u16string_view s) {
    std::u16string out(s);
    for (auto& c : out)
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    return out;
}

// The length of the host name at the start of `s` (labels of host characters joined by single
// dots, at least two labels, none starting or ending with a hyphen); 0 when there is none.
std::size_t HostLength(std::u16string_view s) {
    std::size_t i = 0, labels = 0;
    for (;;) {
        const std::size_t start = i;
        while (i < s.size() && IsHostChar(s[i])) ++i;
        if (i == start || s[start] == u'-' || s[i - 1] == u'-') return 0;
        ++labels;
        if (i < s.size() && s[i] == u'.' && i + 1 < s.size() && IsHostChar(s[i + 1])) {
            ++i;
            continue;
        }
        return labels >= 2 ? i : 0;
    }
}

// After the host: nothing, a port, then nothing or a path, query or fragment.
bool RestOfBareAddressFits(std::u16string_view rest) {
    std::size_t i = 0;
    if (i < rest.size() && rest[i] == u':') {
        const std::size_t digits = ++i;
        while (i < rest.size() && IsDigit(rest[i])) ++i;
        if (i == digits) return false;
    }
    return i == rest.size() || rest[i] == u'/' || rest[i] == u'?' || rest[i] == u'#';
}

}  // namespace

KWebAddress WebAddress(std::u16string_view field) {
    std::size_t b = 0, e = field.size();
    while (b < e && IsSpace(field[b])) ++b;
    while (e > b && IsSpace(field[e - 1])) --e;
    const std::u16string_view text = field.substr(b, e - b);
    KWebAddress result;
    if (text.empty()) return result;
    for (char16_t c : text)
        if (IsControl(c)) return result;

    std::u16string address;
    const std::size_t colon = text.find(u':');
    const std::size_t end = text.find_first_of(u"/?#\\");
    const bool hasScheme = colon != std::u16string_view::npos && (end == std::u16string_view::npos || colon < end);
    if (hasScheme) {
        const std::u16string scheme = Lower(text.substr(0, colon));
        if (scheme == u"http" || scheme == u"https") {
            // A host must follow: "https://" alone, or "http:\\x", is no web page.
            const std::u16string_view rest = text.substr(colon + 1);
            if (rest.size() < 3 || rest.substr(0, 2) != u"//" || rest[2] == u'/' || rest[2] == u'\\') return result;
            address.assign(text);
        } else {
            // "bank.example.jp:8443/login": a host with a port, not a scheme.
            const std::size_t host = HostLength(text);
            if (host != colon || !RestOfBareAddressFits(text.substr(host))) return result;
            address = u"https://" + std::u16string(text);
        }
    } else {
        const std::size_t host = HostLength(text);
        if (host == 0 || !RestOfBareAddressFits(text.substr(host))) return result;
        address = u"https://" + std::u16string(text);
    }
    std::u16string quoted;
    quoted.reserve(address.size());
    for (char16_t c : address) {
        if (c == u' ') quoted += u"%20";
        else if (c == u'"') quoted += u"%22";
        else quoted += c;
    }
    result.open = true;
    result.address = std::move(quoted);
    return result;
}

std::u16string NotOpenedText(bool copied) {
    std::u16string text = u"この URL は Web ページのアドレスではないため、開きませんでした。";
    if (copied) text += u"\r\nURL はクリップボードにコピーしました。";
    return text;
}
