// The data file under a master password: a key derived from the password, the document
// sealed with it, and the container that carries the sealed document in the scrambled file
// format. The container's marker line "Keyra" reads 0, so that copies of the program that know
// nothing of it refuse the file through their foreign-file path and leave it as it is.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class KIni;

// The cryptography the container needs. The Windows build uses CNG (SystemCipher, in
// kcipher_win.cpp); tests use a stand-in. Failures of the system throw std::runtime_error.
class KCipher {
public:
    static constexpr std::size_t kKeyBytes = 32;
    static constexpr std::size_t kSaltBytes = 16;
    static constexpr std::size_t kNonceBytes = 12;
    static constexpr std::size_t kTagBytes = 16;

    virtual ~KCipher() = default;
    virtual void Random(std::uint8_t* out, std::size_t size) = 0;
    // PBKDF2-HMAC-SHA256 into `key` (`keySize` bytes).
    virtual void DeriveKey(std::string_view password, const std::vector<std::uint8_t>& salt,
                           std::uint32_t iterations, std::uint8_t* key, std::size_t keySize) = 0;
    // AES-256-GCM: the ciphertext followed by the tag.
    virtual std::vector<std::uint8_t> Seal(const std::uint8_t* key, const std::vector<std::uint8_t>& nonce,
                                           const std::vector<std::uint8_t>& aad,
                                           const std::vector<std::uint8_t>& plain) = 0;
    // False when the tag does not match (wrong key or changed bytes); `plain` is then empty.
    virtual bool Open(const std::uint8_t* key, const std::vector<std::uint8_t>& nonce,
                      const std::vector<std::uint8_t>& aad, const std::vector<std::uint8_t>& sealed,
                      std::vector<std::uint8_t>& plain) = 0;
};

#ifdef _WIN32
KCipher& SystemCipher();
#endif

// The key derived from the master password, kept in memory only while the program runs.
class KMasterKey {
public:
    // Today's recommended PBKDF2-HMAC-SHA256 count; every key the program makes has at least this.
    static constexpr std::uint32_t kIterations = 600000;
    // A file asking for more than this is not taken: it would hold the start for hours.
    static constexpr std::uint32_t kMaxIterations = 100000000;

    KMasterKey() = default;
    ~KMasterKey() { Clear(); }
    // Copies carry the key too; each wipes its own at the end.
    KMasterKey(const KMasterKey& other) { *this = other; }
    KMasterKey& operator=(const KMasterKey& other);

    bool Active() const { return active_; }
    std::uint32_t Iterations() const { return iterations_; }
    const std::vector<std::uint8_t>& Salt() const { return salt_; }
    const std::uint8_t* Key() const { return key_; }
    KCipher* Cipher() const { return cipher_; }

    // A new key from `password` under a fresh salt.
    void Create(KCipher& cipher, std::u16string_view password, std::uint32_t iterations = kIterations);
    // The key of `password` under a known salt and count.
    void Derive(KCipher& cipher, std::u16string_view password, const std::vector<std::uint8_t>& salt,
                std::uint32_t iterations);
    // Whether `password` gives this key (derived with its salt and count, compared in constant
    // time). False when no key is set.
    bool Matches(std::u16string_view password) const;
    void Clear();
    // Takes over the other's key; the other is left empty.
    void MoveFrom(KMasterKey& other);

private:
    bool active_ = false;
    std::uint8_t key_[KCipher::kKeyBytes] = {};
    std::vector<std::uint8_t> salt_;
    std::uint32_t iterations_ = 0;
    KCipher* cipher_ = nullptr;
};

namespace kvault {

constexpr char16_t kFormatName[] = u"KeyraVault";
constexpr int kVersion = 1;

// What a loaded container holds, before any password is tried.
struct Header {
    int version = 0;
    std::uint32_t iterations = 0;
    std::vector<std::uint8_t> salt, nonce, sealed;
};

// Whether a loaded document is a container (whatever its marker says).
bool IsContainer(KIni& doc);
// False when the container is of a version this program does not know or is malformed.
bool ReadHeader(KIni& doc, Header& header);
// With the key of the right password (derived with the header's salt and count): true and
// `plain` the document's text.
bool OpenWith(const Header& header, const KMasterKey& key, std::u16string& plain);
// Replaces `out`'s lines with the container of `plain` sealed under `key` (a fresh nonce).
void Seal(const KMasterKey& key, std::u16string_view plain, KIni& out);

// Bytes as units 0x1000..0x1FFF, 12 bits each: no line break, "=", backslash or zero unit
// can occur, and the file grows by a third rather than doubling as hex would.
std::u16string PackBytes(const std::vector<std::uint8_t>& bytes);
// False when the text is not `size` bytes packed so.
bool UnpackBytes(std::u16string_view text, std::size_t size, std::vector<std::uint8_t>& bytes);

}  // namespace kvault
