#include "core/stream/MemInputStream.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

CMemInputStream::CMemInputStream(const void* data, int size) {
    SetData(data, size);
}

void CMemInputStream::SetData(const void* data, int size) {
    if (data == nullptr || size <= 0)
        return;
    const auto* bytes = static_cast<const unsigned char*>(data);
    m_data.assign(bytes, bytes + size);
    m_position = 0;
}

int CMemInputStream::Read(void* buffer, int count) {
    const int n = std::min(count, Available());
    if (n <= 0)
        return 0;
    std::memcpy(buffer, m_data.data() + m_position, static_cast<size_t>(n));
    m_position += n;
    return n;
}

int CMemInputStream::Available() const {
    return static_cast<int>(m_data.size()) - m_position;
}

int CMemInputStream::Seek(int offset, int origin) {
    long long target;
    if (origin == 0)
        target = offset;
    else if (origin == 1)
        target = static_cast<long long>(m_position) + offset;
    else
        return -1;
    if (target < 0 || target > static_cast<long long>(m_data.size()))
        return -1;
    m_position = static_cast<int>(target);
    return m_position;
}
