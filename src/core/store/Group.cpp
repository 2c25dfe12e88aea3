#include "core/store/Group.h"

#include <algorithm>

bool CGroup::AddGroup(const std::string& name) {
    return m_members.try_emplace(name).second;
}

bool CGroup::RemoveGroup(const std::string& name) {
    m_properties.erase(name);
    return m_members.erase(name) != 0;
}

std::vector<std::string> CGroup::GetGroupNames() const {
    std::vector<std::string> names;
    names.reserve(m_members.size());
    for (const auto& entry : m_members)
        names.push_back(entry.first);
    return names;
}

void CGroup::Clear() {
    m_members.clear();
    m_properties.clear();
    m_changeGroupProp = 0;
    m_changeEntireMessage = 0;
}

const std::vector<GroupMember>* CGroup::GetMembers(const std::string& name) const {
    const auto it = m_members.find(name);
    return it == m_members.end() ? nullptr : &it->second;
}

void CGroup::SetMembers(const std::string& name, std::vector<GroupMember> members) {
    m_members[name] = std::move(members);
}

bool CGroup::AddMember(const std::string& name, int id, const std::string& title) {
    const auto it = m_members.find(name);
    if (it == m_members.end() || HasMember(name, id))
        return false;
    it->second.push_back(GroupMember{id, title});
    return true;
}

bool CGroup::RemoveMember(const std::string& name, int id) {
    const auto it = m_members.find(name);
    if (it == m_members.end())
        return false;
    auto& members = it->second;
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
    for (auto& entry : m_members)
        for (auto& member : entry.second)
            if (member.ID == id)
                member.Title = title;
}

void CGroup::RemoveMemberEverywhere(int id) {
    for (auto& entry : m_members)
        std::erase_if(entry.second, [id](const GroupMember& m) { return m.ID == id; });
}

std::vector<std::string> CGroup::GetGroupsOf(int id) const {
    std::vector<std::string> names;
    for (const auto& entry : m_members)
        if (std::any_of(entry.second.begin(), entry.second.end(), [id](const GroupMember& m) { return m.ID == id; }))
            names.push_back(entry.first);
    return names;
}

std::optional<GroupProperty> CGroup::GetProperty(const std::string& name) const {
    const auto it = m_properties.find(name);
    if (it == m_properties.end())
        return std::nullopt;
    return it->second;
}

void CGroup::SetProperty(const std::string& name, const GroupProperty& property) {
    m_properties[name] = property;
}

bool operator==(const CGroup& a, const CGroup& b) {
    return a.m_members == b.m_members && a.m_properties == b.m_properties &&
           a.m_changeGroupProp == b.m_changeGroupProp && a.m_changeEntireMessage == b.m_changeEntireMessage;
}
