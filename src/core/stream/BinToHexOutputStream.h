#pragma once

#include "core/stream/FilterOutputStream.h"

// Encodes bytes as upper-case hexadecimal digit pairs, with no separators.
class CBinToHexOutputStream : public CFilterOutputStream {
public:
    using CFilterOutputStream::CFilterOutputStream;

    // Hands all 2 x count characters to the inner stream in one write and returns its result.
    int Write(const void* data, int count) override;
};
