#include "generator/randompass.h"

#include <limits>

int KSeq15Random::Next() {
    state_ = state_ * 22695477u + 1u;
    return static_cast<int>((state_ >> 16) & 0x7FFF);
}

int KSeq15Random::RandRange(int a, int b) {
    const int r = Next();
    return a + static_cast<int>(static_cast<double>(r) * (static_cast<double>(b) - a + 1) / 32768.0);
}

int KSecureRandom::RandRange(int a, int b) {
    if (b <= a) return a;
    const auto n = static_cast<std::uint32_t>(static_cast<std::int64_t>(b) - a + 1);
    return a + static_cast<int>(UniformBelow(n, [] { return SecureRandom32(); }));
}

namespace krandom {
namespace {
constexpr std::u16string_view kClasses[kClassCount] = {
    u"1234567890", u"23456789", u"abcdefghijkmnpqrstuvwxyz", u"ABCDEFGHJKLMNPQRSTUVWXYZ", u"#$-?@_"};
constexpr std::u16string_view kTypes[kTypeCount] = {u"数字", u"小英字 + 数字", u"小英字 + 数字 + 記号",
                                                     u"大小英字 + 数字 ", u"大小英字 + 数字 + 記号"};

int Unassigned(const int* classes, int length) {
    int n = 0;
    for (int p = 0; p < length; ++p) n += classes[p] == 0;
    return n;
}

// The type's loop: pass after pass until a placement leaves nothing unassigned.
template <std::size_t N>
void Loop(int* classes, int length, const int (&steps)[N][2], KRandomSource& rnd) {
    for (;;)
        for (const auto& s : steps)
            if (PlaceClass(classes, length, s[0], s[1], rnd) == 0) return;
}
}  // namespace

std::u16string_view ClassChars(int c) { return c >= 0 && c < kClassCount ? kClasses[c] : std::u16string_view(); }
std::u16string_view TypeName(int type) { return type >= 0 && type < kTypeCount ? kTypes[type] : std::u16string_view(); }

int PlaceClass(int* classes, int length, int c, int n, KRandomSource& rnd) {
    if (rnd.RandRange(0, n - 1) == 0 && Unassigned(classes, length) > 0) {
        for (;;) {
            const int p = rnd.RandRange(0, length - 1);
            if (classes[p] == 0) {
                classes[p] = c;
                break;
            }
        }
    }
    return Unassigned(classes, length);
}

void AssignClasses(int* classes, int length, int type, KRandomSource& rnd) {
    for (int p = 0; p < length; ++p) classes[p] = 0;
    if (length < 4 || type <= 0 || type >= kTypeCount) return;
    if (type <= 2) {
        classes[0] = 2;
        if (PlaceClass(classes, length, 1, 1, rnd) == 0) return;
        if (type == 1) {
            static const int loop[][2] = {{2, 1}, {1, 2}};
            Loop(classes, length, loop, rnd);
            return;
        }
        if (PlaceClass(classes, length, 4, 1, rnd) == 0) return;
        static const int loop[][2] = {{2, 1}, {1, 2}, {4, 10}};
        Loop(classes, length, loop, rnd);
        return;
    }
    classes[0] = rnd.RandRange(2, 3);
    if (PlaceClass(classes, length, classes[0] == 2 ? 3 : 2, 1, rnd) == 0) return;
    if (PlaceClass(classes, length, 1, 1, rnd) == 0) return;
    if (type == 3) {
        static const int loop[][2] = {{2, 1}, {1, 2}, {3, 2}};
        Loop(classes, length, loop, rnd);
        return;
    }
    if (PlaceClass(classes, length, 4, 1, rnd) == 0 || length == 4) return;
    static const int loop[][2] = {{2, 1}, {1, 2}, {3, 2}, {4, 10}};
    Loop(classes, length, loop, rnd);
}

void DrawCharacters(char16_t* chars, const int* classes, int length, KRandomSource& rnd) {
    for (int p = 0; p < length; ++p) {
        const std::u16string_view s = ClassChars(classes[p]);
        chars[p] = s[static_cast<std::size_t>(rnd.RandRange(1, static_cast<int>(s.size())) - 1)];
    }
}

int LengthOf(std::u16string_view text) {
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) negative = text[i++] == u'-';
    if (i == text.size()) return 0;
    long long v = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < u'0' || text[i] > u'9') return 0;
        v = v * 10 + (text[i] - u'0');
        if (v > std::numeric_limits<int>::max()) return 0;
    }
    return static_cast<int>(negative ? -v : v);
}

Result GenerateRandom(std::u16string_view lengthText, int type, KRandomSource& rnd) {
    Result r;
    const int n = LengthOf(lengthText);
    if (n == 0) return r;
    if (n > kMaxLength) {
        r.outcome = Outcome::TooLong;
        return r;
    }
    if (type < 0) return r;
    r.outcome = Outcome::Made;
    if (n < 0) return r;  // only by pasting; nothing to make
    int classes[kPositions] = {};
    char16_t chars[kPositions] = {};
    AssignClasses(classes, n, type, rnd);
    DrawCharacters(chars, classes, n, rnd);
    r.password.assign(chars, static_cast<std::size_t>(n));
    return r;
}
}  // namespace krandom
