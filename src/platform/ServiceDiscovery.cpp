#include "platform/ServiceDiscovery.h"

#include "core/net/ReceiveServer.h"

#include <cerrno>
#include <deque>
#include <future>
#include <mutex>
#include <set>

#include <avahi-client/client.h>
#include <avahi-client/lookup.h>
#include <avahi-client/publish.h>
#include <avahi-common/address.h>
#include <avahi-common/alternative.h>
#include <avahi-common/error.h>
#include <avahi-common/malloc.h>
#include <avahi-common/thread-watch.h>
#include <avahi-common/timeval.h>
#include <arpa/inet.h>
#include <fcntl.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <unistd.h>

using EAnnounce = CServiceDiscovery::EAnnounce;

// Everything below "Avahi thread only" is touched by the poll thread alone
// (tasks, watches, Avahi callbacks), or before it starts and after it stopped.
// Callers reach it through a task queue and a wake-up pipe: taking the threaded
// poll's lock instead could wait for a D-Bus call to a stuck daemon.
struct CServiceDiscovery::SImpl {
    ~SImpl();

    bool Run(std::function<void()> task);
    bool EnsureStarted(); // with queueMutex held
    void SetAnnounceState(EAnnounce state);

    bool EnsureClient();
    void Publish(AvahiClient* client);
    void StartBrowse(unsigned generation, std::chrono::milliseconds deadline);
    void StopBrowse();
    void FinishBrowse();
    void MaybeFinishBrowse();
    void Report(const Host& host);

    static void OnWake(AvahiWatch*, int fd, AvahiWatchEvent, void* self);
    static void OnClient(AvahiClient* client, AvahiClientState state, void* self);
    static void OnGroup(AvahiEntryGroup* group, AvahiEntryGroupState state, void* self);
    static void OnBrowse(AvahiServiceBrowser* browser, AvahiIfIndex interface, AvahiProtocol protocol,
                         AvahiBrowserEvent event, const char* name, const char* type, const char* domain,
                         AvahiLookupResultFlags, void* self);
    static void OnResolve(AvahiServiceResolver* resolver, AvahiIfIndex interface, AvahiProtocol,
                          AvahiResolverEvent event, const char* name, const char*, const char*, const char* hostName,
                          const AvahiAddress* address, uint16_t port, AvahiStringList*, AvahiLookupResultFlags,
                          void* self);
    static void OnDeadline(AvahiTimeout*, void* self);

    // Shared with callers, under queueMutex.
    std::mutex queueMutex;
    std::deque<std::function<void()>> queue;
    bool started = false;
    bool startFailed = false;
    int wakeRead = -1;
    int wakeWrite = -1;
    EAnnounce announceState = EAnnounce::Off;
    bool callerWants = false; // the last call was Announce, not Withdraw

    // The user's browse callbacks, under callbackMutex, which is held while
    // they run so that CancelBrowse can promise silence. Recursive: a callback
    // may start or cancel a browse.
    std::recursive_mutex callbackMutex;
    unsigned generation = 0;
    FoundCallback found;
    FinishedCallback finished;

    // Avahi thread only.
    AvahiThreadedPoll* poll = nullptr;
    const AvahiPoll* api = nullptr;
    AvahiClient* client = nullptr;
    bool clientBroken = false;
    AvahiEntryGroup* group = nullptr;
    bool announceWanted = false;
    uint16_t port = 0;
    AvahiIfIndex announceInterface = AVAHI_IF_UNSPEC;
    AvahiProtocol announceProtocol = AVAHI_PROTO_UNSPEC;
    std::string serviceName;
    AvahiServiceBrowser* browser = nullptr;
    std::set<AvahiServiceResolver*> resolvers;
    std::set<std::string> reported;
    AvahiTimeout* deadline = nullptr;
    unsigned browseGeneration = 0;
    bool browsing = false;
    bool allForNow = false;
};

