#include "core/find/ByteSearch.h"

#include <algorithm>
#include <array>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// Start places examined between two looks at the stop flag, scaled down for
// long patterns so that full compares cannot stretch the interval.
constexpr std::size_t kStopCheckWork = 1 << 16;

// Rough frequency of each byte in notes (English and Japanese UTF-8), in parts
// per thousand; the filter bytes are the pattern's rarest by this table.
constexpr std::array<unsigned char, 256> kFrequency = [] {
    std::array<unsigned char, 256> f{};
    const char* lower = "etaoinshrdlcumwfgypbvkjxqz";
    const unsigned char perMille[] = {127, 91, 82, 75, 70, 67, 63, 61, 60, 43, 40, 28, 28,
                                      24,  24, 22, 20, 20, 19, 15, 10, 8,  2,  2,  1,  1};
    for (int i = 0; lower[i] != '\0'; ++i) {
        f[static_cast<unsigned char>(lower[i])] = perMille[i];
        f[static_cast<unsigned char>(lower[i] - 'a' + 'A')] = static_cast<unsigned char>(perMille[i] / 8);
    }
    f[' '] = 180;
    f['\r'] = f['\n'] = 15;
    f['.'] = f[','] = 10;
    for (int c = '0'; c <= '9'; ++c)
        f[c] = 8;
    // UTF-8: continuation bytes spread over 64 values, lead bytes of kana and
    // common ideographs concentrated on a few.
    for (int c = 0x80; c <= 0xBF; ++c)
        f[c] = 30;
    for (int c = 0xE3; c <= 0xE9; ++c)
        f[c] = 45;
    return f;
}();

} // namespace

CByteSearch::CByteSearch(std::string_view pattern) : m_pattern(pattern) {
    const std::size_t m = m_pattern.size();
    if (m < 2)
        return;
    auto frequency = [this](std::size_t i) { return kFrequency[static_cast<unsigned char>(m_pattern[i])]; };
    // The rarest byte, the last of equals; then the rarest other place, the
    // farthest of equals, as neighbouring bytes often come together.
    m_rare = m - 1;
    for (std::size_t i = m - 1; i-- > 0;) {
        if (frequency(i) < frequency(m_rare))
            m_rare = i;
    }
    m_other = m_rare == 0 ? 1 : 0;
    auto distance = [this](std::size_t i) { return i > m_rare ? i - m_rare : m_rare - i; };
    for (std::size_t i = 0; i < m; ++i) {
        if (i == m_rare)
            continue;
        if (frequency(i) < frequency(m_other) ||
            (frequency(i) == frequency(m_other) && distance(i) > distance(m_other)))
            m_other = i;
    }
}

std::size_t CByteSearch::Find(std::string_view text, const std::atomic<bool>* stop) const {
    const std::size_t m = m_pattern.size();
    const std::size_t n = text.size();
    // Also keeps n - m from wrapping round when the pattern is the longer one.
    if (m == 0 || m > n)
        return npos;
    const char* const t = text.data();
    const char* const pattern = m_pattern.data();
    const char rare = pattern[m_rare];
    const char other = pattern[m_other];
    const std::size_t places = n - m + 1;
    const std::size_t slice = stop == nullptr ? places : std::max<std::size_t>(64, kStopCheckWork / m);

    for (std::size_t from = 0; from < places;) {
        const std::size_t to = from + std::min(slice, places - from);
        std::size_t p = from;
#if defined(__SSE2__)
        const __m128i rares = _mm_set1_epi8(rare);
        const __m128i others = _mm_set1_epi8(other);
        for (; to - p >= 16; p += 16) {
            const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(t + p + m_rare));
            const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(t + p + m_other));
            auto mask = static_cast<unsigned>(
                _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(a, rares), _mm_cmpeq_epi8(b, others))));
            for (; mask != 0; mask &= mask - 1) {
                const std::size_t at = p + static_cast<std::size_t>(__builtin_ctz(mask));
                if (std::memcmp(t + at, pattern, m) == 0)
                    return at;
            }
        }
#endif
        // The rest of the slice (all of it without SSE2): memchr finds the rare byte.
        while (p < to) {
            const void* hit = std::memchr(t + p + m_rare, rare, to - p);
            if (hit == nullptr)
                break;
            p = static_cast<std::size_t>(static_cast<const char*>(hit) - t) - m_rare;
            if (t[p + m_other] == other && std::memcmp(t + p, pattern, m) == 0)
                return p;
            ++p;
        }
        from = to;
        if (stop != nullptr && stop->load(std::memory_order_relaxed))
            return npos;
    }
    return npos;
}

std::size_t FindBytes(std::string_view text, std::string_view pattern) {
    return CByteSearch(pattern).Find(text);
}
