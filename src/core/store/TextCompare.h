#pragma once

#include <string_view>

// Caseless equality of two UTF-8 texts, as host names typed by the user are
// compared. Code points are folded one to one (ASCII, Latin-1 Supplement, Latin
// Extended-A, Greek and Cyrillic letters); folds that change the length, such
// as "ß" to "ss", are not made. Bytes that do not form valid UTF-8 match only
// the identical byte.
bool EqualsIgnoreCaseUtf8(std::string_view a, std::string_view b);
