#include "core/kdpi.h"

#include <cstdint>

namespace kdpi {

int MulDivRound(int number, int numerator, int denominator) {
    if (denominator == 0) return -1;
    std::int64_t n = number, d = denominator;
    if (d < 0) {
        n = -n;
        d = -d;
    }
    const std::int64_t p = n * numerator;
    const std::int64_t r = p >= 0 ? (p + d / 2) / d : (p - d / 2) / d;
    if (r > INT32_MAX || r < -INT32_MAX) return -1;
    return static_cast<int>(r);
}

}  // namespace kdpi
