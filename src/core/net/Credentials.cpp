#include "core/net/Credentials.h"

#include "core/net/Base64.h"
#include "core/net/HTTPMessage.h"
#include "core/net/Md5Crypt.h"

#include <chrono>
#include <ctime>
#include <random>

namespace {

std::string Joined(std::string_view user, std::string_view password) {
    std::string text;
    text.reserve(user.size() + 1 + password.size());
    text += user;
    text += ':';
    text += password;
    return text;
}

void AppendCrypt64(std::string& out, uint32_t value, int count) {
    while (count-- > 0) {
        out += kCryptAlphabet[value & 63];
        value >>= 6;
    }
}

// Takes time independent of where the texts first differ.
bool SameBytes(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    unsigned char difference = 0;
    for (size_t i = 0; i < a.size(); ++i)
        difference |= static_cast<unsigned char>(a[i] ^ b[i]);
    return difference == 0;
}

uint32_t RandomNumber() {
    try {
        std::random_device device;
        return device();
    } catch (const std::exception&) {
        static std::mt19937 fallback(static_cast<uint32_t>(std::time(nullptr)));
        return fallback();
    }
}

} // namespace

std::string MakeBasicAuthorization(std::string_view user, std::string_view password) {
    return "Basic " + Base64Encode(Joined(user, password));
}

std::string MakeDigestAuthorization(std::string_view user, std::string_view password, std::string_view salt) {
    return "Digest " + Md5Crypt(Joined(user, password), salt);
}

std::string MakeAuthorization(std::string_view user, std::string_view password, bool digest) {
    return digest ? MakeDigestAuthorization(user, password, MakeDigestSalt()) : MakeBasicAuthorization(user, password);
}

std::string MakeDigestSalt(uint32_t random, int milliseconds, int seconds) {
    std::string salt;
    salt.reserve(8);
    AppendCrypt64(salt, random, 3);
    AppendCrypt64(salt, static_cast<uint32_t>(milliseconds), 3);
    AppendCrypt64(salt, static_cast<uint32_t>(seconds), 2);
    return salt;
}

std::string MakeDigestSalt() {
    using namespace std::chrono;
    const auto now = system_clock::now();
    const auto millis = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
    const std::time_t t = system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&t, &local);
    return MakeDigestSalt(RandomNumber(), static_cast<int>(millis), local.tm_sec);
}

bool CheckCredentials(std::string_view value, std::string_view user, std::string_view password) {
    std::string_view scheme;
    std::string_view credentials = value;
    const size_t space = value.find(' ');
    if (space != std::string_view::npos) {
        scheme = value.substr(0, space);
        credentials = value.substr(space + 1);
    }
    const std::string expected = Joined(user, password);

    if (HTTPCodec::EqualsNoCase(scheme, "Basic")) {
        std::string decoded;
        return Base64Decode(credentials, decoded) && SameBytes(decoded, expected);
    }
    if (HTTPCodec::EqualsNoCase(scheme, "Digest"))
        return SameBytes(Md5Crypt(expected, credentials), credentials);
    return false;
}
