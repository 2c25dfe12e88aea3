#pragma once

#include <cstddef>
#include <string>
#include <sys/types.h>
#include <time.h>

// The program's local listener as the bridge sees it: a port published in a
// small file and a loopback connection that carries one text and is closed.
class CLocalChannel {
public:
    enum class Result { Sent, NoPort, ConnectFailed, SendFailed };

    // How long one connection attempt may take; loopback answers at once
    // unless the listener's queue is full.
    static constexpr int kConnectTimeoutMs = 3000;
    // How long a send may make no progress before the bridge gives up (a
    // program busy with a modal prompt stops reading for a while).
    static constexpr int kSendStallTimeoutMs = 10000;
    // More than any port number needs; the rest of the file is ignored.
    static constexpr size_t kPortFileReadLimit = 64;

    // What identifies one version of the port file, to tell a freshly written
    // file from the one a previous run left behind.
    struct Stamp {
        bool exists = false;
        dev_t device = 0;
        ino_t inode = 0;
        off_t size = 0;
        timespec modified{};
        timespec changed{};
        bool operator==(const Stamp& other) const;
    };
    static Stamp StampOf(const std::string& portFile);

    // The decimal number at the start of the file (leading blanks skipped);
    // 0 when the file is missing, unreadable, or holds no port from 1 to 65535.
    static int ReadPort(const std::string& portFile);

    // Connects to `port` on 127.0.0.1 (then ::1 when that fails), sends all
    // `length` bytes, shuts the sending side down and closes. No answer is read.
    // When the text cannot go out whole the connection is reset, not ended.
    static Result Send(int port, const char* bytes, size_t length);
};
