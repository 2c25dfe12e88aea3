#include "core/net/LocalListener.h"

#include "core/base/Paths.h"
#include "core/net/InboundSlot.h"
#include "core/net/SelectThread.h"
#include "core/net/SimpleAsyncSocket.h"
#include "core/store/PropParser.h"
#include "core/stream/DataFiles.h"

#include <cstring>
#include <exception>
#include <fcntl.h>
#include <netinet/in.h>

namespace {

// Loopback only: the bridge is for scripts of this computer, never the network.
bool BindLoopback(CSimpleSocket& socket, int family) {
    sockaddr_storage storage{};
    socklen_t length;
    if (family == AF_INET) {
        auto* v4 = reinterpret_cast<sockaddr_in*>(&storage);
        v4->sin_family = AF_INET;
        v4->sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        length = sizeof *v4;
    } else {
        auto* v6 = reinterpret_cast<sockaddr_in6*>(&storage);
        v6->sin6_family = AF_INET6;
        v6->sin6_addr = in6addr_loopback;
        length = sizeof *v6;
    }
    return socket.Create(SOCK_STREAM, 0, family) && socket.Bind(reinterpret_cast<const sockaddr*>(&storage), length);
}

} // namespace

CLocalListener::CLocalListener(CInboundSlot& slot) : CLocalListener(slot, Options{}) {}

CLocalListener::CLocalListener(CInboundSlot& slot, const Options& options) : m_slot(slot), m_options(options) {}

CLocalListener::~CLocalListener() {
    Close();
    m_retired.WaitAll();
    m_callbacks.WaitIdle();
}

bool CLocalListener::CreateLocalListener() {
    return CreateLocalListener(CPaths::LocalPortFile());
}

bool CLocalListener::CreateLocalListener(const std::string& portFile) {
    Close();
    auto listener = std::make_shared<CSimpleAsyncSocket>();
    std::string address;
    int port = 0;
    const bool bound = BindLoopback(*listener, AF_INET) || BindLoopback(*listener, AF_INET6);
    const int fd = listener->GetHandle();
    if (!bound || !listener->Listen() || ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK) != 0 ||
        !listener->GetSockName(address, port)) {
        listener->Close();
        return false;
    }
    listener->SetCallback([this](CSimpleAsyncSocket& socket) { OnAccept(socket); });
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_listener = listener;
        m_port = port;
    }
    if (!listener->SetInterest(CSimpleSocket::kInterestRead)) {
        Close();
        return false;
    }
    // Published last, so that the file never names a port nobody serves.
    try {
        const std::string::size_type slash = portFile.rfind('/');
        if (slash != std::string::npos && slash > 0 && !EnsureFolder(portFile.substr(0, slash), kPrivateFolderMode)) {
            Close();
            return false;
        }
        WriteFileAtomically(portFile, std::to_string(port), kPrivateFileMode);
    } catch (const std::exception&) {
        Close();
        return false;
    }
    return true;
}

void CLocalListener::Close() {
    std::shared_ptr<CSimpleAsyncSocket> listener;
    std::vector<std::shared_ptr<CSimpleAsyncSocket>> connections;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        listener = std::move(m_listener);
        m_listener.reset();
        m_port = 0;
        for (auto& item : m_connections)
            connections.push_back(std::move(item.second));
        m_connections.clear();
    }
    m_retired.Forget();
    m_retired.Add(listener);
    m_retired.AddAll(connections);
    if (listener)
        listener->Close();
    for (const auto& connection : connections)
        connection->Close();
}

int CLocalListener::GetPort() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_port;
}

bool CLocalListener::IsListening() const {
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_listener != nullptr;
}

void CLocalListener::OnAccept(CSimpleAsyncSocket& listener) {
    CCallbackCounter::CScope scope(m_callbacks);
    auto connection = std::make_shared<CSimpleAsyncSocket>();
    if (!listener.Accept(*connection))
        return;
    connection->SetCallback([this](CSimpleAsyncSocket& socket) { OnRead(socket); });
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_listener.get() != &listener) {
            connection->Close();
            return;
        }
        m_connections.emplace(connection.get(), connection);
    }
    // Each connection is read on its own callback: a slow writer holds up no other.
    if (!connection->SetInterest(CSimpleSocket::kInterestRead))
        EndConnection(*connection);
}

void CLocalListener::EndConnection(CSimpleAsyncSocket& connection) {
    std::shared_ptr<CSimpleAsyncSocket> owned;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        const auto it = m_connections.find(&connection);
        if (it != m_connections.end()) {
            owned = std::move(it->second);
            m_connections.erase(it);
        }
    }
    connection.Close();
}

void CLocalListener::OnRead(CSimpleAsyncSocket& connection) {
    CCallbackCounter::CScope scope(m_callbacks);
    std::string bytes;
    bool complete = false;
    try {
        connection.SetReceiveDeadline(std::chrono::steady_clock::now() + m_options.ReadDeadline);
        char chunk[kReadChunk];
        for (;;) {
            const int got = connection.Receive(chunk, sizeof chunk);
            if (got == 0) {
                complete = true;
                break;
            }
            // An error, a passed deadline or too much data: nothing half-read is delivered.
            if (got < 0 || bytes.size() + static_cast<size_t>(got) > static_cast<size_t>(m_options.MaxBytes))
                break;
            bytes.append(chunk, static_cast<size_t>(got));
        }
    } catch (const std::exception&) {
        complete = false;
    }
    EndConnection(connection);
    // A connection that carried nothing (a probe) makes no empty note.
    if (!complete || bytes.empty())
        return;
    const int command = bytes.starts_with(std::string_view(kPropertyDocumentPrefix)) ? CInboundSlot::kNoteDocument
                                                                                     : CInboundSlot::kPlainText;
    m_slot.PostInbound(bytes, command, m_options.InboundWait);
}