CServiceDiscovery::SImpl::~SImpl() {
    if (started) {
        // The client is freed on the thread that used it, so that libdbus sees
        // one thread only; freeing it frees its groups, browsers and resolvers,
        // and the daemon drops the announcement with it.
        std::promise<void> freed;
        Run([this, &freed] {
            StopBrowse();
            if (client != nullptr)
                avahi_client_free(client);
            client = nullptr;
            group = nullptr;
            freed.set_value();
        });
        freed.get_future().wait();
        avahi_threaded_poll_stop(poll);
        avahi_threaded_poll_free(poll);
    }
    if (wakeRead >= 0)
        close(wakeRead);
    if (wakeWrite >= 0)
        close(wakeWrite);
}

bool CServiceDiscovery::SImpl::EnsureStarted() {
    if (started || startFailed)
        return started;
    int fds[2];
    poll = avahi_threaded_poll_new();
    if (poll != nullptr && pipe2(fds, O_NONBLOCK | O_CLOEXEC) == 0) {
        wakeRead = fds[0];
        wakeWrite = fds[1];
        api = avahi_threaded_poll_get(poll);
        // Not started yet: no lock needed to add the watch.
        if (api->watch_new(api, wakeRead, AVAHI_WATCH_IN, OnWake, this) != nullptr &&
            avahi_threaded_poll_start(poll) == 0) {
            started = true;
            return true;
        }
    }
    if (poll != nullptr)
        avahi_threaded_poll_free(poll);
    poll = nullptr;
    startFailed = true;
    return false;
}

bool CServiceDiscovery::SImpl::Run(std::function<void()> task) {
    std::lock_guard lock(queueMutex);
    if (!EnsureStarted())
        return false;
    queue.push_back(std::move(task));
    // A full pipe already holds a wake-up; nothing is lost by not writing.
    const char byte = 0;
    [[maybe_unused]] ssize_t ignored = write(wakeWrite, &byte, 1);
    return true;
}

void CServiceDiscovery::SImpl::OnWake(AvahiWatch*, int fd, AvahiWatchEvent, void* self) {
    auto* impl = static_cast<SImpl*>(self);
    char buffer[64];
    while (read(fd, buffer, sizeof buffer) > 0) {
    }
    for (;;) {
        std::function<void()> task;
        {
            std::lock_guard lock(impl->queueMutex);
            if (impl->queue.empty())
                return;
            task = std::move(impl->queue.front());
            impl->queue.pop_front();
        }
        task();
    }
}

void CServiceDiscovery::SImpl::SetAnnounceState(EAnnounce state) {
    std::lock_guard lock(queueMutex);
    // An announcement still queued when Withdraw was called must not bring
    // back a state the caller has already left.
    if (!callerWants && state != EAnnounce::Off)
        return;
    announceState = state;
}

bool CServiceDiscovery::SImpl::EnsureClient() {
    if (client != nullptr && clientBroken) {
        // The daemon went away (or restarted): start over with a new client.
        StopBrowse();
        group = nullptr;
        avahi_client_free(client);
        client = nullptr;
    }
    if (client == nullptr) {
        clientBroken = false;
        int error = 0;
        client = avahi_client_new(api, static_cast<AvahiClientFlags>(0), OnClient, this, &error);
    }
    return client != nullptr;
}

void CServiceDiscovery::SImpl::OnClient(AvahiClient* client, AvahiClientState state, void* self) {
    auto* impl = static_cast<SImpl*>(self);
    switch (state) {
    case AVAHI_CLIENT_S_RUNNING:
        if (impl->announceWanted)
            impl->Publish(client);
        break;
    case AVAHI_CLIENT_S_COLLISION:
    case AVAHI_CLIENT_S_REGISTERING:
        // The host name is being (re)negotiated: our records come back when it runs again.
        if (impl->group != nullptr)
            avahi_entry_group_reset(impl->group);
        break;
    case AVAHI_CLIENT_FAILURE:
        impl->clientBroken = true;
        if (impl->announceWanted)
            impl->SetAnnounceState(EAnnounce::Failed);
        impl->FinishBrowse();
        break;
    case AVAHI_CLIENT_CONNECTING:
        break;
    }
}

