#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// MD5 message digest (RFC 1321), fed piece by piece.
class CMd5 {
public:
    static constexpr size_t kDigestSize = 16;
    using Digest = std::array<unsigned char, kDigestSize>;

    CMd5() { Reset(); }

    void Reset();
    void Update(const void* data, size_t length);
    void Update(std::string_view text) { Update(text.data(), text.size()); }
    // Returns the digest of everything fed since the last Reset, then resets.
    Digest Final();

    static Digest Compute(std::string_view text);
    // Lower-case hexadecimal digest of text, 32 characters.
    static std::string HexDigest(std::string_view text);
    static std::string ToHex(const Digest& digest);

private:
    void Transform(const unsigned char block[64]);

    uint32_t m_state[4];
    uint64_t m_length; // bytes fed so far
    unsigned char m_buffer[64];
};
