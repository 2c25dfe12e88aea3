// The library's C interface: the message object and SendToApp.
#include "quilletfire.h"

#include "bridge/BridgePaths.h"
#include "bridge/InstanceLock.h"
#include "bridge/LocalChannel.h"
#include "bridge/ProgramStarter.h"

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <thread>

#ifndef QUILLETFIRE_VERSION_STRING
#define QUILLETFIRE_VERSION_STRING "1.0.0"
#endif

struct QuilletFireMessage {
    std::string m_text;
    bool m_set = false; // "never set" and "set to nothing" differ
};

namespace {

// How long a freshly started program gets to open its local listener. A cold
// start of a Qt program on a loaded machine can take several seconds.
constexpr int kDefaultStartTimeoutMs = 10000;
constexpr int kMaxStartTimeoutMs = 600000;
constexpr int kPollIntervalMs = 50;

int StartTimeoutMs() {
    const char* value = std::getenv("QUILLETFIRE_START_TIMEOUT_MS");
    if (value == nullptr || *value == '\0')
        return kDefaultStartTimeoutMs;
    char* end = nullptr;
    const long parsed = std::strtol(value, &end, 10);
    if (*end != '\0' || parsed < 0 || parsed > kMaxStartTimeoutMs)
        return kDefaultStartTimeoutMs;
    return static_cast<int>(parsed);
}

// Starts the program and waits until its local listener is up: the instance
// lock is held and the port file changed since we looked at it (a rewrite
// changes its change time, and often its inode or size). A port file left by
// an earlier run must not be used: its port may belong to anybody by now.
// Returns nothing when the program is up, else why not.
std::optional<QuilletFireStatus> StartAndWait(const std::string& lockFile, const std::string& portFile,
                                              const CLocalChannel::Stamp& before) {
    const std::string program = CBridgePaths::AppPath();
    if (program.empty())
        return QUILLETFIRE_NOT_STARTED;
    const int timeoutMs = StartTimeoutMs();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    const pid_t pid = CProgramStarter::Start(program, CBridgePaths::HomeFolder(), timeoutMs);
    if (pid < 0)
        return QUILLETFIRE_NOT_STARTED;
    for (;;) {
        const CLocalChannel::Stamp now = CLocalChannel::StampOf(portFile);
        const bool fresh = now.exists && !(now == before);
        // The file is truncated before the port is written: an empty one is not ready yet.
        if (fresh && CLocalChannel::ReadPort(portFile) != 0 && CInstanceLock::IsHeld(lockFile))
            return std::nullopt;
        // Our program may have ended because another start won the race; only
        // when nobody holds the lock has the start failed.
        if (!CProgramStarter::IsAlive(pid) && !CInstanceLock::IsHeld(lockFile))
            return QUILLETFIRE_NOT_STARTED;
        if (std::chrono::steady_clock::now() >= deadline)
            return QUILLETFIRE_START_TIMEOUT;
        std::this_thread::sleep_for(std::chrono::milliseconds(kPollIntervalMs));
    }
}

QuilletFireStatus Deliver(const QuilletFireMessage& message) {
    if (!message.m_set)
        return QUILLETFIRE_NOTHING_TO_SEND;
    const std::string lockFile = CBridgePaths::LockFile();
    const std::string portFile = CBridgePaths::PortFile();
    // Looked at before the lock: the program takes its lock before it writes
    // the port file, so one that starts right after the probe still changes
    // the file after this look.
    const CLocalChannel::Stamp before = CLocalChannel::StampOf(portFile);
    if (!CInstanceLock::IsHeld(lockFile)) {
        if (const auto failed = StartAndWait(lockFile, portFile, before))
            return *failed;
    }
    const int port = CLocalChannel::ReadPort(portFile);
    switch (CLocalChannel::Send(port, message.m_text.data(), message.m_text.size())) {
    case CLocalChannel::Result::Sent:
        return QUILLETFIRE_DELIVERED;
    case CLocalChannel::Result::NoPort:
        return QUILLETFIRE_NO_PORT;
    case CLocalChannel::Result::ConnectFailed:
        return QUILLETFIRE_CONNECT_FAILED;
    case CLocalChannel::Result::SendFailed:
        break;
    }
    return QUILLETFIRE_SEND_FAILED;
}

} // namespace

extern "C" {

QuilletFireMessage* quilletfire_message_new(void) {
    try {
        return new QuilletFireMessage();
    } catch (...) {
        return nullptr;
    }
}

void quilletfire_message_free(QuilletFireMessage* message) {
    delete message;
}

int quilletfire_message_put(QuilletFireMessage* message, const char* bytes, size_t length) {
    if (message == nullptr || (bytes == nullptr && length != 0))
        return QUILLETFIRE_E_INVALIDARG;
    try {
        message->m_text.assign(bytes != nullptr ? bytes : "", length);
        message->m_set = true;
        return QUILLETFIRE_S_OK;
    } catch (...) {
        return QUILLETFIRE_E_INVALIDARG;
    }
}

int quilletfire_message_put_string(QuilletFireMessage* message, const char* text) {
    return quilletfire_message_put(message, text, text != nullptr ? std::strlen(text) : 0);
}

QuilletFireStatus quilletfire_message_deliver(const QuilletFireMessage* message) {
    if (message == nullptr)
        return QUILLETFIRE_INVALID_ARGUMENT;
    try {
        return Deliver(*message);
    } catch (...) {
        // Out of memory while building a path: nothing went out.
        return QUILLETFIRE_SEND_FAILED;
    }
}

int quilletfire_status_result(QuilletFireStatus status) {
    switch (status) {
    case QUILLETFIRE_NOT_STARTED:
    case QUILLETFIRE_START_TIMEOUT:
        return QUILLETFIRE_S_FALSE;
    case QUILLETFIRE_INVALID_ARGUMENT:
        return QUILLETFIRE_E_INVALIDARG;
    default:
        return QUILLETFIRE_S_OK;
    }
}

int quilletfire_send_to_app(const QuilletFireMessage* message) {
    return quilletfire_status_result(quilletfire_message_deliver(message));
}

const char* quilletfire_status_text(QuilletFireStatus status) {
    switch (status) {
    case QUILLETFIRE_DELIVERED:
        return "delivered";
    case QUILLETFIRE_NOTHING_TO_SEND:
        return "no text was set; nothing sent";
    case QUILLETFIRE_NOT_STARTED:
        return "Quillet is not running and could not be started";
    case QUILLETFIRE_START_TIMEOUT:
        return "Quillet was started but did not open its local listener in time";
    case QUILLETFIRE_NO_PORT:
        return "Quillet is running but its local port file is missing or unreadable; nothing sent";
    case QUILLETFIRE_CONNECT_FAILED:
        return "Quillet is running but its local listener refused the connection; nothing sent";
    case QUILLETFIRE_SEND_FAILED:
        return "the text could not be sent in full";
    case QUILLETFIRE_INVALID_ARGUMENT:
        return "no message object";
    }
    return "unknown status";
}

const char* quilletfire_version(void) {
    return QUILLETFIRE_VERSION_STRING;
}

} // extern "C"
