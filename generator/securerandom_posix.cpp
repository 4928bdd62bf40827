// The secure generator of the native build: the kernel's random source.
#include <sys/random.h>

#include <cerrno>
#include <stdexcept>

#include "generator/randompass.h"

std::uint32_t SecureRandom32() {
    std::uint32_t v = 0;
    auto* p = reinterpret_cast<unsigned char*>(&v);
    std::size_t got = 0;
    while (got < sizeof v) {
        const ssize_t n = getrandom(p + got, sizeof v - got, 0);
        if (n < 0) {
            if (errno == EINTR) continue;
            throw std::runtime_error("getrandom failed");
        }
        got += static_cast<std::size_t>(n);
    }
    return v;
}
