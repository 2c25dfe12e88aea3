#pragma once

#include "core/base/Properties.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The receiving server's access list with every entry resolved once, so that
// judging a peer needs no name lookup. The first entry that matches the peer
// decides against AllowAll; no match gives AllowAll.
//
// An entry's Network is an IPv4 or IPv6 address, a prefix ("192.168.1.0/24",
// "fd00::/8") or a host name; its Mask, when not empty, is an address-form
// mask of the same family ("255.255.255.0") or a prefix length ("24", "/24").
// Without a mask an address matches only itself. An entry whose name does not
// resolve, or that cannot be read at all, matches nothing; the entry dialog
// refuses the latter (IsReadable) so that none is stored.
class CAccessList {
public:
    CAccessList() = default;
    // Resolves the entries now; names only when resolveNames is set (a name
    // left unresolved counts as "does not resolve").
    CAccessList(const NetworkProperty& settings, bool resolveNames);

    bool Allows(const std::string& peer) const;
    // Some entry is a host name, whose addresses may change.
    bool HasNames() const { return m_hasNames; }

    // The settings that decide the list: equal keys, equal lists.
    static std::string Key(const NetworkProperty& settings);

    // Whether the entry is an address, prefix or host name with a mask that fits it.
    static bool IsReadable(std::string_view network, std::string_view mask);

private:
    struct Entry {
        int Family = 0; // AF_INET or AF_INET6
        std::array<std::uint8_t, 16> Address{};
        std::array<std::uint8_t, 16> Mask{};
    };
    // Appends the entries for one line of the settings (a name may give several).
    void Add(std::string_view network, std::string_view mask, bool resolveNames);

    std::vector<Entry> m_entries;
    bool m_allowAll = true;
    bool m_hasNames = false;
};
