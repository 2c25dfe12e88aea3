#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// UTF-8 and UTF-16 helpers of the rich-text codec.
namespace utf8 {

inline constexpr char32_t kReplacement = 0xFFFD;

// Appends the UTF-8 form of a code point; surrogates and values past U+10FFFF
// become U+FFFD so the result is always valid UTF-8.
void Append(std::string& out, char32_t codePoint);

// Decodes the code point at pos and advances pos past it. Returns false, and
// advances by one byte, when the bytes there are not valid UTF-8 (overlong
// forms, surrogates, truncated sequences included).
bool Next(std::string_view text, std::size_t& pos, char32_t& codePoint);

// True when the text is valid UTF-8 throughout.
bool IsValid(std::string_view text);

} // namespace utf8
