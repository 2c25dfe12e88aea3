#pragma once

#include <cstdint>

class CInputStream;

// Receives the answer to a request sent by CSendMessage. Called on a dispatch
// thread of the select thread, with the connection's input stream and the
// parameter the request was sent with.
class CSendMessageResponse {
public:
    virtual ~CSendMessageResponse() = default;
    virtual void OnResponse(CInputStream* stream, std::uintptr_t parameter) = 0;
};
