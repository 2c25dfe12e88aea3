#pragma once

#include "core/xml/DocumentHandler.h"

#include <cstdint>
#include <string>
#include <vector>

class CInputStream;
class COutputStream;

// One destination of the send log: a host as the user typed it, and a port.
struct DestEntry {
    std::string Name;
    uint16_t Port = 0;
};

// The send log: destinations recently sent to or fetched from, most recent
// first. Two entries denote the same destination when their names are equal
// ignoring case and their ports are equal.
class CDestInfo {
public:
    // The capacity every send log of the program has.
    static constexpr int kDefaultCapacity = 8;

    class CSendLogHandler;

    // capacity: the most entries AddRecent keeps; 0 (or less) = no limit.
    explicit CDestInfo(int capacity = kDefaultCapacity);

    // Copies capacity and entries, in order.
    CDestInfo(const CDestInfo&) = default;
    CDestInfo& operator=(const CDestInfo&) = default;

    // Position of the entry that denotes this destination, or -1.
    int Find(const std::string& name, uint16_t port) const;
    // Makes the destination the most recent one. A new destination on a full
    // list first drops the entry at position capacity - 1. Returns the former
    // position, or -1 when the destination was new.
    int AddRecent(const std::string& name, uint16_t port);
    // Adds the destination at the end unless it is listed: 1 = added, 0 = already
    // there. No capacity check.
    int Append(const std::string& name, uint16_t port);
    // An index at or beyond the count appends (no capacity check); otherwise
    // overwrites that entry. A negative index changes nothing.
    void SetAt(int index, const std::string& name, uint16_t port);
    // 1 and the entry's name and port; 0 for an index outside the list.
    int GetAt(int index, std::string& name, uint16_t& port) const;
    // 1 when the entry existed and was removed; 0 for an index outside the list.
    int RemoveAt(int index);
    void RemoveAll();

    int GetCount() const { return static_cast<int>(m_entries.size()); }
    int GetCapacity() const { return m_capacity; }
    const std::vector<DestEntry>& GetEntries() const { return m_entries; }

    // Reads a send-log document; the list takes over what it found (with
    // capacity 8) only when the document parsed. Always returns 1.
    int Load(CInputStream* stream);
    // Load, returning the XML reader's result (1 = parsed and taken over).
    int ParseFrom(CInputStream* stream);
    // Writes the document in one Write. Entries whose names could not be read
    // back (holding '"', '<', '>', a line break or a zero byte) are left out, as
    // one of them would make the whole file unreadable.
    void Save(COutputStream* stream) const;
    // The document text that Save writes.
    std::string MakeDocument() const;

    // Whether a name survives a Save and Load unchanged.
    static bool IsStorableName(const std::string& name);

private:
    int m_capacity;
    std::vector<DestEntry> m_entries;
};

// Collects the List elements of a send-log document, wherever they stand.
// Name is taken as text (absent = empty); Port as a decimal kept to its low 16
// bits (absent = 0). Duplicates are dropped, the first occurrence wins, and no
// capacity limit applies.
class CDestInfo::CSendLogHandler : public CDocumentHandler {
public:
    void startElement(const char* name, const CAttributeList& attributes) override;

    const CDestInfo& GetList() const { return m_list; }

private:
    CDestInfo m_list{kDefaultCapacity};
};
