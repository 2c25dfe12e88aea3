#include "core/net/HostPort.h"

namespace {

bool ParsePort(std::string_view text, int& port) {
    if (text.empty() || text.size() > 5)
        return false;
    int value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
    }
    if (value < 1 || value > 65535)
        return false;
    port = value;
    return true;
}

} // namespace

bool ParseHostPort(std::string_view text, int defaultPort, std::string& host, int& port) {
    std::string_view name;
    std::string_view portText;
    bool hasPort = false;
    if (!text.empty() && text.front() == '[') {
        const size_t close = text.find(']');
        if (close == std::string_view::npos)
            return false;
        name = text.substr(1, close - 1);
        const std::string_view rest = text.substr(close + 1);
        if (!rest.empty()) {
            if (rest.front() != ':')
                return false;
            portText = rest.substr(1);
            hasPort = true;
        }
    } else {
        const size_t colon = text.find(':');
        if (colon != std::string_view::npos && text.find(':', colon + 1) == std::string_view::npos) {
            name = text.substr(0, colon);
            portText = text.substr(colon + 1);
            hasPort = true;
        } else {
            name = text;
        }
    }
    if (name.empty())
        return false;
    int value = defaultPort;
    if (hasPort && !ParsePort(portText, value))
        return false;
    host.assign(name);
    port = value;
    return true;
}
