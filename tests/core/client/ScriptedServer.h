#pragma once

#include "core/net/SimpleSocket.h"
#include "core/socket/SocketTestSupport.h"

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace clienttest {

// A loopback server on a system-chosen port that records each request's raw
// bytes and answers with the next scripted response (one request per
// connection, then it closes). An empty script entry closes without answer;
// Hold() makes it keep connections open, unanswered, until it is destroyed.
class CScriptedServer {
public:
    static constexpr char kCloseWithoutAnswer[] = "";

    explicit CScriptedServer(int family = AF_INET) : m_family(family) {}
    ~CScriptedServer() {
        m_stop = true;
        m_listener.Close();
        if (m_thread.joinable())
            m_thread.join();
    }

    bool Start() {
        // A deep backlog: clients fire requests faster than this one thread answers them.
        sockaddr_storage address;
        const socklen_t length = sockettest::LoopbackAddress(m_family, 0, address);
        std::string text;
        if (!m_listener.Create(SOCK_STREAM, 0, m_family) ||
            !m_listener.Bind(reinterpret_cast<sockaddr*>(&address), length) || !m_listener.Listen(128) ||
            !m_listener.GetSockName(text, m_port))
            return false;
        m_thread = std::thread([this] { Run(); });
        return true;
    }
    int Port() const { return m_port; }

    void Script(std::string response) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_script.push_back(std::move(response));
    }
    void Hold() { m_hold = true; }

    // Waits (bounded) until count requests have arrived; returns them all.
    std::vector<std::string> Requests(size_t count = 1) {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_arrived.wait_for(lock, std::chrono::seconds(5), [&] { return m_requests.size() >= count; });
        return m_requests;
    }

private:
    void Run() {
        std::vector<std::unique_ptr<CSimpleSocket>> held;
        while (!m_stop) {
            auto session = std::make_unique<CSimpleSocket>();
            if (!m_listener.Accept(*session))
                break;
            session->SetReceiveDeadline(std::chrono::steady_clock::now() + std::chrono::seconds(5));
            std::string request = ReadRequest(*session);
            std::string response = "HTTP/1.0 200 OK\r\n\r\n";
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                m_requests.push_back(std::move(request));
                if (!m_script.empty()) {
                    response = std::move(m_script.front());
                    m_script.pop_front();
                }
            }
            m_arrived.notify_all();
            if (m_hold) {
                held.push_back(std::move(session));
                continue;
            }
            if (!response.empty())
                session->Send(response.data(), static_cast<int>(response.size()));
            session->Close();
        }
    }

    // The head up to its empty line, then as many bytes as Content-Length says.
    static std::string ReadRequest(CSimpleSocket& socket) {
        std::string bytes;
        char buffer[4096];
        size_t headEnd = std::string::npos;
        size_t wanted = std::string::npos;
        while (wanted == std::string::npos || bytes.size() < wanted) {
            const int n = socket.Receive(buffer, sizeof buffer);
            if (n <= 0)
                break;
            bytes.append(buffer, static_cast<size_t>(n));
            if (headEnd == std::string::npos && (headEnd = bytes.find("\r\n\r\n")) != std::string::npos) {
                size_t length = 0;
                const size_t at = bytes.find("Content-Length: ");
                if (at != std::string::npos && at < headEnd)
                    length = std::stoul(bytes.substr(at + 16));
                wanted = headEnd + 4 + length;
            }
        }
        return bytes;
    }

    int m_family;
    int m_port = 0;
    CSimpleSocket m_listener;
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_hold{false};
    std::mutex m_mutex;
    std::condition_variable m_arrived;
    std::deque<std::string> m_script;
    std::vector<std::string> m_requests;
};

// The value of a header line in raw request bytes, empty when it is missing.
inline std::string HeaderValue(const std::string& request, const std::string& name) {
    const std::string key = "\r\n" + name + ": ";
    const size_t at = request.find(key);
    if (at == std::string::npos)
        return std::string();
    const size_t start = at + key.size();
    return request.substr(start, request.find("\r\n", start) - start);
}

} // namespace clienttest
