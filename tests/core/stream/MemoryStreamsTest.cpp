#include "core/stream/BinToHexOutputStream.h"
#include "core/stream/BufferedInputStream.h"
#include "core/stream/HexToBinInputStream.h"
#include "core/stream/MemInputStream.h"
#include "core/stream/MemOutputStream.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(MemInputStream, ReadsToTheEndAndStepsBack) {
    CMemInputStream in("abcde", 5);
    char buf[8] = {};
    EXPECT_EQ(in.Read(buf, 3), 3);
    EXPECT_EQ(in.Available(), 2);
    EXPECT_EQ(in.Read(buf, 3), 2);
    EXPECT_EQ(std::string(buf, 2), "de");
    EXPECT_EQ(in.Read(buf, 3), 0);
    EXPECT_EQ(in.Seek(-1, 1), 4);
    EXPECT_EQ(in.Read(buf, 1), 1);
    EXPECT_EQ(buf[0], 'e');
}

TEST(MemInputStream, SeekOutsideTheDataLeavesThePosition) {
    CMemInputStream in("abcde", 5);
    EXPECT_EQ(in.Seek(6, 0), -1);
    EXPECT_EQ(in.Seek(-1, 0), -1);
    EXPECT_EQ(in.Seek(5, 0), 5); // the end itself is a valid target
    EXPECT_EQ(in.Seek(-6, 1), -1);
    EXPECT_EQ(in.Seek(2, 2), -1); // from the end is not supported
    EXPECT_EQ(in.Seek(-5, 1), 0);
    char c = 0;
    EXPECT_EQ(in.Read(&c, 1), 1);
    EXPECT_EQ(c, 'a');
}

TEST(MemInputStream, EmptyAndSetData) {
    CMemInputStream empty("abc", 0);
    char buf[4];
    EXPECT_EQ(empty.Read(buf, 4), 0);
    EXPECT_EQ(CMemInputStream(nullptr, 3).Available(), 0);

    CMemInputStream in("abc", 3);
    in.Read(buf, 2);
    in.SetData(nullptr, 5); // ignored: data and position stay
    EXPECT_EQ(in.Available(), 1);
    in.SetData("xy", 2); // replaced and rewound
    EXPECT_EQ(in.Read(buf, 4), 2);
    EXPECT_EQ(std::string(buf, 2), "xy");
}

TEST(MemOutputStream, GrowsToExactlyTheLengthNeeded) {
    CMemOutputStream out(4);
    EXPECT_EQ(out.GetCapacity(), 4);
    EXPECT_EQ(out.Write("abc", 3), 3);
    EXPECT_EQ(out.GetCapacity(), 4);
    EXPECT_EQ(out.Write("def", 3), 3);
    EXPECT_EQ(out.GetCapacity(), 6);
    EXPECT_EQ(out.GetLength(), 6);
    EXPECT_EQ(out.ToString(), "abcdef");

    out.Reset();
    EXPECT_EQ(out.GetCapacity(), 0);
    EXPECT_EQ(out.GetLength(), 0);
    EXPECT_EQ(out.GetBuffer(), nullptr);
    out.Write("z", 1);
    EXPECT_EQ(out.ToString(), "z");

    CMemOutputStream none(0);
    EXPECT_EQ(none.GetBuffer(), nullptr);
    EXPECT_EQ(none.Write("q", 0), 0);
}

TEST(HexStreams, EncodeUpperCasePairs) {
    CMemOutputStream text;
    CBinToHexOutputStream hex(&text);
    const unsigned char bytes[] = {0x00, 0x7F, 0xFF};
    EXPECT_EQ(hex.Write(bytes, 3), 6);
    EXPECT_EQ(text.ToString(), "007FFF");
    EXPECT_EQ(hex.Write(bytes, 0), 0);
    EXPECT_EQ(text.GetLength(), 6);
}

