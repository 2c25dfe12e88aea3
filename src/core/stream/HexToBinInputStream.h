#pragma once

#include "core/stream/FilterInputStream.h"

#include <cstddef>

// Decodes hexadecimal text (two digits a byte, high nibble first) from the inner
// stream. Digits of either case are accepted; any other character counts as 0,
// and a lone last digit gives a byte whose low nibble is 0.
class CHexToBinInputStream : public CFilterInputStream {
public:
    using CFilterInputStream::CFilterInputStream;

    // Reads up to 2 x count characters in one inner read; returns the bytes produced.
    int Read(void* buffer, int count) override;
    int Available() const override;
    // Seeks the inner stream by two characters per byte.
    int Seek(int offset, int origin) override;
};

// The stream's decoding of count characters into (count + 1) / 2 bytes at out.
void DecodeHex(const char* text, std::size_t count, unsigned char* out);
