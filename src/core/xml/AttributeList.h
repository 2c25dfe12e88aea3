#pragma once

#include <map>
#include <string>
#include <vector>

// The attributes of one tag: names in order of appearance (duplicates kept) and
// a name-to-value map in which a repeated name keeps its last value.
//
// Each string-returning accessor copies its result into a buffer of this list
// that stays valid until that accessor is next called on this list, so lists
// on different threads never share storage.
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

private:
    const std::string& NameAt(int index) const;

    std::vector<std::string> m_names;
    std::map<std::string, std::string> m_values;
    mutable std::string m_nameBuffer;
    mutable std::string m_valueByNameBuffer;
    mutable std::string m_valueByIndexBuffer;
};
