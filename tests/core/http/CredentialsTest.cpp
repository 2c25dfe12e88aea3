#include "core/net/Credentials.h"

#include "core/net/Base64.h"
#include "core/net/HTTPRequest.h"
#include "core/net/Md5Crypt.h"

#include <gtest/gtest.h>

#include <string>

TEST(Credentials, BasicAcceptedOnlyForTheExactPair) {
    const std::string value = MakeBasicAuthorization("alice", "s3cret");
    EXPECT_EQ(value, "Basic YWxpY2U6czNjcmV0");
    EXPECT_TRUE(CheckCredentials(value, "alice", "s3cret"));
    EXPECT_TRUE(CheckCredentials("basic YWxpY2U6czNjcmV0", "alice", "s3cret"));
    EXPECT_TRUE(CheckCredentials("BASIC YWxp\r\nY2U6 czNjcmV0", "alice", "s3cret"));

    EXPECT_FALSE(CheckCredentials(value, "alice", "s3cre"));
    EXPECT_FALSE(CheckCredentials(value, "Alice", "s3cret"));
    // Only the beginning of "user:password" must not pass, nor anything longer.
    EXPECT_FALSE(CheckCredentials("Basic " + Base64Encode("alice:s3c"), "alice", "s3cret"));
    EXPECT_FALSE(CheckCredentials("Basic " + Base64Encode("alice:s3cret!"), "alice", "s3cret"));
    EXPECT_FALSE(CheckCredentials("Basic " + Base64Encode(std::string("alice:s3cret\0", 13)), "alice", "s3cret"));
    // A decode failure is a rejection, even if the prefix would match.
    EXPECT_FALSE(CheckCredentials("Basic YWxpY2U6czNjcmV0*", "alice", "s3cret"));
    // Empty credentials are still credentials: ":" must be sent for an empty pair.
    EXPECT_TRUE(CheckCredentials(MakeBasicAuthorization("", ""), "", ""));
    EXPECT_FALSE(CheckCredentials("Basic ", "", ""));
}

TEST(Credentials, DigestAcceptedOnlyForTheSamePair) {
    const std::string salt = MakeDigestSalt();
    const std::string value = MakeDigestAuthorization("bob", "p\xC3\xA4ss", salt);
    EXPECT_EQ(value, "Digest " + Md5Crypt("bob:p\xC3\xA4ss", salt));
    EXPECT_TRUE(CheckCredentials(value, "bob", "p\xC3\xA4ss"));
    EXPECT_TRUE(CheckCredentials("dIgEsT" + value.substr(6), "bob", "p\xC3\xA4ss"));

    EXPECT_FALSE(CheckCredentials(value, "bob", "pass"));
    EXPECT_FALSE(CheckCredentials(value, "bo", "b:p\xC3\xA4ss"));
    EXPECT_FALSE(CheckCredentials(value + "x", "bob", "p\xC3\xA4ss"));
    EXPECT_FALSE(CheckCredentials("Digest ", "bob", "p\xC3\xA4ss"));
    // The plain pair in a Digest header proves nothing.
    EXPECT_FALSE(CheckCredentials("Digest bob:p\xC3\xA4ss", "bob", "p\xC3\xA4ss"));
}

TEST(Credentials, OtherSchemesAndMalformedValuesRejected) {
    const std::string basic = MakeBasicAuthorization("u", "p");
    EXPECT_FALSE(CheckCredentials("Bearer " + basic.substr(6), "u", "p"));
    EXPECT_FALSE(CheckCredentials(basic.substr(6), "u", "p")); // no scheme at all
    EXPECT_FALSE(CheckCredentials("", "", ""));
    EXPECT_FALSE(CheckCredentials("Basic", "", ""));
    EXPECT_FALSE(CheckCredentials("Basicx " + basic.substr(6), "u", "p"));
}

TEST(Credentials, SaltIsEightCryptCharactersFromItsParts) {
    // Lowest six bits first: 1 -> '/', 2 -> '0'; 64 needs a second character.
    EXPECT_EQ(MakeDigestSalt(0, 0, 0), "........");
    EXPECT_EQ(MakeDigestSalt(1 | 2 << 6 | 3 << 12, 999, 59), "/01bD.v.");
    // Only 18 random bits fit; higher bits are ignored.
    EXPECT_EQ(MakeDigestSalt(0xFFFC0000u, 0, 0), "........");

    for (int i = 0; i < 20; ++i) {
        const std::string salt = MakeDigestSalt();
        ASSERT_EQ(salt.size(), 8u);
        EXPECT_EQ(salt.find_first_not_of(kCryptAlphabet), std::string::npos) << salt;
    }
}

TEST(Credentials, SetAuthorizationAddsTheHeader) {
    CHTTPRequest request;
    std::string value;
    EXPECT_FALSE(request.LookupHeader("Authorization", value));

    request.SetAuthorization("carol", "pw", false);
    ASSERT_TRUE(request.LookupHeader("Authorization", value));
    EXPECT_EQ(value, "Basic " + Base64Encode("carol:pw"));

    request.SetAuthorization("carol", "pw", true);
    ASSERT_TRUE(request.LookupHeader("Authorization", value));
    ASSERT_EQ(value.substr(0, 10), "Digest $1$");
    EXPECT_EQ(value.size(), 7u + 3u + 8u + 1u + 22u);
    EXPECT_TRUE(CheckCredentials(value, "carol", "pw"));
    EXPECT_FALSE(CheckCredentials(value, "carol", "PW"));
}
