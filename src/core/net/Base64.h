#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Standard Base64 alphabet (A-Z a-z 0-9 + /), "=" padding, no line breaks.
std::string Base64Encode(std::string_view bytes);

// Decodes text into bytes. Space, tab, CR and LF are skipped; "=" ends the data.
// Any other character outside the alphabet, or a dangling single character at the
// end, fails the decode (bytes is then left empty).
bool Base64Decode(std::string_view text, std::string& bytes);
