// CRC-32 (the polynomial of ZIP and PNG): enough to notice an accident in a file, not an attack.
#pragma once
#include <cstddef>
#include <cstdint>

namespace kcrc {

// Continues `crc` (0 to begin) over `size` bytes.
std::uint32_t Crc32(const void* data, std::size_t size, std::uint32_t crc = 0);

}  // namespace kcrc