TEST(HexStreams, DecodeEitherCaseAndRoundTrip) {
    CMemInputStream text("007fFF", 6);
    CHexToBinInputStream bin(&text);
    EXPECT_EQ(bin.Available(), 3);
    unsigned char out[8] = {};
    EXPECT_EQ(bin.Read(out, 8), 3);
    EXPECT_EQ(out[0], 0x00);
    EXPECT_EQ(out[1], 0x7F);
    EXPECT_EQ(out[2], 0xFF);
    EXPECT_EQ(bin.Read(out, 8), 0);

    std::string all;
    for (int i = 0; i < 256; ++i)
        all.push_back(static_cast<char>(i));
    CMemOutputStream encoded;
    CBinToHexOutputStream(&encoded).Write(all.data(), static_cast<int>(all.size()));
    CMemInputStream source(encoded.GetBuffer(), encoded.GetLength());
    std::string decoded(256, '\0');
    EXPECT_EQ(CHexToBinInputStream(&source).Read(decoded.data(), 256), 256);
    EXPECT_EQ(decoded, all);
}

TEST(HexStreams, MalformedDigitsAreDefined) {
    // Non-hex characters count as 0; a lone last digit fills the high nibble.
    CMemInputStream text("4G1zA", 5);
    CHexToBinInputStream bin(&text);
    unsigned char out[4] = {};
    EXPECT_EQ(bin.Read(out, 4), 3);
    EXPECT_EQ(out[0], 0x40);
    EXPECT_EQ(out[1], 0x10);
    EXPECT_EQ(out[2], 0xA0);

    // The same in long texts, which are decoded many digits a step: every byte
    // value at even and odd places, every length of the last partial steps.
    std::string chars;
    for (int round = 0; round < 2; ++round) {
        for (int c = 0; c < 256; ++c)
            chars.push_back(static_cast<char>(c * 7 + round));
    }
    auto nibble = [](char c) {
        const std::string digits = "0123456789abcdef";
        const std::size_t at = digits.find(static_cast<char>(c >= 'A' && c <= 'F' ? c - 'A' + 'a' : c));
        return c != '\0' && at != std::string::npos ? static_cast<int>(at) : 0;
    };
    for (std::size_t length = chars.size() - 70; length <= chars.size(); ++length) {
        std::vector<unsigned char> decoded((length + 1) / 2);
        DecodeHex(chars.data(), length, decoded.data());
        for (std::size_t i = 0; i < decoded.size(); ++i) {
            const int low = 2 * i + 1 < length ? nibble(chars[2 * i + 1]) : 0;
            ASSERT_EQ(decoded[i], nibble(chars[2 * i]) * 16 + low) << "length " << length << " byte " << i;
        }
    }
}

TEST(HexStreams, ReadIsBoundedByTheCallersBuffer) {
    CMemInputStream text("414243", 6);
    CHexToBinInputStream bin(&text);
    char out[2] = {};
    EXPECT_EQ(bin.Read(out, 2), 2);
    EXPECT_EQ(std::string(out, 2), "AB");
    EXPECT_EQ(bin.Seek(-1, 1), 2); // inner position, two characters per byte
    EXPECT_EQ(bin.Read(out, 2), 2);
    EXPECT_EQ(std::string(out, 2), "BC");
}

TEST(BufferedInputStream, ReadsAheadInBlocksAndKeepsTheRest) {
    // Counts the inner reads so the blocking is visible.
    struct Counting : CMemInputStream {
        using CMemInputStream::CMemInputStream;
        int reads = 0;
        int Read(void* buffer, int count) override {
            ++reads;
            return CMemInputStream::Read(buffer, count);
        }
    } inner("line one\nline two\n", 18);
    CBufferedInputStream in(&inner, 8);
    std::string got;
    char c;
    while (in.Read(&c, 1) == 1)
        got += c;
    EXPECT_EQ(got, "line one\nline two\n");
    EXPECT_EQ(inner.reads, 4); // three blocks of 8, 8, 2 and the end
    EXPECT_EQ(in.Buffered(), 0);

    CMemInputStream source("abcdefghij", 10);
    CBufferedInputStream ahead(&source, 4);
    char two[2];
    EXPECT_EQ(ahead.Read(two, 2), 2);
    EXPECT_EQ(ahead.Buffered(), 2);
    EXPECT_EQ(ahead.Available(), 8);
    EXPECT_EQ(ahead.Seek(-1, 1), 0);
    EXPECT_EQ(ahead.Seek(-5, 1), -1); // before the buffer
    char big[16];
    EXPECT_EQ(ahead.Read(big, 16), 3); // the rest of the buffer first
    EXPECT_EQ(std::string(big, 3), "bcd");
    EXPECT_EQ(ahead.Read(big, 16), 6); // then straight through
    EXPECT_EQ(std::string(big, 6), "efghij");
}
