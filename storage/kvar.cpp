#include "storage/kvar.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <new>
#include <string>

#include "storage/kplatform.h"

namespace {

// Texts end at their first zero unit, as they do once they are in the payload.
std::u16string_view UpToZero(std::u16string_view text) {
    const auto zero = text.find(char16_t{0});
    return zero == std::u16string_view::npos ? text : text.substr(0, zero);
}

bool IsBlank(char16_t c) {
    return c == u' ' || (c >= u'\t' && c <= u'\r');
}

std::int32_t ParseInt(std::u16string_view t) {
    std::size_t i = 0;
    while (i < t.size() && IsBlank(t[i])) ++i;
    bool negative = false;
    if (i < t.size() && (t[i] == u'+' || t[i] == u'-')) {
        negative = t[i] == u'-';
        ++i;
    }
    // Unsigned arithmetic: long digit strings wrap instead of overflowing.
    std::uint32_t value = 0;
    while (i < t.size() && t[i] >= u'0' && t[i] <= u'9') {
        value = value * 10u + static_cast<std::uint32_t>(t[i] - u'0');
        ++i;
    }
    if (negative) value = 0u - value;
    return static_cast<std::int32_t>(value);
}

double ParseReal(std::u16string_view t) {
    // Only the decimal form is taken: strtod alone would also read hex ("0x1"), "inf" and
    // "nan", so a file of another program could pass as ours. The prefix is cut here first.
    std::size_t i = 0;
    while (i < t.size() && (t[i] == u' ' || (t[i] >= u'\t' && t[i] <= u'\r'))) ++i;
    const std::size_t start = i;
    const auto digits = [&] {
        const std::size_t from = i;
        while (i < t.size() && t[i] >= u'0' && t[i] <= u'9') ++i;
        return i - from;
    };
    if (i < t.size() && (t[i] == u'+' || t[i] == u'-')) ++i;
    std::size_t mantissa = digits();
    if (i < t.size() && t[i] == u'.') {
        ++i;
        mantissa += digits();
    }
    if (mantissa == 0) return 0.0;
    std::size_t end = i;
    if (i < t.size() && (t[i] == u'e' || t[i] == u'E')) {
        ++i;
        if (i < t.size() && (t[i] == u'+' || t[i] == u'-')) ++i;
        if (digits() > 0) end = i;
    }
    std::string narrow;
    narrow.reserve(end - start);
    for (std::size_t k = start; k < end; ++k) narrow.push_back(static_cast<char>(t[k]));
    return std::strtod(narrow.c_str(), nullptr);
}

std::int32_t TruncReal(double d) {
    // A plain cast of an out-of-range double is undefined; saturate instead.
    if (std::isnan(d)) return 0;
    if (d >= 2147483647.0) return std::numeric_limits<std::int32_t>::max();
    if (d <= -2147483648.0) return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(d);
}

std::u16string IntToText(std::int32_t v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%ld", static_cast<long>(v));
    std::u16string out;
    for (const char* p = buf; *p; ++p) out.push_back(static_cast<char16_t>(*p));
    return out;
}

std::u16string RealToText(double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.15g", v);
    std::u16string wide = kplat::AnsiToUtf16(buf);
    if (wide.size() > 40) wide.resize(40);
    return wide;
}

}  // namespace

KVar::KVar(std::int32_t value) : data_(inline_) { SetInt(value); }

KVar::KVar(const char16_t* text) : data_(inline_) {
    SetText(text ? std::u16string_view(text) : std::u16string_view());
}

KVar::KVar(std::u16string_view text) : data_(inline_) { SetText(text); }

KVar::KVar(const KVar& other) : data_(inline_) { *this = other; }

KVar& KVar::operator=(const KVar& other) {
    if (this == &other) return *this;
    switch (other.kind_) {
        case Int: SetInt(other.AsInt()); break;
        case Real: SetReal(other.AsReal()); break;
        case Text: SetText(other.View()); break;
    }
    return *this;
}

KVar& KVar::operator=(std::u16string_view text) {
    SetText(text);
    return *this;
}

KVar::~KVar() {
    if (capacity_ > 8) std::free(data_);
    delete companion_;
}

void KVar::SetInt(std::int32_t value) {
    Reserve(8);
    kind_ = Int;
    std::memcpy(data_, &value, sizeof value);
}

void KVar::SetReal(double value) {
    Reserve(8);
    kind_ = Real;
    std::memcpy(data_, &value, sizeof value);
}

void KVar::SetText(std::u16string_view text) {
    text = UpToZero(text);
    const auto bytes = static_cast<std::size_t>(text.size()) * 2;
    if (bytes > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max() - 2)) throw std::bad_alloc();
    // The source may live in our own buffer, which Reserve may release.
    std::u16string keep;
    const auto* own = reinterpret_cast<const char16_t*>(data_);
    if (!text.empty() && text.data() >= own && text.data() < own + capacity_ / 2 + 1) {
        keep.assign(text);
        text = keep;
    }
    Reserve(static_cast<std::int32_t>(bytes));
    kind_ = Text;
    if (bytes) std::memmove(data_, text.data(), bytes);
    data_[bytes] = 0;
    data_[bytes + 1] = 0;
    length_ = static_cast<std::int32_t>(text.size());
}

