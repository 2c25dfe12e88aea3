#pragma once

#include "core/net/SimpleSocket.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

class CSendMessageResponse;

// One client connection of the note protocol: connects, sends one request and
// hands the answer to its response sink on the select thread.
//
// Must be owned by a std::shared_ptr (it registers with the select thread). The
// socket keeps its sink alive, so a sink may drop the last outside reference to
// the socket (and so to itself) from inside OnResponse.
class CSendMessage : public CSimpleSocket {
public:
    // Bounds the connection set-up, which runs on the caller's thread: an
    // unreachable host must not hold the user interface for minutes.
    static constexpr int kDefaultConnectTimeoutMs = 10000;
    // Bounds each write of the request: a peer that stops reading cannot hold the caller.
    static constexpr int kSendTimeoutMs = 10000;
    // Once the first byte of the answer is there, the whole answer must follow
    // within this time: a peer that trickles costs one dispatch thread, not more.
    static constexpr std::chrono::seconds kAnswerTimeout{10};

    CSendMessage() = default;
    ~CSendMessage() override = default;

    // Must be set before SendTo.
    void SetResponse(std::shared_ptr<CSendMessageResponse> sink, std::uintptr_t parameter);
    // 0 or less = wait as long as the system does.
    void SetConnectTimeout(int milliseconds) { m_connectTimeoutMs = milliseconds; }

    // Resolves host (a name, an IPv4 address, or an IPv6 address with or without
    // brackets) with port, connects to the first address, writes the bytes and
    // registers for the answer. On failure the socket is closed, false returned and
    // the error set: strings::kInvalidDestination, kSocketCreateFailed or
    // kSocketCannotConnect.
    bool SendTo(const std::string& host, int port, const void* bytes, int length);

    // The string id of the last SendTo failure (0 = none) and its English text.
    int GetErrorId() const { return m_errorId; }
    std::string GetErrorText() const;

    // Hands the connection's input stream to the sink, reads bounded by
    // kAnswerTimeout. A connection without sink is closed.
    void OnRead() override;

private:
    bool Fail(int errorId, int systemError);
    bool ConnectWithTimeout(const sockaddr* address, socklen_t length);
    bool SendAll(const char* bytes, int length);

    std::shared_ptr<CSendMessageResponse> m_sink;
    std::uintptr_t m_parameter = 0;
    int m_connectTimeoutMs = kDefaultConnectTimeoutMs;
    int m_errorId = 0;
};
