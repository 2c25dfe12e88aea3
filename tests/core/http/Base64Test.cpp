#include "core/net/Base64.h"

#include <gtest/gtest.h>

#include <string>

TEST(Base64, EncodesWithPaddingAndRoundTripsAllBytes) {
    EXPECT_EQ(Base64Encode(""), "");
    EXPECT_EQ(Base64Encode("f"), "Zg==");
    EXPECT_EQ(Base64Encode("fo"), "Zm8=");
    EXPECT_EQ(Base64Encode("foo"), "Zm9v");
    EXPECT_EQ(Base64Encode("foobar"), "Zm9vYmFy");
    EXPECT_EQ(Base64Encode("\xfb\xff"), "+/8=");

    std::string all;
    for (int i = 0; i < 256; ++i)
        all += static_cast<char>(i);
    for (size_t length = 0; length <= all.size(); length += 37) {
        const std::string bytes = all.substr(256 - length);
        const std::string text = Base64Encode(bytes);
        EXPECT_EQ(text.find_first_of("\r\n"), std::string::npos);
        std::string decoded = "stale";
        ASSERT_TRUE(Base64Decode(text, decoded));
        EXPECT_EQ(decoded, bytes);
    }
}

TEST(Base64, DecodeSkipsWhiteSpaceAndStopsAtPadding) {
    std::string bytes;
    EXPECT_TRUE(Base64Decode(" Zm9v\r\nYm\tFy ", bytes));
    EXPECT_EQ(bytes, "foobar");
    EXPECT_TRUE(Base64Decode("Zm8=", bytes));
    EXPECT_EQ(bytes, "fo");
    EXPECT_TRUE(Base64Decode("Zm8", bytes)); // padding may be left off
    EXPECT_EQ(bytes, "fo");
    // Whatever follows "=" is not data, even garbage.
    EXPECT_TRUE(Base64Decode("Zg==!!garbage", bytes));
    EXPECT_EQ(bytes, "f");
    EXPECT_TRUE(Base64Decode("", bytes));
    EXPECT_EQ(bytes, "");
}

TEST(Base64, DecodeRejectsGarbage) {
    std::string bytes;
    EXPECT_FALSE(Base64Decode("Zm9v*mFy", bytes));
    EXPECT_EQ(bytes, "");
    EXPECT_FALSE(Base64Decode("Zm9vY", bytes)); // one character cannot make a byte
    EXPECT_FALSE(Base64Decode(std::string("Zm\0v", 4), bytes));
    EXPECT_FALSE(Base64Decode("Zm9v\xC3\xA4", bytes));
    EXPECT_FALSE(Base64Decode("Zm-_", bytes)); // the URL alphabet is not this one
}
