#pragma once

#include <string>
#include <string_view>

// The 64 characters of crypt(3) text encodings, in value order.
inline constexpr std::string_view kCryptAlphabet = "./0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

// The "$1$" MD5-based crypt: returns "$1$" + salt + "$" + 22 alphabet characters.
// A leading "$1$" of salt is skipped; the salt then ends at its first "$" or after
// 8 characters, whichever comes first, so a complete hash can be passed as the salt.
std::string Md5Crypt(std::string_view key, std::string_view salt);
