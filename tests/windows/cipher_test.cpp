#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "storage/kvault.h"

namespace {

std::vector<std::uint8_t> Bytes(const std::string& hex) {
    std::vector<std::uint8_t> out;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) out.push_back(static_cast<std::uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return out;
}

std::vector<std::uint8_t> Text(const std::string& s) { return std::vector<std::uint8_t>(s.begin(), s.end()); }

TEST(SystemCipher, Pbkdf2Sha256GivesThePublishedKeys) {
    struct Case {
        std::string password, salt;
        std::uint32_t iterations;
        std::string key;
    } cases[] = {
        // RFC 7914, section 11.
        {"passwd", "salt", 1,
         "55ac046e56e3089fec1691c22544b605f94185216dde0465e68b9d57c20dacbc49ca9cccf179b645991664b39d77ef317c71b845b1e30bd509112041d3a19783"},
        {"password", "salt", 4096, "c5e478d59288c841aa530db6845c4c8d962893a001ce4e11a4963873aa98134a"},
    };
    for (const Case& c : cases) {
        std::vector<std::uint8_t> key(c.key.size() / 2);
        SystemCipher().DeriveKey(c.password, Text(c.salt), c.iterations, key.data(), key.size());
        EXPECT_EQ(key, Bytes(c.key)) << c.password << " " << c.iterations;
    }
}

TEST(SystemCipher, AesGcmMatchesTheGcmTestCaseAndRefusesAnyChange) {
    // The published AES-256 GCM test vector with a 96-bit IV and associated data.
    const auto key = Bytes("feffe9928665731c6d6a8f9467308308feffe9928665731c6d6a8f9467308308");
    const auto plain = Bytes(
        "d9313225f88406e5a55909c5aff5269a86a7a9531534f7da2e4c303d8a318a721c3c0c95956809532fcf0e2449a6b525b16aedf5aa0de657ba637b39");
    const auto aad = Bytes("feedfacedeadbeeffeedfacedeadbeefabaddad2");
    const auto iv = Bytes("cafebabefacedbaddecaf888");
    const auto expected = Bytes(
        "522dc1f099567d07f47f37a32a84427d643a8cdcbfe5c0c97598a2bd2555d1aa8cb08e48590dbb3da7b08b1056828838c5f61e6393ba7a0abcc9f662"
        "76fc6ece0f4e1768cddf8853bb2d551b");
    const auto sealed = SystemCipher().Seal(key.data(), iv, aad, plain);
    EXPECT_EQ(sealed, expected);

    std::vector<std::uint8_t> opened;
    ASSERT_TRUE(SystemCipher().Open(key.data(), iv, aad, sealed, opened));
    EXPECT_EQ(opened, plain);
    // A changed byte of the ciphertext, the tag or the associated data.
    for (std::size_t at : {std::size_t{0}, sealed.size() - 1}) {
        auto changed = sealed;
        changed[at] ^= 0x01;
        EXPECT_FALSE(SystemCipher().Open(key.data(), iv, aad, changed, opened)) << at;
        EXPECT_TRUE(opened.empty());
    }
    auto otherAad = aad;
    otherAad[3] ^= 0x80;
    EXPECT_FALSE(SystemCipher().Open(key.data(), iv, otherAad, sealed, opened));
}

}  // namespace
