// The secure generator of the program: the system's preferred random number generator.
#include <windows.h>

#include <bcrypt.h>

#include "core/kerror.h"
#include "framework/syslib.h"
#include "generator/randompass.h"

std::uint32_t SecureRandom32() {
    // Loaded at the first use and kept until the program ends.
    static const kf::SystemLibrary cng(L"bcrypt.dll");
    static auto* const genRandom = cng.Proc<decltype(BCryptGenRandom)>("BCryptGenRandom");
    std::uint32_t v = 0;
    if (!genRandom || !BCRYPT_SUCCESS(genRandom(nullptr, reinterpret_cast<PUCHAR>(&v), sizeof v,
                                                BCRYPT_USE_SYSTEM_PREFERRED_RNG)))
        throw KError(u"Windows の乱数の機能でエラーが起きたため、パスワードを作成できませんでした。"
                     u"もう一度 generate を押してください。続くときは、Windows を再起動してください。");
    return v;
}
