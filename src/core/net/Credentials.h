#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Values of the Authorization header of the note protocol. "Basic" carries Base64 of
// "user:password"; "Digest" carries the MD5-crypt hash of "user:password" under a salt the
// client picks (there is no challenge from the server).

// "Basic " + Base64("user:password").
std::string MakeBasicAuthorization(std::string_view user, std::string_view password);
// "Digest " + Md5Crypt("user:password", salt).
std::string MakeDigestAuthorization(std::string_view user, std::string_view password, std::string_view salt);
// digest ? MakeDigestAuthorization with a fresh MakeDigestSalt() : MakeBasicAuthorization.
std::string MakeAuthorization(std::string_view user, std::string_view password, bool digest);

// 8 crypt-alphabet characters: 3 from random, 3 from milliseconds, 2 from seconds, each value
// written lowest six bits first.
std::string MakeDigestSalt(uint32_t random, int milliseconds, int seconds);
// The same from a random source and the current local time.
std::string MakeDigestSalt();

// True when the Authorization value proves user and password in either scheme (scheme names
// without regard to case); any other scheme is rejected.
bool CheckCredentials(std::string_view value, std::string_view user, std::string_view password);