void KVar::Reserve(std::int32_t bytes) {
    if (capacity_ >= bytes) return;
    if (capacity_ > 8) std::free(data_);
    // Until the new block is there the value is the empty inline text, so a failure
    // leaves it consistent rather than pointing at freed memory.
    data_ = inline_;
    capacity_ = 8;
    std::memset(inline_, 0, sizeof inline_);
    kind_ = Text;
    length_ = 0;
    void* block = std::calloc(static_cast<std::size_t>(bytes) + 2, 1);
    if (!block) throw std::bad_alloc();
    data_ = static_cast<unsigned char*>(block);
    capacity_ = bytes;
}

void KVar::Append(std::u16string_view text) {
    text = UpToZero(text);
    if (kind_ != Text) {
        // Appending to a number starts from its text form.
        const std::u16string mine(AsText());
        SetText(mine);
    }
    const std::size_t a = static_cast<std::size_t>(length_) * 2;
    const std::size_t b = text.size() * 2;
    if (a + b > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max() - 2)) throw std::bad_alloc();
    const auto total = static_cast<std::int32_t>(a + b);
    if (capacity_ < total) {
        void* block = std::calloc(static_cast<std::size_t>(total) + 2, 1);
        if (!block) throw std::bad_alloc();
        auto* fresh = static_cast<unsigned char*>(block);
        std::memcpy(fresh, data_, a);
        if (b) std::memcpy(fresh + a, text.data(), b);
        if (capacity_ > 8) std::free(data_);
        data_ = fresh;
        capacity_ = total;
    } else if (b) {
        std::memmove(data_ + a, text.data(), b);
    }
    data_[a + b] = 0;
    data_[a + b + 1] = 0;
    length_ = total / 2;
}

std::int32_t KVar::AsInt() const {
    switch (kind_) {
        case Int: {
            std::int32_t v;
            std::memcpy(&v, data_, sizeof v);
            return v;
        }
        case Real: {
            double d;
            std::memcpy(&d, data_, sizeof d);
            return TruncReal(d);
        }
        case Text: return ParseInt(View());
    }
    return 0;
}

double KVar::AsReal() const {
    switch (kind_) {
        case Int: return static_cast<double>(AsInt());
        case Real: {
            double d;
            std::memcpy(&d, data_, sizeof d);
            return d;
        }
        case Text: return ParseReal(View());
    }
    return 0.0;
}

const char16_t* KVar::AsText() const {
    KVar& c = Companion();
    ConvertInto(c, Text);
    return reinterpret_cast<const char16_t*>(c.data_);
}

std::int32_t KVar::Length() const { return kind_ == Text ? length_ : 0; }

std::u16string_view KVar::View() const {
    if (kind_ != Text) return {};
    return {reinterpret_cast<const char16_t*>(data_), static_cast<std::size_t>(length_)};
}

void KVar::Mid(const KVar& source, std::int32_t start, std::int32_t count) {
    if (source.kind_ != Text) return;
    const std::int32_t len = source.length_;
    if (start < 0 || start >= len || count <= 0) return;
    const std::int32_t n = count < len - start ? count : len - start;
    const std::u16string piece(source.View().substr(static_cast<std::size_t>(start), static_cast<std::size_t>(n)));
    SetText(piece);
}

KVar& KVar::operator+(const KVar& b) const {
    KVar& c = Companion();
    ConvertInto(c, b.kind_);
    switch (b.kind_) {
        case Int:
            c.SetInt(static_cast<std::int32_t>(static_cast<std::uint32_t>(c.AsInt()) +
                                               static_cast<std::uint32_t>(b.AsInt())));
            break;
        case Real: c.SetReal(c.AsReal() + b.AsReal()); break;
        case Text: c.Append(b.View()); break;
    }
    return c;
}

bool KVar::operator==(const KVar& b) const {
    KVar& c = Companion();
    ConvertInto(c, b.kind_);
    switch (b.kind_) {
        case Int: return c.AsInt() == b.AsInt();
        case Real: return c.AsReal() == b.AsReal();
        case Text: return c.View() == b.View();
    }
    return false;
}

KVar& KVar::Companion() const {
    if (!companion_) companion_ = new KVar(std::int32_t{0});
    return *companion_;
}

void KVar::ConvertInto(KVar& target, Kind kind) const {
    switch (kind) {
        case Int: target.SetInt(AsInt()); break;
        case Real: target.SetReal(AsReal()); break;
        case Text:
            switch (kind_) {
                case Int: target.SetText(IntToText(AsInt())); break;
                case Real: target.SetText(RealToText(AsReal())); break;
                case Text: target.SetText(View()); break;
            }
            break;
    }
}
