#include "core/net/AccessList.h"

#include "core/base/FieldText.h"

#include <arpa/inet.h>
#include <cstring>
#include <memory>
#include <netdb.h>
#include <optional>

namespace {

struct AddrInfoDeleter {
    void operator()(addrinfo* info) const { ::freeaddrinfo(info); }
};

struct Address {
    int Family = 0;
    std::array<std::uint8_t, 16> Bytes{};
    int Bits() const { return Family == AF_INET ? 32 : 128; }
};

std::optional<Address> ReadAddress(std::string_view text) {
    const std::string copy(text);
    Address address;
    if (::inet_pton(AF_INET, copy.c_str(), address.Bytes.data()) == 1) {
        address.Family = AF_INET;
        return address;
    }
    if (::inet_pton(AF_INET6, copy.c_str(), address.Bytes.data()) == 1) {
        address.Family = AF_INET6;
        // A dual-stack listener shows IPv4 peers as dotted IPv4; so are mapped entries.
        static const std::uint8_t kMapped[12] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xff, 0xff};
        if (std::memcmp(address.Bytes.data(), kMapped, 12) == 0) {
            std::memmove(address.Bytes.data(), address.Bytes.data() + 12, 4);
            std::memset(address.Bytes.data() + 4, 0, 12);
            address.Family = AF_INET;
        }
        return address;
    }
    return std::nullopt;
}

std::optional<int> ReadPrefix(std::string_view text, int bits) {
    if (!text.empty() && text.front() == '/')
        text.remove_prefix(1);
    if (text.empty() || text.size() > 3)
        return std::nullopt;
    int value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (value > bits)
        return std::nullopt;
    return value;
}

std::array<std::uint8_t, 16> PrefixMask(int length) {
    std::array<std::uint8_t, 16> mask{};
    for (int i = 0; i < length; ++i)
        mask[static_cast<size_t>(i / 8)] |= static_cast<std::uint8_t>(0x80 >> (i % 8));
    return mask;
}

// The mask for an entry of that family: a prefix length or an address-form mask.
std::optional<std::array<std::uint8_t, 16>> ReadMask(std::string_view text, int family) {
    const int bits = family == AF_INET ? 32 : 128;
    if (text.empty())
        return PrefixMask(bits);
    if (const auto prefix = ReadPrefix(text, bits))
        return PrefixMask(*prefix);
    const std::string copy(text);
    std::array<std::uint8_t, 16> mask{};
    if (::inet_pton(family, copy.c_str(), mask.data()) == 1)
        return mask;
    return std::nullopt;
}

// Letters, digits, hyphens and dots, and not all digits in the last label
// (which would be a mistyped IPv4 address).
bool IsHostName(std::string_view name) {
    if (name.empty() || name.size() > 253 || name.front() == '.' || name.front() == '-')
        return false;
    for (const char c : name)
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.'))
            return false;
    std::string_view last = name;
    if (last.back() == '.')
        last.remove_suffix(1);
    last = last.substr(last.rfind('.') == std::string_view::npos ? 0 : last.rfind('.') + 1);
    return !last.empty() && last.find_first_not_of("0123456789") != std::string_view::npos;
}

std::string_view Trimmed(std::string_view text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

} // namespace

CAccessList::CAccessList(const NetworkProperty& settings, bool resolveNames) : m_allowAll(settings.AllowAll != 0) {
    for (const NetworkInfo& info : settings.NetworkInfoList)
        Add(Trimmed(FieldText(info.Network)), Trimmed(FieldText(info.Mask)), resolveNames);
}

void CAccessList::Add(std::string_view network, std::string_view mask, bool resolveNames) {
    if (!IsReadable(network, mask))
        return;
    std::string_view host = network;
    std::string_view prefix = mask;
    if (const size_t slash = network.find('/'); slash != std::string_view::npos) {
        host = network.substr(0, slash);
        prefix = network.substr(slash);
    }
    std::vector<Address> addresses;
    if (const auto address = ReadAddress(host)) {
        addresses.push_back(*address);
    } else {
        m_hasNames = true;
        addrinfo hints{};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        addrinfo* found = nullptr;
        if (!resolveNames || ::getaddrinfo(std::string(host).c_str(), nullptr, &hints, &found) != 0)
            return;
        const std::unique_ptr<addrinfo, AddrInfoDeleter> owned(found);
        for (const addrinfo* each = found; each != nullptr; each = each->ai_next) {
            Address address;
            address.Family = each->ai_family;
            if (each->ai_family == AF_INET)
                std::memcpy(address.Bytes.data(), &reinterpret_cast<const sockaddr_in*>(each->ai_addr)->sin_addr, 4);
            else if (each->ai_family == AF_INET6)
                std::memcpy(address.Bytes.data(), &reinterpret_cast<const sockaddr_in6*>(each->ai_addr)->sin6_addr, 16);
            else
                continue;
            addresses.push_back(address);
        }
    }
    for (const Address& address : addresses) {
        const auto bits = ReadMask(prefix, address.Family);
        if (!bits)
            continue; // an IPv4 mask given to a name that also has IPv6 addresses
        Entry entry;
        entry.Family = address.Family;
        entry.Mask = *bits;
        for (size_t i = 0; i < entry.Address.size(); ++i)
            entry.Address[i] = address.Bytes[i] & entry.Mask[i];
        // Several addresses of one name are one entry: the first that matches decides alike.
        m_entries.push_back(entry);
    }
}

bool CAccessList::Allows(const std::string& peer) const {
    const auto address = ReadAddress(peer);
    if (address) {
        for (const Entry& entry : m_entries) {
            if (entry.Family != address->Family)
                continue;
            bool matches = true;
            for (size_t i = 0; i < entry.Address.size() && matches; ++i)
                matches = (address->Bytes[i] & entry.Mask[i]) == entry.Address[i];
            if (matches)
                return !m_allowAll;
        }
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

bool CAccessList::IsReadable(std::string_view network, std::string_view mask) {
    network = Trimmed(network);
    mask = Trimmed(mask);
    if (const size_t slash = network.find('/'); slash != std::string_view::npos) {
        // The prefix length goes after the address or into the mask, not both.
        const auto address = ReadAddress(network.substr(0, slash));
        return mask.empty() && address && ReadPrefix(network.substr(slash), address->Bits());
    }
    if (const auto address = ReadAddress(network))
        return ReadMask(mask, address->Family).has_value();
    return IsHostName(network) && (mask.empty() || ReadMask(mask, AF_INET) || ReadMask(mask, AF_INET6));
}
