#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

// The attributes of one tag: names in order of appearance (duplicates kept); a
// repeated name reads as its last value, whichever index asks.
//
// The returned strings point into this list and stay valid until the next
// attribute is added, so lists on different threads never share storage.
class CAttributeList {
public:
    virtual ~CAttributeList() = default;

    virtual int getLength() const;
    // Index outside 0..getLength()-1 throws std::out_of_range.
    virtual const char* getName(int index) const;
    // No type information is kept: always null.
    virtual const char* getType(const char* name) const;
    virtual const char* getType(int index) const;
    // Null when the tag does not carry the attribute (exact, case-sensitive match).
    virtual const char* getValue(const char* name) const;
    // Index outside 0..getLength()-1 throws std::out_of_range.
    virtual const char* getValue(int index) const;
    // A null value is stored as an empty string.
    virtual void addAttribute(const char* name, const char* value);

    // getValue for a name spelled in the caller's code. Its length, known when
    // compiling, rules out most attributes without reading their names: a
    // document reader asks this for every element.
    template <std::size_t N> const char* findValue(const char (&name)[N]) const {
        const std::string_view key(name, N - 1);
        const int index = m_entries.size() > kLinearLookupLimit ? LastIndexOf(key) : LinearLastIndexOf(key);
        return index < 0 ? nullptr : m_text.data() + m_entries[static_cast<std::size_t>(index)].value;
    }

private:
    // The reader refills one list per tag instead of building a new one.
    friend class CSimpleXMLParser;
    void Clear();
    // Both are cut at their first zero byte, as a C string of them would be.
    void Append(std::string_view name, std::string_view value);

    // Up to this many attributes a linear look-up beats building an index; every
    // tag the program writes has far fewer.
    static constexpr std::size_t kLinearLookupLimit = 16;

    struct Entry {
        std::size_t name; // offset into m_text
        std::size_t nameLength;
        std::size_t value; // offset into m_text
    };

    void CheckIndex(int index) const;
    const char* NameText(std::size_t index) const { return m_text.data() + m_entries[index].name; }
    // Index of the last attribute called name, or -1.
    int LastIndexOf(std::string_view name) const;
    // The same by comparing every name, for short lists; in line, so that a
    // name known when compiling rules most attributes out by their length.
    int LinearLastIndexOf(std::string_view name) const {
        for (std::size_t i = m_entries.size(); i-- > 0;) {
            const Entry& entry = m_entries[i];
            if (entry.nameLength == name.size() && std::memcmp(NameText(i), name.data(), name.size()) == 0)
                return static_cast<int>(i);
        }
        return -1;
    }

    // Every name and value, each zero-terminated.
    std::string m_text;
    std::vector<Entry> m_entries;
    // Built on demand for long lists only: entry indices ordered by name, then index.
    mutable std::vector<std::uint32_t> m_byName;
};
