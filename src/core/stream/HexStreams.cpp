#include "core/stream/BinToHexOutputStream.h"
#include "core/stream/HexToBinInputStream.h"

#include <array>
#include <climits>
#include <cstddef>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define QUILLET_HEX_AVX2 1
#endif

namespace {

constexpr std::array<unsigned char, 256> kNibbles = [] {
    std::array<unsigned char, 256> nibbles{};
    for (int c = '0'; c <= '9'; ++c)
        nibbles[c] = static_cast<unsigned char>(c - '0');
    for (int c = 'A'; c <= 'F'; ++c)
        nibbles[c] = nibbles[c + ('a' - 'A')] = static_cast<unsigned char>(c - 'A' + 10);
    return nibbles;
}();

unsigned char NibbleOf(char c) {
    return kNibbles[static_cast<unsigned char>(c)];
}

#if defined(__SSE2__)
// Digit values of 16 characters, 0 for anything that is not a digit.
inline __m128i Nibbles(__m128i c) {
    // x is below n (unsigned) exactly when min(x, n - 1) is x.
    const __m128i digit = _mm_sub_epi8(c, _mm_set1_epi8('0'));
    const __m128i isDigit = _mm_cmpeq_epi8(_mm_min_epu8(digit, _mm_set1_epi8(9)), digit);
    // Setting bit 5 folds the capitals onto the small letters (it would also
    // fold control bytes onto the digits, hence the digits are tested unfolded).
    const __m128i letter = _mm_sub_epi8(_mm_or_si128(c, _mm_set1_epi8(0x20)), _mm_set1_epi8('a'));
    const __m128i isLetter = _mm_cmpeq_epi8(_mm_min_epu8(letter, _mm_set1_epi8(5)), letter);
    return _mm_or_si128(_mm_and_si128(isDigit, digit),
                        _mm_and_si128(isLetter, _mm_add_epi8(letter, _mm_set1_epi8(10))));
}

// 16 characters to 8 bytes, each in the low half of a 16-bit lane.
inline __m128i Pairs(__m128i nibbles) {
    return _mm_or_si128(_mm_slli_epi16(_mm_and_si128(nibbles, _mm_set1_epi16(0x00FF)), 4), _mm_srli_epi16(nibbles, 8));
}
#endif

#if defined(QUILLET_HEX_AVX2)
// The same as Nibbles, 32 characters at once, in eight operations instead of
// eleven. A table look-up (vpshufb) yields 0 where its index has bit 7 set; a
// wrapping subtraction and a saturating addition make exactly the digits (and,
// case folded, the letters) land below 0x80, at the top of the table.
__attribute__((target("avx2"))) inline __m256i Nibbles32(__m256i c) {
    // '0'..'9' -> 0x76..0x7F: table entries 6..15.
    const __m256i digitTable = _mm256_setr_epi8(0, 0, 0, 0, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, //
                                                0, 0, 0, 0, 0, 0, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9);
    // 'a'..'f' -> 0x7A..0x7F: table entries 10..15.
    const __m256i letterTable = _mm256_setr_epi8(0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 10, 11, 12, 13, 14, 15, //
                                                 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 10, 11, 12, 13, 14, 15);
    const __m256i digit = _mm256_adds_epu8(_mm256_sub_epi8(c, _mm256_set1_epi8('0')), _mm256_set1_epi8(0x76));
    // Setting bit 5 folds the capitals onto the small letters and nothing else onto them.
    const __m256i letter = _mm256_adds_epu8(
        _mm256_sub_epi8(_mm256_or_si256(c, _mm256_set1_epi8(0x20)), _mm256_set1_epi8('a')), _mm256_set1_epi8(0x7A));
    return _mm256_or_si256(_mm256_shuffle_epi8(digitTable, digit), _mm256_shuffle_epi8(letterTable, letter));
}

// Decodes whole steps of 64 characters; returns the characters taken. A note
// body is most of a note document, and at 16 bytes a step decoding it took
// half as long as reading the whole document.
__attribute__((target("avx2"))) std::size_t DecodeHexAvx2(const char* text, std::size_t count, unsigned char* out) {
    // Each pair of digits becomes high * 16 + low in one multiply-add.
    const __m256i weights = _mm256_set1_epi16(0x0110);
    std::size_t i = 0;
    for (; count - i >= 64; i += 64, out += 32) {
        const __m256i a = Nibbles32(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(text + i)));
        const __m256i b = Nibbles32(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(text + i + 32)));
        const __m256i packed = _mm256_packus_epi16(_mm256_maddubs_epi16(a, weights), _mm256_maddubs_epi16(b, weights));
        // The pack works within 128-bit halves; put the quarters back in order.
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), _mm256_permute4x64_epi64(packed, 0xD8));
    }
    return i;
}

