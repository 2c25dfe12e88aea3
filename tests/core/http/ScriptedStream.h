#pragma once

#include "core/stream/InputStream.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

// An input stream that hands out its data in the pieces a test chooses (as a socket would),
// then returns endResult for ever. Available() always claims nothing is waiting, so a reader
// that spins on it instead of reading would hang the test.
class CScriptedStream : public CInputStream {
public:
    explicit CScriptedStream(std::vector<std::string> pieces, int endResult = 0,
                             std::chrono::milliseconds delay = std::chrono::milliseconds(0))
        : m_pieces(std::move(pieces)), m_endResult(endResult), m_delay(delay) {}

    int Read(void* buffer, int count) override {
        ++m_reads;
        if (m_delay.count() > 0)
            std::this_thread::sleep_for(m_delay);
        while (m_index < m_pieces.size() && m_offset == m_pieces[m_index].size()) {
            ++m_index;
            m_offset = 0;
        }
        if (m_index == m_pieces.size())
            return m_endResult;
        const std::string& piece = m_pieces[m_index];
        const size_t n = std::min(static_cast<size_t>(count), piece.size() - m_offset);
        std::memcpy(buffer, piece.data() + m_offset, n);
        m_offset += n;
        return static_cast<int>(n);
    }
    int Available() const override { return 0; }

    int Reads() const { return m_reads; }
    // Bytes not handed out yet.
    std::string Rest() const {
        std::string rest;
        for (size_t i = m_index; i < m_pieces.size(); ++i)
            rest += i == m_index ? m_pieces[i].substr(m_offset) : m_pieces[i];
        return rest;
    }

private:
    std::vector<std::string> m_pieces;
    int m_endResult;
    std::chrono::milliseconds m_delay;
    size_t m_index = 0;
    size_t m_offset = 0;
    int m_reads = 0;
};
