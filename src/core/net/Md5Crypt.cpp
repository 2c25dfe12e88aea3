#include "core/net/Md5Crypt.h"

#include "core/net/Md5.h"

#include <algorithm>

namespace {

constexpr std::string_view kMagic = "$1$";
constexpr size_t kMaxSalt = 8;
constexpr int kRounds = 1000;

void AppendCrypt64(std::string& out, unsigned value, int count) {
    while (count-- > 0) {
        out += kCryptAlphabet[value & 63];
        value >>= 6;
    }
}

} // namespace

std::string Md5Crypt(std::string_view key, std::string_view salt) {
    if (salt.substr(0, kMagic.size()) == kMagic)
        salt.remove_prefix(kMagic.size());
    salt = salt.substr(0, std::min(salt.find('$'), kMaxSalt));

    CMd5 alternate;
    alternate.Update(key);
    alternate.Update(salt);
    alternate.Update(key);
    const CMd5::Digest alt = alternate.Final();

    CMd5 md5;
    md5.Update(key);
    md5.Update(kMagic);
    md5.Update(salt);
    for (size_t left = key.size(); left > 0; left -= std::min(left, CMd5::kDigestSize))
        md5.Update(alt.data(), std::min(left, CMd5::kDigestSize));
    // The historical algorithm feeds a zero byte for each set bit of the length and the
    // key's first character for each clear one.
    const char zero = 0;
    for (size_t bits = key.size(); bits != 0; bits >>= 1)
        md5.Update((bits & 1) ? &zero : key.data(), 1);
    CMd5::Digest digest = md5.Final();

    for (int round = 0; round < kRounds; ++round) {
        CMd5 step;
        if (round & 1)
            step.Update(key);
        else
            step.Update(digest.data(), digest.size());
        if (round % 3)
            step.Update(salt);
        if (round % 7)
            step.Update(key);
        if (round & 1)
            step.Update(digest.data(), digest.size());
        else
            step.Update(key);
        digest = step.Final();
    }

    std::string result;
    result.reserve(kMagic.size() + salt.size() + 1 + 22);
    result += kMagic;
    result += salt;
    result += '$';
    const auto byte = [&digest](int i) { return static_cast<unsigned>(digest[i]); };
    AppendCrypt64(result, byte(0) << 16 | byte(6) << 8 | byte(12), 4);
    AppendCrypt64(result, byte(1) << 16 | byte(7) << 8 | byte(13), 4);
    AppendCrypt64(result, byte(2) << 16 | byte(8) << 8 | byte(14), 4);
    AppendCrypt64(result, byte(3) << 16 | byte(9) << 8 | byte(15), 4);
    AppendCrypt64(result, byte(4) << 16 | byte(10) << 8 | byte(5), 4);
    AppendCrypt64(result, byte(11), 2);
    return result;
}
