#pragma once

#include "core/stream/InputStream.h"

// Forwards everything to an inner stream, which must outlive the filter.
class CFilterInputStream : public CInputStream {
public:
    explicit CFilterInputStream(CInputStream* inner) : m_inner(inner) {}

    int Read(void* buffer, int count) override { return m_inner->Read(buffer, count); }
    int Available() const override { return m_inner->Available(); }
    int Seek(int offset, int origin) override { return m_inner->Seek(offset, origin); }

protected:
    CInputStream* m_inner;
};
