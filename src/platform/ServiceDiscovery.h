#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

// Finding the program on the local network with DNS-SD through the Avahi
// daemon: a running receiving server announces the service _quillet._tcp on its
// port under the computer's name, and the host search browses for it.
//
// All Avahi work runs on a thread of this object; no call ever waits for the
// daemon. Without a daemon an announcement quietly ends as Failed and a
// browse finishes with nothing found. Callbacks run on that thread: hand
// their results over to the UI thread, and do not destroy the object from
// inside one.
class CServiceDiscovery {
public:
    static constexpr const char* kServiceType = "_quillet._tcp";
    // A browse reports "finished" at the latest this long after it started,
    // even when a resolution or the daemon's "all for now" is still missing.
    static constexpr std::chrono::milliseconds kDefaultBrowseDeadline{5000};

    struct Host {
        std::string hostName;    // the computer's mDNS name, e.g. "office-pc.local"
        std::string address;     // numeric address; IPv6 link-local ones carry their "%interface"
        std::uint16_t port = 0;  // the receiving server's port
        std::string serviceName; // the announced name, normally the computer's name
    };
    using FoundCallback = std::function<void(const Host&)>;
    using FinishedCallback = std::function<void()>;

    enum class EAnnounce {
        Off,       // not announcing
        Pending,   // handed to the daemon, not yet confirmed
        Announced, // the daemon has established the announcement
        Failed,    // no daemon, or the daemon refused
    };

    CServiceDiscovery();
    // Stops the Avahi thread (joined) and withdraws any announcement.
    ~CServiceDiscovery();
    CServiceDiscovery(const CServiceDiscovery&) = delete;
    CServiceDiscovery& operator=(const CServiceDiscovery&) = delete;

    // Announces kServiceType on `port` under the computer's name (another
    // name is picked when that one is taken). Replaces an earlier announcement.
    // A server bound to one address is announced only on the interface that
    // carries it, and one bound to a loopback address not at all: a peer
    // must not be told of a server that would refuse it.
    void Announce(std::uint16_t port, const std::string& listenAddress = std::string());
    void Withdraw();
    EAnnounce AnnounceState() const;

    // Looks for announcements: `found` once per service that resolves to an
    // address, then `finished` once when the daemon has told all it knows,
    // the deadline passed or there is no daemon. A new Browse replaces a
    // running one, whose callbacks are not called any more. (Only when no
    // thread can be started at all is `finished` called before Browse returns.)
    void Browse(FoundCallback found, FinishedCallback finished,
                std::chrono::milliseconds deadline = kDefaultBrowseDeadline);
    // Once this returns, no callback of the running browse is called.
    void CancelBrowse();

private:
    struct SImpl; // the Avahi side, kept out of this header
    std::unique_ptr<SImpl> m_impl;
};
