// The secure generator of the program: the system's preferred random number generator.
#include <windows.h>

#include <bcrypt.h>

#include <stdexcept>

#include "generator/randompass.h"

std::uint32_t SecureRandom32() {
    std::uint32_t v = 0;
    if (!BCRYPT_SUCCESS(BCryptGenRandom(nullptr, reinterpret_cast<PUCHAR>(&v), sizeof v,
                                        BCRYPT_USE_SYSTEM_PREFERRED_RNG)))
        throw std::runtime_error("BCryptGenRandom failed");
    return v;
}
