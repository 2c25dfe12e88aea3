#include "core/net/Base64.h"

#include <cstdint>

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int SextetOf(unsigned char c) {
    if (c >= 'A' && c <= 'Z')
        return c - 'A';
    if (c >= 'a' && c <= 'z')
        return c - 'a' + 26;
    if (c >= '0' && c <= '9')
        return c - '0' + 52;
    if (c == '+')
        return 62;
    if (c == '/')
        return 63;
    return -1;
}

} // namespace

std::string Base64Encode(std::string_view bytes) {
    std::string text;
    text.reserve((bytes.size() + 2) / 3 * 4);
    size_t i = 0;
    for (; i + 3 <= bytes.size(); i += 3) {
        const uint32_t v =
            uint32_t(uint8_t(bytes[i])) << 16 | uint32_t(uint8_t(bytes[i + 1])) << 8 | uint8_t(bytes[i + 2]);
        text += kAlphabet[v >> 18];
        text += kAlphabet[(v >> 12) & 63];
        text += kAlphabet[(v >> 6) & 63];
        text += kAlphabet[v & 63];
    }
    const size_t rest = bytes.size() - i;
    if (rest > 0) {
        uint32_t v = uint32_t(uint8_t(bytes[i])) << 16;
        if (rest == 2)
            v |= uint32_t(uint8_t(bytes[i + 1])) << 8;
        text += kAlphabet[v >> 18];
        text += kAlphabet[(v >> 12) & 63];
        text += rest == 2 ? kAlphabet[(v >> 6) & 63] : '=';
        text += '=';
    }
    return text;
}

bool Base64Decode(std::string_view text, std::string& bytes) {
    bytes.clear();
    bytes.reserve(text.size() / 4 * 3 + 2);
    uint32_t accumulator = 0;
    int sextets = 0;
    for (unsigned char c : text) {
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n')
            continue;
        if (c == '=')
            break;
        const int value = SextetOf(c);
        if (value < 0) {
            bytes.clear();
            return false;
        }
        accumulator = accumulator << 6 | static_cast<uint32_t>(value);
        if (++sextets == 4) {
            bytes += static_cast<char>(accumulator >> 16);
            bytes += static_cast<char>(accumulator >> 8);
            bytes += static_cast<char>(accumulator);
            accumulator = 0;
            sextets = 0;
        }
    }
    // Two leftover characters carry one byte, three carry two; one alone carries none.
    if (sextets == 1) {
        bytes.clear();
        return false;
    }
    if (sextets >= 2) {
        accumulator <<= 6 * (4 - sextets);
        bytes += static_cast<char>(accumulator >> 16);
        if (sextets == 3)
            bytes += static_cast<char>(accumulator >> 8);
    }
    return true;
}
