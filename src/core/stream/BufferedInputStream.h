#pragma once

#include "core/stream/FilterInputStream.h"

#include <vector>

// Reads the inner stream in blocks and hands the bytes out from its own buffer.
// Over a socket one receive returns what has arrived, so a line-by-line reader
// costs one system call per block instead of one per byte. Bytes read ahead
// stay in the buffer for the next Read: keep the object as long as the
// connection when requests may follow each other.
class CBufferedInputStream : public CFilterInputStream {
public:
    static constexpr int kDefaultBlockSize = 16 * 1024;

    explicit CBufferedInputStream(CInputStream* inner, int blockSize = kDefaultBlockSize);

    int Read(void* buffer, int count) override;
    // Buffered bytes plus what the inner stream says it has.
    int Available() const override;
    // Stepping back is possible within the buffer only.
    int Seek(int offset, int origin) override;

    // Bytes already read ahead and not yet handed out.
    int Buffered() const { return m_end - m_next; }

private:
    std::vector<char> m_buffer;
    int m_next = 0;
    int m_end = 0;
};
