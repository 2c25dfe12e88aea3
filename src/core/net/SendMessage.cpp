#include "core/net/SendMessage.h"

#include "core/base/Strings.h"
#include "core/net/SendMessageResponse.h"
#include "core/net/SocketInputStream.h"
#include "core/stream/BufferedInputStream.h"

#include <cerrno>
#include <memory>
#include <netdb.h>

namespace {

struct AddrInfoDeleter {
    void operator()(addrinfo* info) const { ::freeaddrinfo(info); }
};

} // namespace

void CSendMessage::SetResponse(std::shared_ptr<CSendMessageResponse> sink, std::uintptr_t parameter) {
    m_sink = std::move(sink);
    m_parameter = parameter;
}

std::string CSendMessage::GetErrorText() const {
    return m_errorId != 0 ? strings::EnglishText(m_errorId) : std::string();
}

bool CSendMessage::Fail(int errorId, int systemError) {
    Close();
    m_errorId = errorId;
    SetLastError(systemError);
    return false;
}

bool CSendMessage::SendTo(const std::string& host, int port, const void* bytes, int length) {
    m_errorId = 0;
    // "[::1]" is how people write an IPv6 address next to a port.
    std::string name = host;
    if (name.size() >= 2 && name.front() == '[' && name.back() == ']')
        name = name.substr(1, name.size() - 2);
    // The resolver would take an empty name for the local host.
    if (name.empty())
        return Fail(strings::kInvalidDestination, EAI_NONAME);

    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const int rc = ::getaddrinfo(name.c_str(), std::to_string(port).c_str(), &hints, &found);
    if (rc != 0 || found == nullptr) {
        if (found != nullptr)
            ::freeaddrinfo(found);
        return Fail(strings::kInvalidDestination, rc == EAI_SYSTEM ? errno : (rc != 0 ? rc : EAI_NONAME));
    }
    const std::unique_ptr<addrinfo, AddrInfoDeleter> info(found);

    if (!Create(info->ai_socktype, info->ai_protocol, info->ai_family))
        return Fail(strings::kSocketCreateFailed, GetLastError());

    // On Linux the send time-out also bounds a blocking connect (it then fails
    // with EINPROGRESS); only the first address is tried.
    SetSendTimeout(m_connectTimeoutMs > 0 ? m_connectTimeoutMs : 0);
    if (!Connect(info->ai_addr, info->ai_addrlen)) {
        const int error = GetLastError();
        return Fail(strings::kSocketCannotConnect, error == EINPROGRESS || error == EAGAIN ? ETIMEDOUT : error);
    }
    SetSendTimeout(kSendTimeoutMs);

    // Registered only once the whole request is out: an early answer (or a
    // refusal that closes the connection) is then handled after this call has
    // finished with the socket, and readiness is level-triggered, so nothing is missed.
    if (!SendAll(static_cast<const char*>(bytes), length))
        return Fail(strings::kSocketCannotConnect, GetLastError());
    if (!SetInterest(kInterestRead))
        return Fail(strings::kSocketCannotConnect, GetLastError());
    return true;
}

bool CSendMessage::SendAll(const char* bytes, int length) {
    while (length > 0) {
        const int sent = Send(bytes, length);
        if (sent <= 0)
            return false;
        bytes += sent;
        length -= sent;
    }
    return true;
}

void CSendMessage::OnRead() {
    const std::shared_ptr<CSendMessageResponse> sink = m_sink;
    if (!sink) {
        Close();
        return;
    }
    SetReceiveDeadline(std::chrono::steady_clock::now() + kAnswerTimeout);
    try {
        // One answer per connection, so a reader local to this call may read ahead.
        CSocketInputStream socket(this);
        CBufferedInputStream stream(&socket);
        sink->OnResponse(&stream, m_parameter);
    } catch (...) {
        // One answer per connection: whatever went wrong, this connection is done.
        Close();
    }
}
