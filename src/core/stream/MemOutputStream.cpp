#include "core/stream/MemOutputStream.h"

#include <cstring>
#include <cstdint>
#include <stdexcept>

CMemOutputStream::CMemOutputStream(int initialCapacity) {
    if (initialCapacity > 0) {
        m_buffer = std::make_unique<char[]>(static_cast<size_t>(initialCapacity));
        m_capacity = initialCapacity;
    }
}

int CMemOutputStream::Write(const void* data, int count) {
    if (count <= 0)
        return 0;
    if (count > INT32_MAX - m_length)
        throw std::length_error("CMemOutputStream: buffer would exceed 2 GiB");
    if (m_length + count > m_capacity) {
        const int capacity = m_length + count;
        auto grown = std::make_unique<char[]>(static_cast<size_t>(capacity));
        if (m_length > 0)
            std::memcpy(grown.get(), m_buffer.get(), static_cast<size_t>(m_length));
        m_buffer = std::move(grown);
        m_capacity = capacity;
    }
    std::memcpy(m_buffer.get() + m_length, data, static_cast<size_t>(count));
    m_length += count;
    return count;
}

void CMemOutputStream::Reset() {
    m_buffer.reset();
    m_capacity = 0;
    m_length = 0;
}
