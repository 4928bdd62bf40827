// The master password's cryptography through CNG, bcrypt.dll loaded from System32 only.
#include <windows.h>

#include <bcrypt.h>

#include <stdexcept>

#include "framework/syslib.h"
#include "storage/kplatform.h"
#include "core/kerror.h"
#include "storage/kvault.h"

#ifndef STATUS_AUTH_TAG_MISMATCH
#define STATUS_AUTH_TAG_MISMATCH static_cast<NTSTATUS>(0xC000A002L)
#endif

namespace {

struct CngCalls {
    kf::SystemLibrary lib{L"bcrypt.dll"};
    decltype(BCryptOpenAlgorithmProvider)* open = lib.Proc<decltype(BCryptOpenAlgorithmProvider)>("BCryptOpenAlgorithmProvider");
    decltype(BCryptCloseAlgorithmProvider)* close = lib.Proc<decltype(BCryptCloseAlgorithmProvider)>("BCryptCloseAlgorithmProvider");
    decltype(BCryptDeriveKeyPBKDF2)* pbkdf2 = lib.Proc<decltype(BCryptDeriveKeyPBKDF2)>("BCryptDeriveKeyPBKDF2");
    decltype(BCryptGenRandom)* random = lib.Proc<decltype(BCryptGenRandom)>("BCryptGenRandom");
    decltype(BCryptSetProperty)* setProperty = lib.Proc<decltype(BCryptSetProperty)>("BCryptSetProperty");
    decltype(BCryptGenerateSymmetricKey)* makeKey = lib.Proc<decltype(BCryptGenerateSymmetricKey)>("BCryptGenerateSymmetricKey");
    decltype(BCryptDestroyKey)* destroyKey = lib.Proc<decltype(BCryptDestroyKey)>("BCryptDestroyKey");
    decltype(BCryptEncrypt)* encrypt = lib.Proc<decltype(BCryptEncrypt)>("BCryptEncrypt");
    decltype(BCryptDecrypt)* decrypt = lib.Proc<decltype(BCryptDecrypt)>("BCryptDecrypt");

    bool Complete() const {
        return open && close && pbkdf2 && random && setProperty && makeKey && destroyKey && encrypt && decrypt;
    }
};

const CngCalls& Cng() {
    static const CngCalls calls;
    if (!calls.Complete()) throw KError(u"Windows の暗号化機能を読み込めませんでした。");
    return calls;
}

// `what` names the call for a debugger; the user is told the status only.
void Check(NTSTATUS status, const char* what) {
    (void)what;
    if (BCRYPT_SUCCESS(status)) return;
    static constexpr char16_t digits[] = u"0123456789ABCDEF";
    std::u16string hex;
    for (int k = 28; k >= 0; k -= 4) hex += digits[(static_cast<unsigned long>(status) >> k) & 15];
    throw KError(u"Windows の暗号化機能でエラーが起きました（エラーコード：0x" + hex + u"）。");
}

class Algorithm {
public:
    Algorithm(const wchar_t* id, ULONG flags) {
        Check(Cng().open(&h_, id, nullptr, flags), "BCryptOpenAlgorithmProvider failed");
    }
    ~Algorithm() { Cng().close(h_, 0); }
    Algorithm(const Algorithm&) = delete;
    Algorithm& operator=(const Algorithm&) = delete;
    BCRYPT_ALG_HANDLE get() const { return h_; }

private:
    BCRYPT_ALG_HANDLE h_ = nullptr;
};

// An AES-256-GCM key; CNG keeps its own copy, destroyed (and wiped by CNG) with the handle.
class GcmKey {
public:
    explicit GcmKey(const std::uint8_t* key) : aes_(BCRYPT_AES_ALGORITHM, 0) {
        Check(Cng().setProperty(aes_.get(), BCRYPT_CHAINING_MODE,
                                reinterpret_cast<PUCHAR>(const_cast<wchar_t*>(BCRYPT_CHAIN_MODE_GCM)),
                                sizeof(BCRYPT_CHAIN_MODE_GCM), 0),
              "BCryptSetProperty failed");
        Check(Cng().makeKey(aes_.get(), &h_, nullptr, 0, const_cast<PUCHAR>(key), KCipher::kKeyBytes, 0),
              "BCryptGenerateSymmetricKey failed");
    }
    ~GcmKey() { Cng().destroyKey(h_); }
    GcmKey(const GcmKey&) = delete;
    GcmKey& operator=(const GcmKey&) = delete;
    BCRYPT_KEY_HANDLE get() const { return h_; }

private:
    Algorithm aes_;
    BCRYPT_KEY_HANDLE h_ = nullptr;
};

BCRYPT_AUTHENTICATED_CIPHER_MODE_INFO ModeInfo(const std::vector<std::uint8_t>& nonce,
                                               const std::vector<std::uint8_t>& aad, std::uint8_t* tag) {
    BCRYPT_AUTHENTICATED_CIPHER_MODE_INFO info;
    BCRYPT_INIT_AUTH_MODE_INFO(info);
    info.pbNonce = const_cast<PUCHAR>(nonce.data());
    info.cbNonce = static_cast<ULONG>(nonce.size());
    info.pbAuthData = aad.empty() ? nullptr : const_cast<PUCHAR>(aad.data());
    info.cbAuthData = static_cast<ULONG>(aad.size());
    info.pbTag = tag;
    info.cbTag = KCipher::kTagBytes;
    return info;
}

class CngCipher : public KCipher {
public:
    void Random(std::uint8_t* out, std::size_t size) override {
        Check(Cng().random(nullptr, out, static_cast<ULONG>(size), BCRYPT_USE_SYSTEM_PREFERRED_RNG),
              "BCryptGenRandom failed");
    }