// 128 characters a step where the processor has byte permutes (AVX-512 VBMI):
// one two-register permute looks up 64 characters at once in a 128-entry
// table, where the AVX2 step needs four shuffles for 64, and those shuffles
// bound its speed.
__attribute__((target("avx512f,avx512bw,avx512vbmi"))) std::size_t DecodeHexVbmi(const char* text, std::size_t count,
                                                                                 unsigned char* out) {
    const __m512i low = _mm512_loadu_si512(kNibbles.data());
    const __m512i high = _mm512_loadu_si512(kNibbles.data() + 64);
    const __m512i weights = _mm512_set1_epi16(0x0110);
    // The low byte of every 16-bit lane of two registers, in order.
    alignas(64) static constexpr std::array<unsigned char, 64> kLowBytes = [] {
        std::array<unsigned char, 64> bytes{};
        for (std::size_t i = 0; i < bytes.size(); ++i)
            bytes[i] = static_cast<unsigned char>(2 * i);
        return bytes;
    }();
    const __m512i lowBytes = _mm512_load_si512(kLowBytes.data());
    std::size_t i = 0;
    for (; count - i >= 128; i += 128, out += 64) {
        const __m512i a = _mm512_loadu_si512(text + i);
        const __m512i b = _mm512_loadu_si512(text + i + 64);
        // The permute reads seven bits of each index; bytes from 0x80 up are no digit.
        const __m512i na = _mm512_maskz_permutex2var_epi8(~_mm512_movepi8_mask(a), low, a, high);
        const __m512i nb = _mm512_maskz_permutex2var_epi8(~_mm512_movepi8_mask(b), low, b, high);
        const __m512i bytes =
            _mm512_permutex2var_epi8(_mm512_maddubs_epi16(na, weights), lowBytes, _mm512_maddubs_epi16(nb, weights));
        _mm512_storeu_si512(out, bytes);
    }
    return i;
}
#endif

} // namespace

void DecodeHex(const char* text, std::size_t count, unsigned char* out) {
    std::size_t i = 0;
#if defined(QUILLET_HEX_AVX2)
    static const bool vbmi = __builtin_cpu_supports("avx512vbmi") && __builtin_cpu_supports("avx512bw");
    static const bool avx2 = __builtin_cpu_supports("avx2");
    if (vbmi) {
        i = DecodeHexVbmi(text, count, out);
        out += i / 2;
    }
    if (avx2) {
        const std::size_t n = DecodeHexAvx2(text + i, count - i, out);
        i += n;
        out += n / 2;
    }
#endif
#if defined(__SSE2__)
    // Note bodies are kilobytes of hex: 32 characters a step.
    for (; count - i >= 32; i += 32, out += 16) {
        const __m128i a = Nibbles(_mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i)));
        const __m128i b = Nibbles(_mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i + 16)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_packus_epi16(Pairs(a), Pairs(b)));
    }
#endif
    for (; count - i >= 2; i += 2)
        *out++ = static_cast<unsigned char>((NibbleOf(text[i]) << 4) | NibbleOf(text[i + 1]));
    if (i < count)
        *out = static_cast<unsigned char>(NibbleOf(text[i]) << 4);
}

int CHexToBinInputStream::Read(void* buffer, int count) {
    if (count <= 0)
        return 0;
    if (count > INT_MAX / 2)
        count = INT_MAX / 2;
    std::vector<char> text(static_cast<size_t>(count) * 2);
    const int read = m_inner->Read(text.data(), count * 2);
    if (read <= 0)
        return read;
    DecodeHex(text.data(), static_cast<std::size_t>(read), static_cast<unsigned char*>(buffer));
    return (read + 1) / 2;
}

int CHexToBinInputStream::Available() const {
    const int available = m_inner->Available();
    return available < 0 ? available : available / 2;
}

int CHexToBinInputStream::Seek(int offset, int origin) {
    if (offset > INT_MAX / 2 || offset < INT_MIN / 2)
        return -1;
    return m_inner->Seek(offset * 2, origin);
}

int CBinToHexOutputStream::Write(const void* data, int count) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    if (count <= 0)
        return 0;
    if (count > INT_MAX / 2)
        return -1;
    const auto* bytes = static_cast<const unsigned char*>(data);
    std::vector<char> text(static_cast<size_t>(count) * 2);
    for (int i = 0; i < count; ++i) {
        text[2 * i] = kDigits[bytes[i] >> 4];
        text[2 * i + 1] = kDigits[bytes[i] & 0x0F];
    }
    return m_inner->Write(text.data(), count * 2);
}
