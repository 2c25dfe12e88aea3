#include "core/net/AccessList.h"

#include "core/base/FieldText.h"
#include "core/net/HTTPMessage.h"
#include "core/net/SimpleSocket.h"

#include <arpa/inet.h>
#include <memory>
#include <netdb.h>

namespace {

struct AddrInfoDeleter {
    void operator()(addrinfo* info) const { ::freeaddrinfo(info); }
};

bool ReadIPv4(const std::string& text, uint32_t& value) {
    in_addr address{};
    if (::inet_pton(AF_INET, text.c_str(), &address) != 1)
        return false;
    value = address.s_addr;
    return true;
}

} // namespace

CAccessList::CAccessList(const NetworkProperty& settings, bool resolveNames) : m_allowAll(settings.AllowAll != 0) {
    for (const NetworkInfo& info : settings.NetworkInfoList) {
        const std::string host(FieldText(info.Network));
        if (host.empty())
            continue;
        addrinfo hints{};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        hints.ai_flags = AI_NUMERICHOST;
        addrinfo* found = nullptr;
        if (::getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0) {
            m_hasNames = true;
            hints.ai_flags = 0;
            if (!resolveNames || ::getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0)
                continue;
        }
        const std::unique_ptr<addrinfo, AddrInfoDeleter> owned(found);
        Entry entry;
        int port = 0;
        if (found == nullptr || !CSimpleSocket::AddressText(found->ai_addr, entry.Network, port))
            continue;
        entry.IPv4 = found->ai_family == AF_INET;
        entry.Mask = FieldText(info.Mask);
        m_entries.push_back(std::move(entry));
    }
}

bool CAccessList::Allows(const std::string& peer) const {
    for (const Entry& entry : m_entries) {
        bool matches;
        if (entry.IPv4 && !entry.Mask.empty()) {
            uint32_t maskBits, peerBits, networkBits;
            matches = ReadIPv4(entry.Mask, maskBits) && ReadIPv4(peer, peerBits) &&
                      ReadIPv4(entry.Network, networkBits) && (maskBits & peerBits) == (maskBits & networkBits);
        } else {
            matches = HTTPCodec::EqualsNoCase(entry.Network, peer);
        }
        if (matches)
            return !m_allowAll;
    }
    return m_allowAll;
}

std::string CAccessList::Key(const NetworkProperty& settings) {
    std::string key(1, settings.AllowAll != 0 ? '1' : '0');
    for (const NetworkInfo& info : settings.NetworkInfoList) {
        key += '\n';
        key += FieldText(info.Network);
        key += '/';
        key += FieldText(info.Mask);
    }
    return key;
}
