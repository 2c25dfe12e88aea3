#pragma once

#include "core/app/SettingsFile.h"
#include "core/base/Paths.h"
#include "core/store/DataBase.h"
#include "core/store/PropParser.h"
#include "core/stream/DataFiles.h"
#include "ui/app/PinletApp.h"
#include "ui/app/TrayIcon.h"
#include "ui/note/MessageDlg.h"

#include <QApplication>
#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <future>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

// Runs the event loop until the condition holds or the time is up.
inline bool PumpUntil(const std::function<bool()>& condition, int milliseconds = 5000) {
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > milliseconds)
            return false;
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

inline void PumpFor(int milliseconds) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < milliseconds)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
}

// A note document as the program writes it.
inline std::string NoteDocument(int id, const char* title, Rect rect, bool hidden = false) {
    CPropParser document;
    document.m_hasSheet = true;
    document.m_sheet.ID = id;
    std::strncpy(document.m_sheet.Title, title, sizeof document.m_sheet.Title - 1);
    document.m_sheet.Left = rect.Left;
    document.m_sheet.Top = rect.Top;
    document.m_sheet.Right = rect.Right;
    document.m_sheet.Bottom = rect.Bottom;
    document.m_sheet.AutoResize = 0;
    document.m_sheet.Hidden = hidden ? 1 : 0;
    document.m_hasFont = true;
    return document.MakeDocument();
}

// Every test runs the program in fresh HOME and XDG folders, with a tray and
// scripted questions.
class AppTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/quillet-app-test-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_root = pattern;
        setenv("HOME", m_root.c_str(), 1);
        setenv("XDG_CONFIG_HOME", (m_root + "/config").c_str(), 1);
        setenv("XDG_DOCUMENTS_DIR", (m_root + "/Documents").c_str(), 1);
        CTrayIcon::SetAvailabilityOverride(1);
    }

    void TearDown() override {
        m_app.reset();
        CTrayIcon::SetAvailabilityOverride(-1);
        std::system(("rm -rf '" + m_root + "'").c_str());
    }

    // Starts the program; questions are answered from the script.
    CPinletApp& Start(CPinletApp::Options options = NoRecheck()) {
        m_app = std::make_unique<CPinletApp>(options);
        m_app->Prompt().SetScripted(true);
        EXPECT_TRUE(m_app->InitInstance());
        return *m_app;
    }

    void Stop() {
        m_app->ExitInstance();
        m_app.reset();
    }

    static CPinletApp::Options NoRecheck() {
        CPinletApp::Options options;
        options.TrayRecheckMs = 0;
        return options;
    }

    std::string SaveFolder() const { return m_root + "/Documents/Quillet"; }

    void WriteSettings(const std::function<void(CPropParser&)>& edit) {
        CPropParser model;
        CSettingsFile::Load(model);
        edit(model);
        CSettingsFile::Save(model);
    }

    void WriteNote(const std::string& name, const std::string& contents) {
        ASSERT_TRUE(EnsureFolder(SaveFolder(), 0700));
        WriteFileAtomically(SaveFolder() + "/" + name, contents, 0600);
    }

    std::string ReadNote(int id) const {
        std::string contents;
        ReadWholeFile(NoteFilePath(SaveFolder(), id), contents);
        return contents;
    }

    CDataBase& Store() { return m_app->Store(); }
    CMessageDlg* Note(int id) { return dynamic_cast<CMessageDlg*>(Store().GetMessage(id)); }

    std::string m_root;
    std::unique_ptr<CPinletApp> m_app;
};

// One HTTP/1.0 exchange with 127.0.0.1:port on a thread of its own; the
// caller pumps the event loop while it runs.
inline std::future<std::string> HttpExchange(int port, std::string request) {
    return std::async(std::launch::async, [port, request] {
        const int fd = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        timeval timeout{10, 0};
        setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
        std::string answer;
        if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
            send(fd, request.data(), request.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(request.size())) {
            shutdown(fd, SHUT_WR);
            char buffer[4096];
            ssize_t n;
            while ((n = recv(fd, buffer, sizeof buffer, 0)) > 0)
                answer.append(buffer, static_cast<size_t>(n));
        }
        close(fd);
        return answer;
    });
}

inline std::string Pumped(std::future<std::string>& future) {
    PumpUntil([&] { return future.wait_for(std::chrono::milliseconds(0)) == std::future_status::ready; }, 20000);
    return future.get();
}
