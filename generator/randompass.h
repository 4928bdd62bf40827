// Random passwords: five character classes, a class for every position so that each kind of
// character the type asks for occurs, then one character per position. The draws come from a
// random source: the system's secure generator in the program, the 15-bit sequence in tests.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

class KRandomSource {
public:
    virtual ~KRandomSource() = default;
    // A value from a to b inclusive.
    virtual int RandRange(int a, int b) = 0;
};

// The 15-bit sequence: state := state * 22695477 + 1, value := (state >> 16) & 0x7FFF.
class KSeq15Random : public KRandomSource {
public:
    explicit KSeq15Random(std::uint32_t seed = 0) : state_(seed) {}
    void SetSeed(std::uint32_t seed) { state_ = seed; }
    int Next();
    // a + trunc(Next() * (b - a + 1) / 32768): exactly one Next() per call, also when a = b.
    int RandRange(int a, int b) override;

private:
    std::uint32_t state_;
};

// The system's cryptographically secure generator, with ranges free of modulo bias.
class KSecureRandom : public KRandomSource {
public:
    int RandRange(int a, int b) override;
};
// 32 random bits from the system's secure generator (one per platform); throws on failure.
std::uint32_t SecureRandom32();
// An unbiased value in [0, n) from a source of 32-bit words (n >= 1); rejects the top
// remainder of the 2^32 range.
template <class Words>
std::uint32_t UniformBelow(std::uint32_t n, Words&& words) {
    const std::uint32_t limit = static_cast<std::uint32_t>(0x100000000ull - 0x100000000ull % n);
    for (;;) {
        const std::uint32_t w = words();
        if (limit == 0 || w < limit) return w % n;
    }
}

namespace krandom {
constexpr int kClassCount = 5;
constexpr int kTypeCount = 5;
constexpr int kMaxLength = 30;
constexpr int kPositions = 50;

// Class c's characters; a character is picked by a 1-based index.
std::u16string_view ClassChars(int c);
// The items of the type box, by index.
std::u16string_view TypeName(int type);

// With a chance of 1 in n gives class c to one randomly chosen unassigned position;
// returns how many positions are still unassigned (class 0).
int PlaceClass(int* classes, int length, int c, int n, KRandomSource& rnd);
void AssignClasses(int* classes, int length, int type, KRandomSource& rnd);
void DrawCharacters(char16_t* chars, const int* classes, int length, KRandomSource& rnd);

enum class Outcome { Nothing, TooLong, Made };
struct Result {
    Outcome outcome = Outcome::Nothing;
    std::u16string password;
};
// The text of the length box as a decimal number, 0 when it is not one.
int LengthOf(std::u16string_view text);
// One generation from the length box's text and the type box's selection (-1: none).
Result GenerateRandom(std::u16string_view lengthText, int type, KRandomSource& rnd);

constexpr char16_t kTooLongMessage[] = u"31桁以上のパスワードは作成できません";
}  // namespace krandom
