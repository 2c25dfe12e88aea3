#pragma once

#include <atomic>
#include <cstddef>
#include <string>
#include <string_view>

// The find routine: the first occurrence of a pattern's bytes in a text, byte for
// byte and case-sensitive. An empty pattern matches nothing. Valid UTF-8 can only
// match at character boundaries, so no boundary checks are needed.
//
// Places are filtered sixteen at a time by two of the pattern's bytes, those
// least frequent in typical note text, and compared in full only where both
// are present.
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
    // Offsets of the two filter bytes; distinct unless the pattern is one byte.
    std::size_t m_rare = 0;
    std::size_t m_other = 0;
};

// One-shot form of CByteSearch.
std::size_t FindBytes(std::string_view text, std::string_view pattern);
