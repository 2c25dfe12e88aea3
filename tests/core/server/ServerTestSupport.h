#pragma once

#include "core/base/FieldText.h"
#include "core/net/HTTPRequest.h"
#include "core/net/HTTPResponse.h"
#include "core/net/InboundSlot.h"
#include "core/net/ReceiveServer.h"
#include "core/net/MessageList.h"
#include "core/net/ServedDocuments.h"
#include "core/net/ServerHost.h"
#include "core/net/SocketInputStream.h"
#include "core/socket/SocketTestSupport.h"
#include "core/stream/MemOutputStream.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <atomic>
#include <cerrno>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace servertest {

using namespace std::chrono_literals;

// Answers the server's questions from a script; received items pile up in Items
// when AutoTake is on, else wait in the slot for the test to take them.
class CScriptedHost : public CServerHost {
public:
    enum class EConfirm { Yes, No, Never };

    CScriptedHost() {
        m_settings.AcceptConnection = 1;
        m_settings.Port = 0;
        m_slot.SetNotify([this] {
            if (!m_autoTake)
                return;
            CInboundSlot::Item item;
            if (m_slot.Take(item)) {
                std::lock_guard<std::mutex> lock(m_mutex);
                m_items.push_back(std::move(item));
            }
        });
    }

    NetworkProperty GetNetworkSettings() override {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_settings;
    }
    void AskToReceive(int stringId, const std::vector<std::string>& args, int expireSeconds,
                      Reply<bool> reply) override {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_questions.push_back({stringId, args, expireSeconds});
        }
        if (m_confirm != EConfirm::Never)
            reply(m_confirm == EConfirm::Yes);
    }
    // What m_list and m_notes hold now.
    const CServedDocuments& GetServedDocuments() override {
        std::lock_guard<std::mutex> lock(m_mutex);
        auto snapshot = std::make_shared<CServedDocuments::Snapshot>();
        snapshot->List = std::make_shared<const std::string>(m_list.MakeDocument());
        for (const auto& [id, document] : m_notes)
            snapshot->Notes[id] = std::make_shared<const std::string>(document);
        m_served.Publish(std::move(snapshot));
        return m_served;
    }
    CInboundSlot& GetInboundSlot() override { return m_slot; }
    void ReportError(int stringId, const std::vector<std::string>&) override {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_errors.push_back(stringId);
    }

    template <class F> void Edit(F edit) {
        std::lock_guard<std::mutex> lock(m_mutex);
        edit(m_settings);
    }
    std::vector<CInboundSlot::Item> Items() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_items;
    }
    std::vector<int> Errors() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_errors;
    }
    struct Question {
        int StringId;
        std::vector<std::string> Args;
        int Expire;
    };
    std::vector<Question> Questions() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_questions;
    }

    std::atomic<EConfirm> m_confirm{EConfirm::Yes};
    std::atomic<bool> m_autoTake{true};
    CMessageList m_list;                // set before the server runs
    std::map<int, std::string> m_notes; // likewise

private:
    std::mutex m_mutex;
    NetworkProperty m_settings;
    CInboundSlot m_slot;
    std::vector<CInboundSlot::Item> m_items;
    std::vector<int> m_errors;
    std::vector<Question> m_questions;
    CServedDocuments m_served;
};

// A client connection speaking the note protocol.
class CClient {
public:
    bool Open(int family, int port) { return sockettest::Connect(*m_socket, family, port); }
    // From a loopback address of its own (127.0.0.x), as another peer would.
    bool OpenFrom(const char* source, int port) {
        sockaddr_in local{};
        local.sin_family = AF_INET;
        ::inet_pton(AF_INET, source, &local.sin_addr);
        sockaddr_storage server;
        const socklen_t length = sockettest::LoopbackAddress(AF_INET, port, server);
        return m_socket->Create(SOCK_STREAM, 0, AF_INET) &&
               m_socket->Bind(reinterpret_cast<const sockaddr*>(&local), sizeof local) &&
               m_socket->Connect(reinterpret_cast<sockaddr*>(&server), length);
    }

    bool SendRaw(const std::string& bytes) {
        size_t done = 0;
        while (done < bytes.size()) {
            const int sent = m_socket->Send(bytes.data() + done, static_cast<int>(bytes.size() - done));
            if (sent <= 0)
                return false;
            done += static_cast<size_t>(sent);
        }
        return true;
    }
    // Sends the request and reads one response; false when none arrives in time.
    bool Exchange(CHTTPRequest& request, CHTTPResponse& response, std::chrono::milliseconds limit = 5s) {
        CMemOutputStream out;
        request.Write(&out);
        if (!SendRaw(out.ToString()))
            return false;
        return Read(response, limit);
    }
    bool Read(CHTTPResponse& response, std::chrono::milliseconds limit = 5s) {
        const auto deadline = std::chrono::steady_clock::now() + limit;
        m_socket->SetReceiveDeadline(deadline);
        CSocketInputStream in(m_socket.get());
        const bool ok = response.Parse(&in, deadline);
        m_socket->ClearReceiveDeadline();
        return ok;
    }
    // True when the server ended the connection (without sending anything) in time.
    bool ClosedWithin(std::chrono::milliseconds limit) {
        m_socket->SetReceiveDeadline(std::chrono::steady_clock::now() + limit);
        char byte;
        const int got = m_socket->Receive(&byte, 1);
        m_socket->ClearReceiveDeadline();
        return got == 0 || (got < 0 && m_socket->GetLastError() != ETIMEDOUT);
    }

    std::shared_ptr<CSimpleSocket> m_socket = std::make_shared<CSimpleSocket>();
};

inline CHTTPRequest MakeRequest(int method, const std::string& path, const std::string& body = std::string(),
                                const std::string& contentType = std::string()) {
    CHTTPRequest request;
    request.SetMethod(method);
    request.SetHost("localhost", 4126);
    request.SetPath(path);
    if (!body.empty())
        request.SetBody(body.data(), static_cast<int>(body.size()), contentType);
    return request;
}

inline NetworkInfo Entry(const char* network, const char* mask) {
    NetworkInfo info;
    CopyField(info.Network, network);
    CopyField(info.Mask, mask);
    return info;
}

} // namespace servertest
