#pragma once

#include "ui/app/AppTestSupport.h"
#include "ui/common/ModalRun.h"
#include "ui/net/DestinationList.h"
#include "ui/net/HostInfoDlg.h"

#include <QMessageBox>
#include <QTreeWidget>

#include <atomic>
#include <chrono>
#include <deque>
#include <mutex>
#include <poll.h>
#include <string>
#include <thread>
#include <vector>

// A receiving computer on loopback: answers every request with one status
// (after an optional delay) and records what came, one connection each.
class CTinyHttpServer {
public:
    struct Request {
        std::string Head; // request line and headers
        std::string Body;
    };

    explicit CTinyHttpServer(int status, int delayMs = 0) : m_status(status), m_delayMs(delayMs) {
        m_listen = socket(AF_INET, SOCK_STREAM, 0);
        const int on = 1;
        setsockopt(m_listen, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(m_listen, reinterpret_cast<sockaddr*>(&address), sizeof address);
        listen(m_listen, 16);
        socklen_t length = sizeof address;
        getsockname(m_listen, reinterpret_cast<sockaddr*>(&address), &length);
        m_port = ntohs(address.sin_port);
        m_thread = std::thread([this] { Run(); });
    }

    ~CTinyHttpServer() {
        m_stop = true;
        m_thread.join();
        close(m_listen);
    }

    int Port() const { return m_port; }
    int Count() const { return m_count; }
    std::vector<Request> Requests() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_requests;
    }

private:
    void Run() {
        while (!m_stop) {
            pollfd wait{m_listen, POLLIN, 0};
            if (poll(&wait, 1, 20) <= 0)
                continue;
            const int fd = accept(m_listen, nullptr, nullptr);
            if (fd >= 0)
                Serve(fd);
        }
    }

    void Serve(int fd) {
        timeval timeout{5, 0};
        setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
        std::string data;
        char buffer[4096];
        size_t headEnd = std::string::npos;
        size_t length = 0;
        while (true) {
            if (headEnd == std::string::npos && (headEnd = data.find("\r\n\r\n")) != std::string::npos) {
                const size_t field = data.find("Content-Length:");
                if (field != std::string::npos && field < headEnd)
                    length = std::stoul(data.substr(field + 15));
            }
            if (headEnd != std::string::npos && data.size() >= headEnd + 4 + length)
                break;
            const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
            if (n <= 0)
                break;
            data.append(buffer, static_cast<size_t>(n));
        }
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (headEnd == std::string::npos)
                m_requests.push_back({data, {}});
            else
                m_requests.push_back({data.substr(0, headEnd), data.substr(headEnd + 4)});
        }
        ++m_count;
        std::this_thread::sleep_for(std::chrono::milliseconds(m_delayMs));
        const std::string answer = "HTTP/1.0 " + std::to_string(m_status) + " X\r\nContent-Length: 0\r\n\r\n";
        send(fd, answer.data(), answer.size(), MSG_NOSIGNAL);
        close(fd);
    }

    int m_status;
    int m_delayMs;
    int m_listen = -1;
    int m_port = 0;
    std::atomic<bool> m_stop{false};
    std::atomic<int> m_count{0};
    mutable std::mutex m_mutex;
    std::vector<Request> m_requests;
    std::thread m_thread;
};

// A loopback port where nothing listens (bound, never listening: connecting is refused).
class CClosedPort {
public:
    CClosedPort() {
        m_fd = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(m_fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
        socklen_t length = sizeof address;
        getsockname(m_fd, reinterpret_cast<sockaddr*>(&address), &length);
        m_port = ntohs(address.sin_port);
    }
    ~CClosedPort() { close(m_fd); }
    int Port() const { return m_port; }

private:
    int m_fd = -1;
    int m_port = 0;
};

inline CDestInfo Destinations(const std::vector<DestEntry>& entries) {
    CDestInfo list;
    for (const DestEntry& entry : entries)
        list.Append(entry.Name, entry.Port);
    return list;
}

inline DestEntry Loopback(int port) {
    return {"127.0.0.1", static_cast<uint16_t>(port)};
}

// The rows as "name:port", top first.
inline std::vector<std::string> Rows(const CDestinationList& list) {
    std::vector<std::string> rows;
    QTreeWidget* view = list.View();
    for (int i = 0; i < view->topLevelItemCount(); ++i)
        rows.push_back(view->topLevelItem(i)->text(0).toStdString() + ":" +
                       view->topLevelItem(i)->text(1).toStdString());
    return rows;
}

inline std::vector<std::string> Entries(const CDestInfo& list) {
    std::vector<std::string> entries;
    for (const DestEntry& entry : list.GetEntries())
        entries.push_back(entry.Name + ":" + std::to_string(entry.Port));
    return entries;
}

inline void SelectRows(CDestinationList& list, const std::vector<int>& rows) {
    QTreeWidget* view = list.View();
    view->clearSelection();
    for (const int row : rows)
        view->topLevelItem(row)->setSelected(true);
}

// What the host dialog is answered with, and what it was opened with.
struct HostAnswer {
    QString Address;
    int Port = 0;
    bool Accept = true;
};

// Answers host dialogs from a queue (cancelled when the queue is empty) and
// message boxes with OK, recording both.
class CScriptedDialogs {
public:
    CScriptedDialogs() {
        modalrun::SetHook([this](QDialog& dialog) { return Answer(dialog); });
    }
    ~CScriptedDialogs() { modalrun::SetHook({}); }

    int Answer(QDialog& dialog) {
        if (auto* host = qobject_cast<CHostInfoDlg*>(&dialog)) {
            Offered.push_back({host->Address(), host->Port(), true});
            if (Hosts.empty())
                return QDialog::Rejected;
            const HostAnswer answer = Hosts.front();
            Hosts.pop_front();
            if (!answer.Accept)
                return QDialog::Rejected;
            host->SetAddress(answer.Address);
            host->SetPort(answer.Port);
            return QDialog::Accepted;
        }
        if (auto* box = qobject_cast<QMessageBox*>(&dialog)) {
            Boxes.push_back({box->windowTitle(), box->text()});
            return QMessageBox::Ok;
        }
        if (Other)
            return Other(dialog);
        return QDialog::Rejected;
    }

    std::deque<HostAnswer> Hosts;
    std::vector<HostAnswer> Offered;
    std::vector<std::pair<QString, QString>> Boxes; // title, text
    std::function<int(QDialog&)> Other;
};
