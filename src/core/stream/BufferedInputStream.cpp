#include "core/stream/BufferedInputStream.h"

#include <algorithm>
#include <cstring>

CBufferedInputStream::CBufferedInputStream(CInputStream* inner, int blockSize)
    : CFilterInputStream(inner), m_buffer(static_cast<size_t>(std::max(blockSize, 1))) {}

int CBufferedInputStream::Read(void* buffer, int count) {
    if (count <= 0)
        return 0;
    if (Buffered() == 0) {
        // Large reads go straight through: copying them twice gains nothing.
        if (count >= static_cast<int>(m_buffer.size()))
            return m_inner->Read(buffer, count);
        const int n = m_inner->Read(m_buffer.data(), static_cast<int>(m_buffer.size()));
        if (n <= 0)
            return n;
        m_next = 0;
        m_end = n;
    }
    const int n = std::min(count, Buffered());
    std::memcpy(buffer, m_buffer.data() + m_next, static_cast<size_t>(n));
    m_next += n;
    return n;
}

int CBufferedInputStream::Available() const {
    const int inner = m_inner->Available();
    return inner < 0 ? Buffered() : Buffered() + inner;
}

int CBufferedInputStream::Seek(int offset, int origin) {
    if (origin != 1 || m_next + offset < 0 || m_next + offset > m_end)
        return -1;
    m_next += offset;
    return 0;
}
