#pragma once

// Source of bytes. Results are byte counts; 0 or less from Read means nothing
// more can be read. Streams raise no errors of their own.
class CInputStream {
public:
    virtual ~CInputStream() = default;

    // Places at most count bytes into buffer and returns how many it placed.
    virtual int Read(void* buffer, int count) = 0;
    // Bytes readable now without waiting, or -1 when the stream cannot tell.
    virtual int Available() const { return -1; }
    // origin 0 = from the start, 1 = from the current position. Returns the new
    // position, or -1 (position unchanged) when the stream cannot seek there.
    virtual int Seek(int /*offset*/, int /*origin*/) { return -1; }
};
