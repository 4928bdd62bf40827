#include "storage/kvault.h"

#include <cstring>

#include "core/kstr.h"
#include "storage/kini.h"
#include "storage/kplatform.h"
#include "storage/kvar.h"

// ---- the key ----

namespace {

void DeriveInto(KCipher& cipher, std::u16string_view password, const std::vector<std::uint8_t>& salt,
                std::uint32_t iterations, std::uint8_t* key) {
    std::string utf8 = kplat::ToUtf8(password);
    try {
        cipher.DeriveKey(utf8, salt, iterations, key, KCipher::kKeyBytes);
    } catch (...) {
        kplat::Wipe(utf8);
        throw;
    }
    kplat::Wipe(utf8);
}

}  // namespace

void KMasterKey::Create(KCipher& cipher, std::u16string_view password, std::uint32_t iterations) {
    std::vector<std::uint8_t> salt(KCipher::kSaltBytes);
    cipher.Random(salt.data(), salt.size());
    Derive(cipher, password, salt, iterations < kIterations ? kIterations : iterations);
}

void KMasterKey::Derive(KCipher& cipher, std::u16string_view password, const std::vector<std::uint8_t>& salt,
                        std::uint32_t iterations) {
    std::uint8_t key[KCipher::kKeyBytes];
    DeriveInto(cipher, password, salt, iterations, key);
    Clear();
    std::memcpy(key_, key, sizeof key_);
    kplat::SecureWipe(key, sizeof key);
    salt_ = salt;
    iterations_ = iterations;
    cipher_ = &cipher;
    active_ = true;
}

bool KMasterKey::Matches(std::u16string_view password) const {
    if (!active_ || !cipher_) return false;
    std::uint8_t key[KCipher::kKeyBytes];
    DeriveInto(*cipher_, password, salt_, iterations_, key);
    unsigned diff = 0;
    for (std::size_t i = 0; i < sizeof key; ++i) diff |= static_cast<unsigned>(key[i] ^ key_[i]);
    kplat::SecureWipe(key, sizeof key);
    return diff == 0;
}

void KMasterKey::Clear() {
    kplat::SecureWipe(key_, sizeof key_);
    salt_.clear();
    iterations_ = 0;
    active_ = false;
}

KMasterKey& KMasterKey::operator=(const KMasterKey& other) {
    if (this == &other) return *this;
    Clear();
    std::memcpy(key_, other.key_, sizeof key_);
    salt_ = other.salt_;
    iterations_ = other.iterations_;
    cipher_ = other.cipher_;
    active_ = other.active_;
    return *this;
}

void KMasterKey::MoveFrom(KMasterKey& other) {
    *this = other;
    other.Clear();
}

// ---- the container ----

