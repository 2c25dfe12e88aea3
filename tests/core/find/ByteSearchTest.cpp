#include "core/find/ByteSearch.h"
#include "core/find/TextOffset.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

std::string RandomText(std::mt19937& random, std::size_t length, const std::string& alphabet) {
    std::string text(length, '\0');
    for (char& c : text)
        c = alphabet[random() % alphabet.size()];
    return text;
}

} // namespace

TEST(ByteSearch, AgreesWithStringFindOnRandomTexts) {
    std::mt19937 random(4126);
    const std::string alphabets[] = {"ab", "abc", "aab", std::string("\x00\xff\x80z", 4)};
    int found = 0;
    for (int i = 0; i < 4000; ++i) {
        const std::string& alphabet = alphabets[i % 4];
        const std::string text = RandomText(random, random() % 200, alphabet);
        std::string pattern;
        if (i % 3 == 0 && !text.empty()) {
            // Cut from the text so that long patterns match too.
            const std::size_t from = random() % text.size();
            pattern = text.substr(from, 1 + random() % 12);
        } else {
            pattern = RandomText(random, 1 + random() % 8, alphabet);
        }
        const std::size_t expected = text.find(pattern);
        ASSERT_EQ(FindBytes(text, pattern), expected) << "text '" << text << "' pattern '" << pattern << "'";
        found += expected != std::string::npos;
    }
    EXPECT_GT(found, 1500); // the alphabets are small enough for frequent matches
}

TEST(ByteSearch, ShiftOfTwoDoesNotSkipAMatch) {
    // "aba" at "xaaba": the mismatch at 'a' (which occurs right of it in the
    // pattern) takes the shift of 2, straight onto the match.
    EXPECT_EQ(FindBytes("xaaba", "aba"), 2u);
    EXPECT_EQ(FindBytes("aaaba", "aba"), 2u);
    EXPECT_EQ(FindBytes("abaaba", "aaba"), 2u);
    EXPECT_EQ(FindBytes("bbbab", "bab"), 2u);
}

TEST(ByteSearch, EdgesOfTheInput) {
    EXPECT_EQ(FindBytes("anything", ""), CByteSearch::npos);
    EXPECT_EQ(FindBytes("", ""), CByteSearch::npos);
    EXPECT_EQ(FindBytes("abc", "abcd"), CByteSearch::npos);
    EXPECT_EQ(FindBytes("", "a"), CByteSearch::npos);
    EXPECT_EQ(FindBytes("abc", "abc"), 0u);
    EXPECT_EQ(FindBytes("xxabc", "abc"), 2u);
    EXPECT_EQ(FindBytes("abcabc", "abc"), 0u); // the first occurrence
    EXPECT_EQ(FindBytes("ABC", "abc"), CByteSearch::npos);
    EXPECT_EQ(FindBytes("x\xe6\x97\xa5\xe6\x9c\xac", "\xe6\x9c\xac"), 4u);

    // A search cut short by the stop flag gives up.
    const std::string big(1 << 20, 'a');
    std::atomic<bool> stop{true};
    EXPECT_EQ(CByteSearch("b").Find(big + "b", &stop), CByteSearch::npos);
    stop = false;
    EXPECT_EQ(CByteSearch("b").Find(big + "b", &stop), big.size());
}

TEST(TextOffset, LineBreaksAndWideCharactersCountAsTheEditorCounts) {
    using textoffset::CharOffset;
    using textoffset::CharOffsetOf;
    using textoffset::CharRangeOf;

    const std::string text = "ab\r\ncd\nef";
    EXPECT_EQ(CharOffsetOf(text, 4), (CharOffset{3, 3})); // "\r\n" is one character
    EXPECT_EQ(CharOffsetOf(text, 7), (CharOffset{6, 6}));
    EXPECT_EQ(CharOffsetOf(text, 3), (CharOffset{2, 2})); // inside "\r\n": its start
    EXPECT_EQ(CharOffsetOf(text, 100), (CharOffset{8, 8}));

    // "日本\n語" then a character beyond U+FFFF (two UTF-16 units).
    const std::string japanese = "\xe6\x97\xa5\xe6\x9c\xac\n\xe8\xaa\x9e\xf0\x9f\x93\x9dx";
    const std::size_t offset = FindBytes(japanese, "\xe8\xaa\x9e");
    ASSERT_EQ(offset, 7u);
    const auto range = CharRangeOf(japanese, offset, 3);
    EXPECT_EQ(range.Start, (CharOffset{3, 3}));
    EXPECT_EQ(range.Utf16Length(), 1u);
    EXPECT_EQ(CharOffsetOf(japanese, 14), (CharOffset{6, 5}));
    // A range ending inside a character covers it whole.
    const auto partial = CharRangeOf(japanese, 1, 2);
    EXPECT_EQ(partial.Start, (CharOffset{0, 0}));
    EXPECT_EQ(partial.End, (CharOffset{1, 1}));
    // Bytes that are not UTF-8 count one each.
    EXPECT_EQ(CharOffsetOf("\xff\xe6\x97x", 4), (CharOffset{4, 4}));
    EXPECT_EQ(CharRangeOf("abc", 2, 100).CodePointLength(), 1u);
}
