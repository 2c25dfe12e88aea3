#pragma once

#include "core/base/Properties.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

// A note recorded in a group, with its title at the time it was recorded.
struct GroupMember {
    int ID = 0;
    std::string Title;

    friend bool operator==(const GroupMember&, const GroupMember&) = default;
};

// The group table: group name -> members, and group name -> the group's font and
// colours (absent when the group has none). A group exists when it has a member
// list, possibly empty; a property may be recorded for a name before its group.
// Names are enumerated in ascending byte order, so menus and documents come out
// the same every time.
class CGroup {
public:
    CGroup() = default;
    CGroup(const CGroup&) = default;
    CGroup& operator=(const CGroup&) = default;
    CGroup(CGroup&&) = default;
    CGroup& operator=(CGroup&&) = default;
    virtual ~CGroup() = default;

    // Groups.
    bool HasGroup(const std::string& name) const;
    // Creates an empty group; false when it exists already.
    bool AddGroup(const std::string& name);
    // Removes the group with its members and its property; false when unknown.
    bool RemoveGroup(const std::string& name);
    std::vector<std::string> GetGroupNames() const;
    int GetGroupCount() const;
    bool IsEmpty() const { return m_entries.empty(); }
    void Clear();

    // Members. Null when the group does not exist.
    const std::vector<GroupMember>* GetMembers(const std::string& name) const;
    // Replaces the member list, creating the group when needed.
    void SetMembers(const std::string& name, std::vector<GroupMember> members);
    // SetMembers and SetProperty in one look-up, as a document read needs it for
    // every group; with keepProperty a property the name has already stays.
    void SetGroup(std::string name, std::vector<GroupMember> members, const GroupProperty& property, bool keepProperty);
    // Appends a member; false when the group does not exist or already holds the ID.
    bool AddMember(const std::string& name, int id, const std::string& title);
    // Removes the first member with this ID; false when there is none.
    bool RemoveMember(const std::string& name, int id);
    bool HasMember(const std::string& name, int id) const;
    // Renames the note in every group it is in.
    void RenameMember(int id, const std::string& title);
    // Removes the note from every group it is in; the groups stay.
    void RemoveMemberEverywhere(int id);
    // Names of the groups that hold the note, in enumeration order.
    std::vector<std::string> GetGroupsOf(int id) const;

    // Properties.
    std::optional<GroupProperty> GetProperty(const std::string& name) const;
    bool HasProperty(const std::string& name) const;
    void SetProperty(const std::string& name, const GroupProperty& property);
    void RemoveProperty(const std::string& name);

    // Apply a group's property to a note when it is put into the group.
    int GetChangeGroupProp() const { return m_changeGroupProp; }
    void SetChangeGroupProp(int value) { m_changeGroupProp = value; }
    // Change every member note when a group's property is changed.
    int GetChangeEntireMessage() const { return m_changeEntireMessage; }
    void SetChangeEntireMessage(int value) { m_changeEntireMessage = value; }

    friend bool operator==(const CGroup& a, const CGroup& b);

private:
    // A name's group and property share one entry, so that reading a group
    // costs one search. An entry is a group, has a property, or both; one that
    // is no group has no members.
    struct Entry {
        std::vector<GroupMember> members;
        std::optional<GroupProperty> property;
        bool isGroup = false;

        friend bool operator==(const Entry&, const Entry&) = default;
    };

    std::map<std::string, Entry> m_entries;
    int m_changeGroupProp = 0;
    int m_changeEntireMessage = 0;
};