void CServiceDiscovery::SImpl::Publish(AvahiClient* owner) {
    if (group == nullptr)
        group = avahi_entry_group_new(owner, OnGroup, this);
    else
        avahi_entry_group_reset(group);
    if (group == nullptr) {
        SetAnnounceState(EAnnounce::Failed);
        return;
    }
    if (serviceName.empty()) {
        const char* host = avahi_client_get_host_name(owner);
        serviceName = host != nullptr && host[0] != '\0' ? host : "Quillet";
    }
    // Several users of one computer each announce their own server.
    constexpr int kMaxRenames = 16;
    int result = AVAHI_ERR_COLLISION;
    for (int attempt = 0; attempt < kMaxRenames && result == AVAHI_ERR_COLLISION; ++attempt) {
        result =
            avahi_entry_group_add_service(group, announceInterface, announceProtocol, static_cast<AvahiPublishFlags>(0),
                                          serviceName.c_str(), kServiceType, nullptr, nullptr, port, nullptr);
        if (result == AVAHI_ERR_COLLISION) {
            char* next = avahi_alternative_service_name(serviceName.c_str());
            serviceName = next;
            avahi_free(next);
        }
    }
    if (result < 0 || avahi_entry_group_commit(group) < 0) {
        SetAnnounceState(EAnnounce::Failed);
        return;
    }
    SetAnnounceState(EAnnounce::Pending);
}

void CServiceDiscovery::SImpl::OnGroup(AvahiEntryGroup* group, AvahiEntryGroupState state, void* self) {
    auto* impl = static_cast<SImpl*>(self);
    if (!impl->announceWanted)
        return;
    switch (state) {
    case AVAHI_ENTRY_GROUP_ESTABLISHED:
        impl->SetAnnounceState(EAnnounce::Announced);
        break;
    case AVAHI_ENTRY_GROUP_COLLISION: {
        char* next = avahi_alternative_service_name(impl->serviceName.c_str());
        impl->serviceName = next;
        avahi_free(next);
        impl->Publish(avahi_entry_group_get_client(group));
        break;
    }
    case AVAHI_ENTRY_GROUP_FAILURE:
        impl->SetAnnounceState(EAnnounce::Failed);
        break;
    case AVAHI_ENTRY_GROUP_UNCOMMITED:
    case AVAHI_ENTRY_GROUP_REGISTERING:
        break;
    }
}

void CServiceDiscovery::SImpl::StartBrowse(unsigned newGeneration, std::chrono::milliseconds limit) {
    StopBrowse();
    browseGeneration = newGeneration;
    browsing = true;
    allForNow = false;
    reported.clear();
    if (!EnsureClient() || !browsing) {
        FinishBrowse();
        return;
    }
    browser = avahi_service_browser_new(client, AVAHI_IF_UNSPEC, AVAHI_PROTO_UNSPEC, kServiceType, nullptr,
                                        static_cast<AvahiLookupFlags>(0), OnBrowse, this);
    if (browser == nullptr) {
        FinishBrowse();
        return;
    }
    timeval when{};
    avahi_elapse_time(&when, static_cast<unsigned>(limit.count()), 0);
    deadline = api->timeout_new(api, &when, OnDeadline, this);
}

void CServiceDiscovery::SImpl::StopBrowse() {
    browsing = false;
    for (AvahiServiceResolver* resolver : resolvers)
        avahi_service_resolver_free(resolver);
    resolvers.clear();
    if (browser != nullptr)
        avahi_service_browser_free(browser);
    browser = nullptr;
    if (deadline != nullptr)
        api->timeout_free(deadline);
    deadline = nullptr;
}

void CServiceDiscovery::SImpl::FinishBrowse() {
    if (!browsing)
        return;
    StopBrowse();
    std::lock_guard lock(callbackMutex);
    if (generation != browseGeneration || !finished)
        return;
    FinishedCallback callback = std::move(finished);
    finished = nullptr;
    found = nullptr;
    callback();
}

void CServiceDiscovery::SImpl::MaybeFinishBrowse() {
    if (browsing && allForNow && resolvers.empty())
        FinishBrowse();
}

void CServiceDiscovery::SImpl::Report(const Host& host) {
    std::lock_guard lock(callbackMutex);
    if (generation == browseGeneration && found)
        found(host);
}

