#include "core/store/TextCompare.h"

#include <gtest/gtest.h>

#include <string>

TEST(TextCompare, FoldsAsciiAndNothingElseInAscii) {
    EXPECT_TRUE(EqualsIgnoreCaseUtf8("PC1.example.ORG", "pc1.Example.org"));
    EXPECT_TRUE(EqualsIgnoreCaseUtf8("", ""));
    EXPECT_FALSE(EqualsIgnoreCaseUtf8("pc1", "pc2"));
    EXPECT_FALSE(EqualsIgnoreCaseUtf8("pc1", "pc1 "));
    EXPECT_FALSE(EqualsIgnoreCaseUtf8("pc", "pc1"));
    // '@' and '`' sit next to the letters; '[' is 'A' + 26.
    EXPECT_FALSE(EqualsIgnoreCaseUtf8("@", "`"));
    EXPECT_FALSE(EqualsIgnoreCaseUtf8("[", "{"));
}

TEST(TextCompare, FoldsLatinGreekAndCyrillicLetters) {
    EXPECT_TRUE(EqualsIgnoreCaseUtf8("ÉCOLE", "école"));
    EXPECT_TRUE(EqualsIgnoreCaseUtf8("ÀÖØÞ", "àöøþ"));
    EXPECT_FALSE(EqualsIgnoreCaseUtf8("×", "÷")); // U+00D7 and U+00F7 are not letters
    EXPECT_TRUE(EqualsIgnoreCaseUtf8("ŁÓDŹ", "łódź"));
    EXPECT_TRUE(EqualsIgnoreCaseUtf8("ĽŇŸ", "ľňÿ"));
    EXPECT_TRUE(EqualsIgnoreCaseUtf8("ΑΘΗΝΑ", "αθηνα"));
    EXPECT_TRUE(EqualsIgnoreCaseUtf8("ΆΏ", "άώ"));
    EXPECT_TRUE(EqualsIgnoreCaseUtf8("ΟΔΟΣ", "οδος"));
    EXPECT_TRUE(EqualsIgnoreCaseUtf8("οδος", "οδοσ")); // final sigma
    EXPECT_TRUE(EqualsIgnoreCaseUtf8("МОСКВА", "москва"));
    EXPECT_TRUE(EqualsIgnoreCaseUtf8("ЁЇЎ", "ёїў"));
    EXPECT_TRUE(EqualsIgnoreCaseUtf8("ҐӁ", "ґӂ"));
    EXPECT_FALSE(EqualsIgnoreCaseUtf8("МОСКВА", "MOCKBA")); // Cyrillic is not Latin
    // Only one-to-one folds are made.
    EXPECT_FALSE(EqualsIgnoreCaseUtf8("Straße", "STRASSE"));
    EXPECT_FALSE(EqualsIgnoreCaseUtf8("é", "e"));
}

TEST(TextCompare, InvalidBytesCompareBytewise) {
    const std::string latin1Upper = "\xC9"
                                    "COLE"; // "ÉCOLE" in Latin-1, not UTF-8
    const std::string latin1Lower = "\xE9"
                                    "cole";
    EXPECT_TRUE(EqualsIgnoreCaseUtf8(latin1Upper, "\xC9"
                                                  "cole"));
    EXPECT_FALSE(EqualsIgnoreCaseUtf8(latin1Upper, latin1Lower));
    // A stray byte never equals a whole character, nor the start of one.
    EXPECT_FALSE(EqualsIgnoreCaseUtf8("\xC3", "\xC3\xA9"));
    EXPECT_FALSE(EqualsIgnoreCaseUtf8("\xC3\xA9", "\xC3\x89\x80"));
    // An overlong 'A' (C1 81) is two raw bytes, not a letter.
    EXPECT_FALSE(EqualsIgnoreCaseUtf8("\xC1\x81", "a"));
    EXPECT_TRUE(EqualsIgnoreCaseUtf8("\xC1\x81", "\xC1\x81"));
    // A cut sequence at the end is compared byte for byte.
    EXPECT_TRUE(EqualsIgnoreCaseUtf8("HOST\xE2\x82", "host\xE2\x82"));
    EXPECT_FALSE(EqualsIgnoreCaseUtf8("host\xE2\x82", "host\xE2\x83"));
}
