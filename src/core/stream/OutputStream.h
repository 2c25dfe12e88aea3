#pragma once

// Sink of bytes.
class COutputStream {
public:
    virtual ~COutputStream() = default;

    // Returns the number of bytes accepted.
    virtual int Write(const void* data, int count) = 0;
    virtual int Seek(int /*offset*/, int /*origin*/) { return -1; }
};