void CServiceDiscovery::SImpl::OnBrowse(AvahiServiceBrowser* browser, AvahiIfIndex interface, AvahiProtocol protocol,
                                        AvahiBrowserEvent event, const char* name, const char* type, const char* domain,
                                        AvahiLookupResultFlags, void* self) {
    auto* impl = static_cast<SImpl*>(self);
    switch (event) {
    case AVAHI_BROWSER_NEW: {
        // Asking for the address family the answer came by gives IPv4
        // addresses from IPv4 answers, which most peers can reach.
        AvahiServiceResolver* resolver =
            avahi_service_resolver_new(avahi_service_browser_get_client(browser), interface, protocol, name, type,
                                       domain, protocol, static_cast<AvahiLookupFlags>(0), OnResolve, self);
        if (resolver != nullptr)
            impl->resolvers.insert(resolver);
        break;
    }
    case AVAHI_BROWSER_ALL_FOR_NOW:
        impl->allForNow = true;
        impl->MaybeFinishBrowse();
        break;
    case AVAHI_BROWSER_FAILURE:
        impl->FinishBrowse();
        break;
    case AVAHI_BROWSER_REMOVE:
    case AVAHI_BROWSER_CACHE_EXHAUSTED:
        break;
    }
}

void CServiceDiscovery::SImpl::OnResolve(AvahiServiceResolver* resolver, AvahiIfIndex interface, AvahiProtocol,
                                         AvahiResolverEvent event, const char* name, const char*, const char*,
                                         const char* hostName, const AvahiAddress* address, uint16_t port,
                                         AvahiStringList*, AvahiLookupResultFlags, void* self) {
    auto* impl = static_cast<SImpl*>(self);
    impl->resolvers.erase(resolver);
    // The same service shows up once per interface and address family: one row is enough.
    if (event == AVAHI_RESOLVER_FOUND && address != nullptr && name != nullptr && impl->reported.insert(name).second) {
        char text[AVAHI_ADDRESS_STR_MAX + IF_NAMESIZE + 1] = {};
        avahi_address_snprint(text, AVAHI_ADDRESS_STR_MAX, address);
        Host host{hostName != nullptr ? hostName : "", text, port, name};
        const uint8_t* bytes = address->data.ipv6.address;
        if (address->proto == AVAHI_PROTO_INET6 && bytes[0] == 0xfe && (bytes[1] & 0xc0) == 0x80) {
            // Link-local: useless without the interface it belongs to.
            char interfaceName[IF_NAMESIZE] = {};
            if (interface >= 0 && if_indextoname(static_cast<unsigned>(interface), interfaceName) != nullptr)
                host.address += std::string("%") + interfaceName;
        }
        impl->Report(host);
    }
    avahi_service_resolver_free(resolver);
    impl->MaybeFinishBrowse();
}

void CServiceDiscovery::SImpl::OnDeadline(AvahiTimeout*, void* self) {
    static_cast<SImpl*>(self)->FinishBrowse();
}

CServiceDiscovery::CServiceDiscovery() : m_impl(std::make_unique<SImpl>()) {}

CServiceDiscovery::~CServiceDiscovery() = default;

