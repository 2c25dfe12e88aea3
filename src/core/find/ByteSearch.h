#pragma once

#include <array>
#include <atomic>
#include <cstddef>
#include <string>
#include <string_view>

// The find routine: the first occurrence of a pattern's bytes in a text, byte for
// byte and case-sensitive, by a bad-character skip search. An empty pattern matches
// nothing. Valid UTF-8 can only match at character boundaries, so no boundary
// checks are needed.
class CByteSearch {
public:
    static constexpr std::size_t npos = std::string_view::npos;

    explicit CByteSearch(std::string_view pattern);

    // The offset of the first match, or npos. With a stop flag the search gives up
    // (npos) soon after the flag is set, however long the text.
    std::size_t Find(std::string_view text, const std::atomic<bool>* stop = nullptr) const;

    const std::string& GetPattern() const { return m_pattern; }

private:
    std::string m_pattern;
    // For each byte value, its distance from the pattern's end at its last
    // occurrence (0 for the last byte), or the pattern length when absent.
    std::array<std::size_t, 256> m_skip{};
};

// One-shot form of CByteSearch.
std::size_t FindBytes(std::string_view text, std::string_view pattern);
