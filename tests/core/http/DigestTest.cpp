#include "core/net/Md5.h"
#include "core/net/Md5Crypt.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::string ShellQuoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) {
        if (c == '\'')
            quoted += "'\\''";
        else
            quoted += c;
    }
    return quoted + "'";
}

// The reference hash from the openssl command line tool, without its line end.
std::string OpensslMd5Crypt(const std::string& text, const std::string& salt) {
    const std::string command = "openssl passwd -1 -salt " + ShellQuoted(salt) + " -- " + ShellQuoted(text);
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr)
        return {};
    std::string output;
    char buffer[256];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        output.append(buffer, n);
    pclose(pipe);
    while (!output.empty() && (output.back() == '\n' || output.back() == '\r'))
        output.pop_back();
    return output;
}

} // namespace

TEST(Md5, MatchesRfc1321Vectors) {
    EXPECT_EQ(CMd5::HexDigest(""), "d41d8cd98f00b204e9800998ecf8427e");
    EXPECT_EQ(CMd5::HexDigest("a"), "0cc175b9c0f1b6a831c399e269772661");
    EXPECT_EQ(CMd5::HexDigest("abc"), "900150983cd24fb0d6963f7d28e17f72");
    EXPECT_EQ(CMd5::HexDigest("message digest"), "f96b697d7cb7938d525a2f31aaf161d0");
    EXPECT_EQ(CMd5::HexDigest("abcdefghijklmnopqrstuvwxyz"), "c3fcd3d76192e4007dfb496cca67e13b");
    EXPECT_EQ(CMd5::HexDigest("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789"),
              "d174ab98d277d9f5a5611c2c9f419d9f");
    std::string eightyDigits;
    for (int i = 0; i < 8; ++i)
        eightyDigits += "1234567890";
    EXPECT_EQ(CMd5::HexDigest(eightyDigits), "57edf4a22be3c955ac49da2e2107b67a");
}

TEST(Md5, PiecewiseUpdatesEqualOneShotAcrossBlockBoundaries) {
    // Lengths around the 56-byte padding edge and the 64-byte block.
    for (size_t length : {55u, 56u, 57u, 63u, 64u, 65u, 119u, 120u, 1000u}) {
        std::string text;
        for (size_t i = 0; i < length; ++i)
            text += static_cast<char>('a' + i * 7 % 26);
        for (size_t piece : {1u, 3u, 63u, 64u}) {
            CMd5 md5;
            for (size_t at = 0; at < text.size(); at += piece)
                md5.Update(text.substr(at, piece));
            EXPECT_EQ(CMd5::ToHex(md5.Final()), CMd5::HexDigest(text)) << length << "/" << piece;
        }
    }
    // Final resets: the same object can digest again.
    CMd5 md5;
    md5.Update("junk");
    md5.Final();
    md5.Update("abc");
    EXPECT_EQ(CMd5::ToHex(md5.Final()), "900150983cd24fb0d6963f7d28e17f72");
}

TEST(Md5Crypt, MatchesOpensslPasswd) {
    ASSERT_EQ(OpensslMd5Crypt("password", "saltsalt").substr(0, 3), "$1$") << "openssl is needed for this test";
    const std::vector<std::string> texts = {
        "",
        "a",
        "password",
        "user:secret",
        "it's \"quoted\" with spaces",
        "p\xC3\xA4sswo\xCC\x88rd",                               // UTF-8, precomposed and combining
        "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E:\xF0\x9F\x94\x91", // Japanese and an emoji
        std::string(15, 'x'),
        std::string(16, 'x'),
        std::string(17, 'y'),
        std::string(33, 'z'),
        std::string(200, 'q'),
    };
    const std::vector<std::string> salts = {"", "a", "ab", "xyz", "./09AZaz", "12345678", "saltsaltOVERLONG", "Zq/.w"};
    for (const std::string& text : texts)
        for (const std::string& salt : salts)
            EXPECT_EQ(Md5Crypt(text, salt), OpensslMd5Crypt(text, salt)) << "text=" << text << " salt=" << salt;
}

TEST(Md5Crypt, SaltEndsAtDollarAndSkipsMagic) {
    const std::string plain = Md5Crypt("secret", "abcd");
    EXPECT_EQ(plain.substr(0, 8), "$1$abcd$");
    EXPECT_EQ(plain.size(), 8u + 22u);
    EXPECT_EQ(Md5Crypt("secret", "$1$abcd"), plain);
    EXPECT_EQ(Md5Crypt("secret", "abcd$rest"), plain);
    // A complete hash used as the salt reproduces itself: that is how it is verified.
    EXPECT_EQ(Md5Crypt("secret", plain), plain);
    EXPECT_NE(Md5Crypt("Secret", plain), plain);
    EXPECT_EQ(Md5Crypt("secret", "$1$"), Md5Crypt("secret", ""));
}
