#include "core/stream/BinToHexOutputStream.h"
#include "core/stream/HexToBinInputStream.h"

#include <climits>
#include <cstddef>
#include <vector>

namespace {
int NibbleOf(unsigned char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return 0;
}
} // namespace

int CHexToBinInputStream::Read(void* buffer, int count) {
    if (count <= 0)
        return 0;
    if (count > INT_MAX / 2)
        count = INT_MAX / 2;
    std::vector<unsigned char> text(static_cast<size_t>(count) * 2);
    const int read = m_inner->Read(text.data(), count * 2);
    if (read <= 0)
        return read;
    auto* out = static_cast<unsigned char*>(buffer);
    for (int i = 0; i < read; i += 2) {
        const int low = i + 1 < read ? NibbleOf(text[i + 1]) : 0;
        out[i / 2] = static_cast<unsigned char>((NibbleOf(text[i]) << 4) | low);
    }
    return (read + 1) / 2;
}

int CHexToBinInputStream::Available() const {
    const int available = m_inner->Available();
    return available < 0 ? available : available / 2;
}

int CHexToBinInputStream::Seek(int offset, int origin) {
    if (offset > INT_MAX / 2 || offset < INT_MIN / 2)
        return -1;
    return m_inner->Seek(offset * 2, origin);
}

int CBinToHexOutputStream::Write(const void* data, int count) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    if (count <= 0)
        return 0;
    if (count > INT_MAX / 2)
        return -1;
    const auto* bytes = static_cast<const unsigned char*>(data);
    std::vector<char> text(static_cast<size_t>(count) * 2);
    for (int i = 0; i < count; ++i) {
        text[2 * i] = kDigits[bytes[i] >> 4];
        text[2 * i + 1] = kDigits[bytes[i] & 0x0F];
    }
    return m_inner->Write(text.data(), count * 2);
}
