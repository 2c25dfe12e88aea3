#pragma once

#include "core/stream/InputStream.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

// Reads the caller's text in place; the text must outlive the stream. Copying
// a document only to read it once would cost as much as the reading.
class CTextInputStream : public CInputStream {
public:
    CTextInputStream(const char* text, std::size_t length) : m_next(text), m_end(text + length) {}

    int Read(void* buffer, int count) override {
        const auto n = static_cast<int>(std::min<std::size_t>(static_cast<std::size_t>(std::max(count, 0)),
                                                              static_cast<std::size_t>(m_end - m_next)));
        std::memcpy(buffer, m_next, static_cast<std::size_t>(n));
        m_next += n;
        return n;
    }

private:
    const char* m_next;
    const char* m_end;
};