namespace {

// Where a server bound to address can be reached: every interface for a
// wildcard, the one carrying the address otherwise; nothing for loopback,
// by number or by name.
bool AnnounceScope(const std::string& address, AvahiIfIndex& interface, AvahiProtocol& protocol) {
    interface = AVAHI_IF_UNSPEC;
    protocol = AVAHI_PROTO_UNSPEC;
    if (CReceiveServer::IsLoopbackAddress(address))
        return false;
    in_addr v4{};
    in6_addr v6{};
    const bool isV4 = ::inet_pton(AF_INET, address.c_str(), &v4) == 1;
    const bool isV6 = !isV4 && ::inet_pton(AF_INET6, address.c_str(), &v6) == 1;
    if (!isV4 && !isV6)
        return true; // not bound to one address
    if ((isV4 && v4.s_addr == htonl(INADDR_ANY)) || (isV6 && IN6_IS_ADDR_UNSPECIFIED(&v6)))
        return true;
    protocol = isV4 ? AVAHI_PROTO_INET : AVAHI_PROTO_INET6;
    ifaddrs* list = nullptr;
    if (::getifaddrs(&list) != 0)
        return true;
    for (const ifaddrs* each = list; each != nullptr; each = each->ifa_next) {
        if (each->ifa_addr == nullptr || each->ifa_name == nullptr)
            continue;
        if ((isV4 && each->ifa_addr->sa_family == AF_INET &&
             reinterpret_cast<const sockaddr_in*>(each->ifa_addr)->sin_addr.s_addr == v4.s_addr) ||
            (isV6 && each->ifa_addr->sa_family == AF_INET6 &&
             IN6_ARE_ADDR_EQUAL(&reinterpret_cast<const sockaddr_in6*>(each->ifa_addr)->sin6_addr, &v6))) {
            interface = static_cast<AvahiIfIndex>(::if_nametoindex(each->ifa_name));
            break;
        }
    }
    ::freeifaddrs(list);
    return true;
}

} // namespace

void CServiceDiscovery::Announce(std::uint16_t port, const std::string& listenAddress) {
    AvahiIfIndex interface;
    AvahiProtocol protocol;
    if (!AnnounceScope(listenAddress, interface, protocol)) {
        Withdraw();
        return;
    }
    {
        std::lock_guard lock(m_impl->queueMutex);
        m_impl->callerWants = true;
    }
    m_impl->SetAnnounceState(EAnnounce::Pending);
    SImpl* impl = m_impl.get();
    const bool queued = impl->Run([impl, port, interface, protocol] {
        impl->announceWanted = true;
        impl->port = port;
        impl->announceInterface = interface;
        impl->announceProtocol = protocol;
        const bool hadClient = impl->client != nullptr && !impl->clientBroken;
        if (!impl->EnsureClient()) {
            impl->SetAnnounceState(EAnnounce::Failed);
            return;
        }
        // A new client publishes from its own "running" notice.
        if (hadClient && avahi_client_get_state(impl->client) == AVAHI_CLIENT_S_RUNNING)
            impl->Publish(impl->client);
    });
    if (!queued)
        m_impl->SetAnnounceState(EAnnounce::Failed);
}

void CServiceDiscovery::Withdraw() {
    {
        std::lock_guard lock(m_impl->queueMutex);
        m_impl->callerWants = false;
    }
    m_impl->SetAnnounceState(EAnnounce::Off);
    SImpl* impl = m_impl.get();
    impl->Run([impl] {
        impl->announceWanted = false;
        if (impl->group != nullptr && !impl->clientBroken)
            avahi_entry_group_free(impl->group);
        impl->group = nullptr;
        impl->SetAnnounceState(EAnnounce::Off);
    });
}

CServiceDiscovery::EAnnounce CServiceDiscovery::AnnounceState() const {
    std::lock_guard lock(m_impl->queueMutex);
    return m_impl->announceState;
}

void CServiceDiscovery::Browse(FoundCallback found, FinishedCallback finished, std::chrono::milliseconds deadline) {
    SImpl* impl = m_impl.get();
    unsigned generation;
    {
        std::lock_guard lock(impl->callbackMutex);
        generation = ++impl->generation;
        impl->found = std::move(found);
        impl->finished = std::move(finished);
    }
    if (!impl->Run([impl, generation, deadline] { impl->StartBrowse(generation, deadline); })) {
        // No Avahi thread at all (out of resources): nothing can be found.
        std::lock_guard lock(impl->callbackMutex);
        FinishedCallback callback = std::move(impl->finished);
        impl->finished = nullptr;
        impl->found = nullptr;
        if (callback && impl->generation == generation)
            callback();
    }
}

void CServiceDiscovery::CancelBrowse() {
    SImpl* impl = m_impl.get();
    {
        std::lock_guard lock(impl->callbackMutex);
        ++impl->generation;
        impl->found = nullptr;
        impl->finished = nullptr;
    }
    impl->Run([impl] { impl->StopBrowse(); });
}
