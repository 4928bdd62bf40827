// KVar: the tagged value (integer, real or UTF-16 text) every key and value of a
// key-value document passes through.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

class KVar {
public:
    enum Kind : std::int32_t { Int = 0, Real = 1, Text = 2 };

    KVar() : KVar(std::int32_t{0}) {}
    KVar(std::int32_t value);                 // NOLINT: implicit by design, keys are built from ints
    KVar(const char16_t* text);               // null counts as empty
    KVar(std::u16string_view text);
    KVar(const std::u16string& text) : KVar(std::u16string_view(text)) {}
    KVar(const KVar& other);
    KVar& operator=(const KVar& other);
    KVar& operator=(std::u16string_view text);
    ~KVar();

    void SetInt(std::int32_t value);
    void SetReal(double value);
    void SetText(std::u16string_view text);

    void Reserve(std::int32_t bytes);
    void Append(std::u16string_view text);

    std::int32_t AsInt() const;
    double AsReal() const;
    // Text form; lives in the companion until the next conversion of this value.
    const char16_t* AsText() const;
    std::u16string Str() const { return std::u16string(AsText()); }
    std::int32_t Length() const;
    void Mid(const KVar& source, std::int32_t start, std::int32_t count);

    // Convert this value to b's kind in the companion, add b there, return the companion.
    KVar& operator+(const KVar& b) const;
    bool operator==(const KVar& b) const;

    Kind GetKind() const { return kind_; }
    std::int32_t Capacity() const { return capacity_; }
    bool IsInline() const { return data_ == inline_; }
    std::u16string_view View() const;  // the text payload (empty unless kind Text)

private:
    KVar& Companion() const;
    void ConvertInto(KVar& target, Kind kind) const;

    Kind kind_ = Int;
    unsigned char* data_;
    std::int32_t capacity_ = 8;
    alignas(8) unsigned char inline_[10] = {};
    mutable KVar* companion_ = nullptr;
    std::int32_t length_ = 0;  // code units of a Text payload, so appends need no scan
};
