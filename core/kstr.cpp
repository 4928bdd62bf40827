#include "core/kstr.h"

namespace kstr {

std::u16string Decimal(long long value) {
    // Work on the unsigned magnitude so that the lowest value needs no special case.
    unsigned long long magnitude = value < 0 ? 0ULL - static_cast<unsigned long long>(value)
                                             : static_cast<unsigned long long>(value);
    char16_t digits[24];
    char16_t* end = digits + sizeof digits / sizeof digits[0];
    char16_t* p = end;
    do {
        *--p = static_cast<char16_t>(u'0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (value < 0) *--p = u'-';
    return std::u16string(p, end);
}

}  // namespace kstr