namespace kvault {
namespace {

constexpr char16_t kFormatKey[] = u"$Format";
constexpr char16_t kVersionKey[] = u"$Version";
constexpr char16_t kIterationsKey[] = u"$Iterations";
constexpr char16_t kSaltKey[] = u"$Salt";
constexpr char16_t kNonceKey[] = u"$Nonce";
constexpr char16_t kSizeKey[] = u"$Size";
constexpr char16_t kDataKey[] = u"$Data";

std::u16string Hex(const std::vector<std::uint8_t>& bytes) {
    static constexpr char16_t digits[] = u"0123456789abcdef";
    std::u16string s;
    for (std::uint8_t b : bytes) {
        s += digits[b >> 4];
        s += digits[b & 15];
    }
    return s;
}

int HexValue(char16_t c) {
    if (c >= u'0' && c <= u'9') return c - u'0';
    if (c >= u'a' && c <= u'f') return c - u'a' + 10;
    return -1;
}

bool FromHex(std::u16string_view s, std::size_t size, std::vector<std::uint8_t>& out) {
    if (s.size() != size * 2) return false;
    out.assign(size, 0);
    for (std::size_t i = 0; i < size; ++i) {
        const int hi = HexValue(s[2 * i]), lo = HexValue(s[2 * i + 1]);
        if (hi < 0 || lo < 0) return false;
        out[i] = static_cast<std::uint8_t>(hi * 16 + lo);
    }
    return true;
}

// Plain decimal digits only, no sign, no blanks.
bool ParseCount(std::u16string_view s, std::uint64_t limit, std::uint64_t& value) {
    if (s.empty() || s.size() > 12) return false;
    value = 0;
    for (char16_t c : s) {
        if (c < u'0' || c > u'9') return false;
        value = value * 10 + static_cast<std::uint64_t>(c - u'0');
    }
    return value <= limit;
}

std::u16string Text(KIni& doc, const char16_t* key) { return std::u16string(doc.Read(KVar(key)).View()); }

// The header as authenticated: every line that decides how the rest is read.
std::vector<std::uint8_t> AssociatedData(int version, std::uint32_t iterations, const std::vector<std::uint8_t>& salt,
                                         const std::vector<std::uint8_t>& nonce) {
    const std::u16string text = std::u16string(kFormatName) + u"\n" + kstr::Decimal(version) + u"\n" +
                                kstr::Decimal(static_cast<long long>(iterations)) + u"\n" + Hex(salt) + u"\n" +
                                Hex(nonce);
    const std::string utf8 = kplat::ToUtf8(text);
    return std::vector<std::uint8_t>(utf8.begin(), utf8.end());
}

std::vector<std::uint8_t> BytesOf(std::u16string_view text) {
    std::vector<std::uint8_t> bytes(text.size() * 2);
    for (std::size_t i = 0; i < text.size(); ++i) {
        bytes[2 * i] = static_cast<std::uint8_t>(text[i] & 0xFF);
        bytes[2 * i + 1] = static_cast<std::uint8_t>(text[i] >> 8);
    }
    return bytes;
}

}  // namespace

std::u16string PackBytes(const std::vector<std::uint8_t>& bytes) {
    std::u16string s;
    s.reserve((bytes.size() * 2 + 2) / 3);
    const std::size_t n = bytes.size();
    for (std::size_t i = 0; i < n; i += 3) {
        const unsigned b0 = bytes[i];
        const unsigned b1 = i + 1 < n ? bytes[i + 1] : 0u;
        const unsigned b2 = i + 2 < n ? bytes[i + 2] : 0u;
        s += static_cast<char16_t>(0x1000 | (b0 << 4) | (b1 >> 4));
        if (i + 1 < n) s += static_cast<char16_t>(0x1000 | ((b1 & 15u) << 8) | b2);
    }
    return s;
}

bool UnpackBytes(std::u16string_view text, std::size_t size, std::vector<std::uint8_t>& bytes) {
    if (text.size() != (size * 2 + 2) / 3) return false;
    bytes.assign(size, 0);
    for (std::size_t i = 0, u = 0; i < size; i += 3, u += 2) {
        const unsigned a = text[u];
        if ((a & 0xF000u) != 0x1000u) return false;
        bytes[i] = static_cast<std::uint8_t>((a >> 4) & 0xFF);
        if (i + 1 >= size) {
            if (a & 15u) return false;
            break;
        }
        const unsigned b = text[u + 1];
        if ((b & 0xF000u) != 0x1000u) return false;
        bytes[i + 1] = static_cast<std::uint8_t>(((a & 15u) << 4) | ((b >> 8) & 15u));
        if (i + 2 < size)
            bytes[i + 2] = static_cast<std::uint8_t>(b & 0xFF);
        else if (b & 0xFF)
            return false;
    }
    return true;
}

bool IsContainer(KIni& doc) { return Text(doc, kFormatKey) == kFormatName; }

bool ReadHeader(KIni& doc, Header& header) {
    // Exactly the lines Seal writes, in its order: a changed byte anywhere is refused, also in
    // the lines that are not authenticated.
    static const char16_t* const names[] = {u"Keyra", kFormatKey, kVersionKey, kIterationsKey,
                                            kSaltKey,  kNonceKey,  kSizeKey,    kDataKey};
    if (doc.LineCount() != 8 || doc.Line(0) != u"Keyra=0") return false;
    for (int i = 0; i < 8; ++i)
        if (doc.LineName(i) != names[i]) return false;
    std::uint64_t version = 0, iterations = 0, size = 0;
    if (!IsContainer(doc) || !ParseCount(Text(doc, kVersionKey), 1000, version) || version != kVersion) return false;
    if (!ParseCount(Text(doc, kIterationsKey), KMasterKey::kMaxIterations, iterations) || iterations == 0) return false;
    if (!ParseCount(Text(doc, kSizeKey), kplat::kMaxFileBytes, size) || size < KCipher::kTagBytes) return false;
    header.version = static_cast<int>(version);
    header.iterations = static_cast<std::uint32_t>(iterations);
    return FromHex(Text(doc, kSaltKey), KCipher::kSaltBytes, header.salt) &&
           FromHex(Text(doc, kNonceKey), KCipher::kNonceBytes, header.nonce) &&
           UnpackBytes(doc.Read(KVar(kDataKey)).View(), static_cast<std::size_t>(size), header.sealed);
}

bool OpenWith(const Header& header, const KMasterKey& key, std::u16string& plain) {
    if (!key.Active() || !key.Cipher() || key.Salt() != header.salt || key.Iterations() != header.iterations)
        return false;
    std::vector<std::uint8_t> bytes;
    if (!key.Cipher()->Open(key.Key(), header.nonce,
                            AssociatedData(header.version, header.iterations, header.salt, header.nonce),
                            header.sealed, bytes))
        return false;
    if (bytes.size() % 2 != 0) {
        kplat::Wipe(bytes);
        return false;
    }
    kplat::Wipe(plain);
    plain.resize(bytes.size() / 2);
    for (std::size_t i = 0; i < plain.size(); ++i)
        plain[i] = static_cast<char16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    kplat::Wipe(bytes);
    return true;
}

void Seal(const KMasterKey& key, std::u16string_view plain, KIni& out) {
    KCipher& cipher = *key.Cipher();
    std::vector<std::uint8_t> nonce(KCipher::kNonceBytes);
    cipher.Random(nonce.data(), nonce.size());
    std::vector<std::uint8_t> bytes = BytesOf(plain);
    std::vector<std::uint8_t> sealed;
    try {
        sealed = cipher.Seal(key.Key(), nonce, AssociatedData(kVersion, key.Iterations(), key.Salt(), nonce), bytes);
    } catch (...) {
        kplat::Wipe(bytes);
        throw;
    }
    kplat::Wipe(bytes);
    out.Clear();
    out.Write(KVar(0), KVar(u"Keyra"));
    out.Write(KVar(kFormatName), KVar(kFormatKey));
    out.Write(KVar(kVersion), KVar(kVersionKey));
    out.Write(KVar(kstr::Decimal(static_cast<long long>(key.Iterations()))), KVar(kIterationsKey));
    out.Write(KVar(Hex(key.Salt())), KVar(kSaltKey));
    out.Write(KVar(Hex(nonce)), KVar(kNonceKey));
    out.Write(KVar(kstr::Decimal(static_cast<long long>(sealed.size()))), KVar(kSizeKey));
    out.AppendLine(std::u16string(kDataKey) + u"=" + PackBytes(sealed));
}

}  // namespace kvault