    void DeriveKey(std::string_view password, const std::vector<std::uint8_t>& salt, std::uint32_t iterations,
                   std::uint8_t* key, std::size_t keySize) override {
        Algorithm hmac(BCRYPT_SHA256_ALGORITHM, BCRYPT_ALG_HANDLE_HMAC_FLAG);
        // An empty password is passed as one byte of zero length: CNG refuses a null pointer.
        UCHAR none = 0;
        Check(Cng().pbkdf2(hmac.get(),
                           password.empty() ? &none : reinterpret_cast<PUCHAR>(const_cast<char*>(password.data())),
                           static_cast<ULONG>(password.size()), const_cast<PUCHAR>(salt.data()),
                           static_cast<ULONG>(salt.size()), iterations, key, static_cast<ULONG>(keySize), 0),
              "BCryptDeriveKeyPBKDF2 failed");
    }

    std::vector<std::uint8_t> Seal(const std::uint8_t* key, const std::vector<std::uint8_t>& nonce,
                                   const std::vector<std::uint8_t>& aad,
                                   const std::vector<std::uint8_t>& plain) override {
        GcmKey k(key);
        std::vector<std::uint8_t> out(plain.size() + kTagBytes);
        auto info = ModeInfo(nonce, aad, out.data() + plain.size());
        ULONG written = 0;
        Check(Cng().encrypt(k.get(), const_cast<PUCHAR>(plain.data()), static_cast<ULONG>(plain.size()), &info,
                            nullptr, 0, out.data(), static_cast<ULONG>(plain.size()), &written, 0),
              "BCryptEncrypt failed");
        return out;
    }

    bool Open(const std::uint8_t* key, const std::vector<std::uint8_t>& nonce, const std::vector<std::uint8_t>& aad,
              const std::vector<std::uint8_t>& sealed, std::vector<std::uint8_t>& plain) override {
        plain.clear();
        if (sealed.size() < kTagBytes) return false;
        const std::size_t size = sealed.size() - kTagBytes;
        GcmKey k(key);
        std::vector<std::uint8_t> tag(sealed.end() - kTagBytes, sealed.end());
        auto info = ModeInfo(nonce, aad, tag.data());
        std::vector<std::uint8_t> out(size);
        ULONG written = 0;
        const NTSTATUS status = Cng().decrypt(k.get(), const_cast<PUCHAR>(sealed.data()), static_cast<ULONG>(size),
                                              &info, nullptr, 0, out.data(), static_cast<ULONG>(size), &written, 0);
        if (status == STATUS_AUTH_TAG_MISMATCH) {
            kplat::Wipe(out);
            return false;
        }
        Check(status, "BCryptDecrypt failed");
        plain = std::move(out);
        return true;
    }
};

}  // namespace

KCipher& SystemCipher() {
    static CngCipher cipher;
    return cipher;
}
