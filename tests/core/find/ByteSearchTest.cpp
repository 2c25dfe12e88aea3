#include "core/find/ByteSearch.h"
#include "core/find/TextOffset.h"

#include <gtest/gtest.h>

#include <string>

TEST(ByteSearch, FindsTheMatchAtEveryPlaceAroundTheFilterSteps) {
    // Places are filtered sixteen at a time and the rest one by one; the
    // pattern's rare bytes ('q', 'z') sit at its ends or inside.
    const std::atomic<bool> running{false};
    for (const std::string pattern : {"q", "zq", "aqz", "qaaaaaaaaaaaaaaaaaaz", "aaqaa"}) {
        for (std::size_t length : {16u, 17u, 33u, 70u}) {
            for (std::size_t at = 0; at + pattern.size() <= length; ++at) {
                std::string text(length, 'a');
                text.replace(at, pattern.size(), pattern);
                ASSERT_EQ(FindBytes(text, pattern), at) << pattern << " in " << text;
                ASSERT_EQ(CByteSearch(pattern).Find(text, &running), at) << pattern << " in " << text;
            }
        }
    }
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
