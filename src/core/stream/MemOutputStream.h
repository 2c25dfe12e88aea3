#pragma once

#include "core/stream/OutputStream.h"

#include <memory>
#include <string>

// Collects written bytes in a growing buffer. The buffer is not zero-terminated;
// its owner reads GetBuffer() and GetLength() directly.
class CMemOutputStream : public COutputStream {
public:
    // Allocates initialCapacity bytes up front when it is positive.
    explicit CMemOutputStream(int initialCapacity = 0);

    // A write that does not fit grows the buffer to exactly the length needed.
    int Write(const void* data, int count) override;
    // Frees the buffer; capacity and length become 0.
    void Reset();

    const char* GetBuffer() const { return m_buffer.get(); }
    int GetLength() const { return m_length; }
    int GetCapacity() const { return m_capacity; }
    std::string ToString() const { return m_length > 0 ? std::string(m_buffer.get(), m_length) : std::string(); }

private:
    std::unique_ptr<char[]> m_buffer;
    int m_capacity = 0;
    int m_length = 0;
};
