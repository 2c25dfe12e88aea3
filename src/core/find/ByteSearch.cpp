#include "core/find/ByteSearch.h"

#include <cstddef>

namespace {

// Bytes compared between two looks at the stop flag.
constexpr std::size_t kStopCheckWork = 1 << 16;

} // namespace

CByteSearch::CByteSearch(std::string_view pattern) : m_pattern(pattern) {
    const std::size_t m = m_pattern.size();
    m_skip.fill(m);
    for (std::size_t i = 0; i < m; ++i)
        m_skip[static_cast<unsigned char>(m_pattern[i])] = m - 1 - i;
}

std::size_t CByteSearch::Find(std::string_view text, const std::atomic<bool>* stop) const {
    const std::size_t m = m_pattern.size();
    const std::size_t n = text.size();
    // Also keeps n - m from wrapping round when the pattern is the longer one.
    if (m == 0 || m > n)
        return npos;
    const auto* t = reinterpret_cast<const unsigned char*>(text.data());
    const auto* pattern = reinterpret_cast<const unsigned char*>(m_pattern.data());
    const std::ptrdiff_t lastIndex = static_cast<std::ptrdiff_t>(m) - 1;
    const std::size_t lastStart = n - m;
    std::size_t work = 0;
    std::size_t p = 0;
    while (p <= lastStart) {
        std::ptrdiff_t j = lastIndex;
        while (j >= 0 && t[p + j] == pattern[j])
            --j;
        if (j < 0)
            return p;
        if (stop != nullptr) {
            work += static_cast<std::size_t>(lastIndex - j) + 1;
            if (work >= kStopCheckWork) {
                work = 0;
                if (stop->load(std::memory_order_relaxed))
                    return npos;
            }
        }
        // Below 1 the mismatched byte occurs again to the right of j in the pattern;
        // then no match can start at p + 1 either, so 2 is safe.
        std::ptrdiff_t shift = static_cast<std::ptrdiff_t>(m_skip[t[p + j]]) - lastIndex + j;
        if (shift < 1)
            shift = 2;
        p += static_cast<std::size_t>(shift);
    }
    return npos;
}

std::size_t FindBytes(std::string_view text, std::string_view pattern) {
    return CByteSearch(pattern).Find(text);
}
