#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// A tiny HTTP server on 127.0.0.1 for one test: each connection gets the next
// scripted answer (an empty answer closes the connection without one) and its
// request is recorded. A held server keeps each connection open until Release.
// Everything it waits for is bounded; the destructor stops it.
class CScriptedServer {
public:
    CScriptedServer() {
        m_listener = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(m_listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
        listen(m_listener, 8);
        socklen_t length = sizeof address;
        getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length);
        m_port = ntohs(address.sin_port);
        m_thread = std::thread([this] { Run(); });
    }

    ~CScriptedServer() {
        m_stop = true;
        Release();
        m_thread.join();
        close(m_listener);
    }

    int Port() const { return m_port; }

    void Answer(std::string response) {
        std::lock_guard lock(m_mutex);
        m_answers.push_back(std::move(response));
    }
    void Hold() { m_held = true; }
    void Release() {
        std::lock_guard lock(m_mutex);
        m_held = false;
        m_changed.notify_all();
    }

    std::vector<std::string> Requests() const {
        std::lock_guard lock(m_mutex);
        return m_requests;
    }
    std::size_t RequestCount() const { return Requests().size(); }

    static std::string Ok(const std::string& contentType, const std::string& body) {
        return "HTTP/1.0 200 OK\r\nContent-Type: " + contentType +
               "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
    }
    static std::string Status(int status, const std::string& reason) {
        return "HTTP/1.0 " + std::to_string(status) + " " + reason + "\r\nContent-Length: 0\r\n\r\n";
    }

private:
    void Run() {
        while (!m_stop) {
            pollfd descriptor{m_listener, POLLIN, 0};
            if (poll(&descriptor, 1, 50) <= 0)
                continue;
            const int connection = accept(m_listener, nullptr, nullptr);
            if (connection < 0)
                continue;
            Serve(connection);
            close(connection);
        }
    }

    void Serve(int connection) {
        std::string request;
        char buffer[4096];
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (request.find("\r\n\r\n") == std::string::npos && std::chrono::steady_clock::now() < deadline) {
            pollfd descriptor{connection, POLLIN, 0};
            if (poll(&descriptor, 1, 50) <= 0)
                continue;
            const ssize_t n = recv(connection, buffer, sizeof buffer, 0);
            if (n <= 0)
                break;
            request.append(buffer, static_cast<size_t>(n));
        }
        std::string answer;
        {
            std::unique_lock lock(m_mutex);
            m_requests.push_back(request);
            m_changed.wait_for(lock, std::chrono::seconds(10), [this] { return !m_held || m_stop; });
            if (!m_answers.empty()) {
                answer = std::move(m_answers.front());
                m_answers.pop_front();
            }
        }
        if (!answer.empty())
            send(connection, answer.data(), answer.size(), MSG_NOSIGNAL);
    }

    int m_listener = -1;
    int m_port = 0;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_held{false};
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::string> m_answers;
    std::vector<std::string> m_requests;
    std::thread m_thread;
};
