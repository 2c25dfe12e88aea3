#include "core/store/Group.h"

#include <algorithm>
#include <utility>

bool CGroup::HasGroup(const std::string& name) const {
    const auto it = m_entries.find(name);
    return it != m_entries.end() && it->second.isGroup;
}

bool CGroup::AddGroup(const std::string& name) {
    return !std::exchange(m_entries[name].isGroup, true);
}

bool CGroup::RemoveGroup(const std::string& name) {
    const auto it = m_entries.find(name);
    if (it == m_entries.end())
        return false;
    const bool wasGroup = it->second.isGroup;
    m_entries.erase(it);
    return wasGroup;
}

int CGroup::GetGroupCount() const {
    return static_cast<int>(
        std::count_if(m_entries.begin(), m_entries.end(), [](const auto& entry) { return entry.second.isGroup; }));
}

std::vector<std::string> CGroup::GetGroupNames() const {
    std::vector<std::string> names;
    names.reserve(m_entries.size());
    for (const auto& entry : m_entries)
        if (entry.second.isGroup)
            names.push_back(entry.first);
    return names;
}

void CGroup::Clear() {
    m_entries.clear();
    m_changeGroupProp = 0;
    m_changeEntireMessage = 0;
}

const std::vector<GroupMember>* CGroup::GetMembers(const std::string& name) const {
    const auto it = m_entries.find(name);
    return it == m_entries.end() || !it->second.isGroup ? nullptr : &it->second.members;
}

void CGroup::SetMembers(const std::string& name, std::vector<GroupMember> members) {
    Entry& entry = m_entries[name];
    entry.isGroup = true;
    entry.members = std::move(members);
}

void CGroup::SetGroup(std::string name, std::vector<GroupMember> members, const GroupProperty& property,
                      bool keepProperty) {
    Entry& entry = m_entries.try_emplace(std::move(name)).first->second;
    entry.isGroup = true;
    entry.members = std::move(members);
    if (!keepProperty || !entry.property)
        entry.property = property;
}

bool CGroup::AddMember(const std::string& name, int id, const std::string& title) {
    const auto it = m_entries.find(name);
    if (it == m_entries.end() || !it->second.isGroup)
        return false;
    auto& members = it->second.members;
    if (std::any_of(members.begin(), members.end(), [id](const GroupMember& m) { return m.ID == id; }))
        return false;
    members.push_back(GroupMember{id, title});
    return true;
}

bool CGroup::RemoveMember(const std::string& name, int id) {
    const auto it = m_entries.find(name);
    if (it == m_entries.end())
        return false;
    auto& members = it->second.members;
    const auto member = std::find_if(members.begin(), members.end(), [id](const GroupMember& m) { return m.ID == id; });
    if (member == members.end())
        return false;
    members.erase(member);
    return true;
}

bool CGroup::HasMember(const std::string& name, int id) const {
    const auto* members = GetMembers(name);
    return members != nullptr &&
           std::any_of(members->begin(), members->end(), [id](const GroupMember& m) { return m.ID == id; });
}

void CGroup::RenameMember(int id, const std::string& title) {
    for (auto& entry : m_entries)
        for (auto& member : entry.second.members)
            if (member.ID == id)
                member.Title = title;
}

void CGroup::RemoveMemberEverywhere(int id) {
    for (auto& entry : m_entries)
        std::erase_if(entry.second.members, [id](const GroupMember& m) { return m.ID == id; });
}

std::vector<std::string> CGroup::GetGroupsOf(int id) const {
    std::vector<std::string> names;
    for (const auto& entry : m_entries) {
        const auto& members = entry.second.members;
        if (std::any_of(members.begin(), members.end(), [id](const GroupMember& m) { return m.ID == id; }))
            names.push_back(entry.first);
    }
    return names;
}

std::optional<GroupProperty> CGroup::GetProperty(const std::string& name) const {
    const auto it = m_entries.find(name);
    if (it == m_entries.end())
        return std::nullopt;
    return it->second.property;
}

bool CGroup::HasProperty(const std::string& name) const {
    const auto it = m_entries.find(name);
    return it != m_entries.end() && it->second.property.has_value();
}

void CGroup::SetProperty(const std::string& name, const GroupProperty& property) {
    m_entries[name].property = property;
}

void CGroup::RemoveProperty(const std::string& name) {
    const auto it = m_entries.find(name);
    if (it == m_entries.end())
        return;
    if (it->second.isGroup)
        it->second.property.reset();
    else
        m_entries.erase(it);
}

bool operator==(const CGroup& a, const CGroup& b) {
    return a.m_entries == b.m_entries && a.m_changeGroupProp == b.m_changeGroupProp &&
           a.m_changeEntireMessage == b.m_changeEntireMessage;
}
