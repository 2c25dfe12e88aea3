#pragma once

#include "core/stream/InputStream.h"

#include <vector>

// Reads from its own copy of a block of memory.
class CMemInputStream : public CInputStream {
public:
    CMemInputStream() = default;
    // Copies the data when both data and size are non-zero; otherwise the stream is empty.
    CMemInputStream(const void* data, int size);

    // When both are non-zero, replaces the copy and rewinds; otherwise changes nothing.
    void SetData(const void* data, int size);

    int Read(void* buffer, int count) override;
    int Available() const override;
    // The target must lie between 0 and the size inclusive.
    int Seek(int offset, int origin) override;

private:
    std::vector<unsigned char> m_data;
    int m_position = 0;
};
