// Number-to-text conversion shared by the portable code and the windows.
#pragma once
#include <string>

namespace kstr {

// Signed decimal digits, "-" before a negative value; no grouping, no padding.
std::u16string Decimal(long long value);

}  // namespace kstr
