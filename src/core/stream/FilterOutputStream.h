#pragma once

#include "core/stream/OutputStream.h"

// Forwards everything to an inner stream, which must outlive the filter.
class CFilterOutputStream : public COutputStream {
public:
    explicit CFilterOutputStream(COutputStream* inner) : m_inner(inner) {}

    int Write(const void* data, int count) override { return m_inner->Write(data, count); }
    int Seek(int offset, int origin) override { return m_inner->Seek(offset, origin); }

protected:
    COutputStream* m_inner;
};
