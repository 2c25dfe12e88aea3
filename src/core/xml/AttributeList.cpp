#include "core/xml/AttributeList.h"

#include <stdexcept>

int CAttributeList::getLength() const {
    return static_cast<int>(m_names.size());
}

const std::string& CAttributeList::NameAt(int index) const {
    if (index < 0 || index >= getLength())
        throw std::out_of_range("CAttributeList: index out of range");
    return m_names[static_cast<size_t>(index)];
}

const char* CAttributeList::getName(int index) const {
    m_nameBuffer = NameAt(index);
    return m_nameBuffer.c_str();
}

const char* CAttributeList::getType(const char*) const {
    return nullptr;
}

const char* CAttributeList::getType(int) const {
    return nullptr;
}

const char* CAttributeList::getValue(const char* name) const {
    if (name == nullptr)
        return nullptr;
    const auto it = m_values.find(name);
    if (it == m_values.end())
        return nullptr;
    m_valueByNameBuffer = it->second;
    return m_valueByNameBuffer.c_str();
}

const char* CAttributeList::getValue(int index) const {
    m_valueByIndexBuffer = m_values.at(NameAt(index));
    return m_valueByIndexBuffer.c_str();
}

void CAttributeList::addAttribute(const char* name, const char* value) {
    const std::string key = name ? name : "";
    m_names.push_back(key);
    m_values[key] = value ? value : "";
}
