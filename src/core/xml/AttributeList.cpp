#include "core/xml/AttributeList.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace {

std::string_view UpToZero(std::string_view text) {
    if (text.empty())
        return text; // its data may be null, which memchr must not see
    const void* zero = std::memchr(text.data(), '\0', text.size());
    return zero == nullptr ? text : text.substr(0, static_cast<const char*>(zero) - text.data());
}

} // namespace

int CAttributeList::getLength() const {
    return static_cast<int>(m_entries.size());
}

void CAttributeList::CheckIndex(int index) const {
    if (index < 0 || index >= getLength())
        throw std::out_of_range("CAttributeList: index out of range");
}

const char* CAttributeList::getName(int index) const {
    CheckIndex(index);
    return NameText(static_cast<std::size_t>(index));
}

const char* CAttributeList::getType(const char*) const {
    return nullptr;
}

const char* CAttributeList::getType(int) const {
    return nullptr;
}

int CAttributeList::LastIndexOf(std::string_view name) const {
    const std::size_t count = m_entries.size();
    if (count <= kLinearLookupLimit)
        return LinearLastIndexOf(name);
    // Quadratic look-ups would let a hostile document with thousands of
    // attributes stall every handler that walks them.
    if (m_byName.size() != count) {
        m_byName.resize(count);
        for (std::size_t i = 0; i < count; ++i)
            m_byName[i] = static_cast<std::uint32_t>(i);
        std::stable_sort(m_byName.begin(), m_byName.end(), [this](std::uint32_t a, std::uint32_t b) {
            return std::strcmp(NameText(a), NameText(b)) < 0;
        });
    }
    const auto after = std::upper_bound(m_byName.begin(), m_byName.end(), name,
                                        [this](std::string_view n, std::uint32_t i) { return n < NameText(i); });
    if (after == m_byName.begin() || NameText(*(after - 1)) != name)
        return -1;
    return static_cast<int>(*(after - 1));
}

const char* CAttributeList::getValue(const char* name) const {
    if (name == nullptr)
        return nullptr;
    if (m_entries.size() <= kLinearLookupLimit) {
        // Names are a few bytes long: comparing in line beats measuring the
        // name first and calling memcmp for each.
        for (std::size_t i = m_entries.size(); i-- > 0;) {
            const char* a = NameText(i);
            const char* b = name;
            while (*a == *b && *a != '\0') {
                ++a;
                ++b;
            }
            if (*a == *b)
                return m_text.data() + m_entries[i].value;
        }
        return nullptr;
    }
    const int index = LastIndexOf(std::string_view(name));
    return index < 0 ? nullptr : m_text.data() + m_entries[static_cast<std::size_t>(index)].value;
}

const char* CAttributeList::getValue(int index) const {
    CheckIndex(index);
    const Entry& entry = m_entries[static_cast<std::size_t>(index)];
    const int last = LastIndexOf(std::string_view(m_text.data() + entry.name, entry.nameLength));
    return m_text.data() + m_entries[static_cast<std::size_t>(last)].value;
}

void CAttributeList::addAttribute(const char* name, const char* value) {
    Append(name ? name : "", value ? value : "");
}

void CAttributeList::Clear() {
    m_text.clear();
    m_entries.clear();
    m_byName.clear();
}

void CAttributeList::Append(std::string_view name, std::string_view value) {
    name = UpToZero(name);
    value = UpToZero(value);
    Entry entry;
    entry.name = m_text.size();
    entry.nameLength = name.size();
    m_text.append(name);
    m_text.push_back('\0');
    entry.value = m_text.size();
    m_text.append(value);
    m_text.push_back('\0');
    m_entries.push_back(entry);
    m_byName.clear();
}
