// One host search as the search dialog runs it, without a display: prints
// "found HOST ADDRESS PORT NAME" per computer, then "finished".
// Usage: quillet_find_hosts [DEADLINE-MS]
#include "platform/ServiceDiscovery.h"

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>

int main(int argc, char** argv) {
    const long deadline = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 5000;
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    CServiceDiscovery discovery;
    discovery.Browse(
        [&mutex](const CServiceDiscovery::Host& host) {
            std::lock_guard lock(mutex);
            std::printf("found %s %s %u %s\n", host.hostName.c_str(), host.address.c_str(),
                        static_cast<unsigned>(host.port), host.serviceName.c_str());
            std::fflush(stdout);
        },
        [&] {
            std::lock_guard lock(mutex);
            finished = true;
            done.notify_all();
        },
        std::chrono::milliseconds(deadline));
    std::unique_lock lock(mutex);
    // The browse promises to finish by its deadline; not doing so is a fault.
    if (!done.wait_for(lock, std::chrono::milliseconds(deadline) + std::chrono::seconds(5), [&] { return finished; })) {
        std::printf("no end of the search\n");
        return 1;
    }
    std::printf("finished\n");
    return 0;
}
