#pragma once

#include "core/base/Properties.h"

#include <string>
#include <vector>

// The receiving server's access list with every entry resolved once, so that
// judging a peer needs no name lookup. The first entry that matches the peer
// decides against AllowAll; no match gives AllowAll. IPv4 entries with a mask
// match by (mask AND peer) == (mask AND network), other entries by address
// text; an entry whose Network does not resolve is skipped.
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

private:
    struct Entry {
        std::string Network; // numeric address text
        std::string Mask;
        bool IPv4 = false;
    };
    std::vector<Entry> m_entries;
    bool m_allowAll = true;
    bool m_hasNames = false;
};
