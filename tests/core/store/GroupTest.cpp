#include "core/base/FieldText.h"
#include "core/store/Group.h"

#include <gtest/gtest.h>

TEST(Group, MembersAndGroups) {
    CGroup groups;
    EXPECT_FALSE(groups.AddMember("Work", 1, "a")); // unknown group
    EXPECT_TRUE(groups.AddGroup("Work"));
    EXPECT_FALSE(groups.AddGroup("Work"));
    EXPECT_TRUE(groups.AddMember("Work", 1, "a"));
    EXPECT_FALSE(groups.AddMember("Work", 1, "again"));
    EXPECT_TRUE(groups.AddMember("Work", 2, "b"));
    groups.SetMembers("Home", {{2, "b"}, {3, "c"}});

    EXPECT_EQ(groups.GetGroupsOf(2), (std::vector<std::string>{"Home", "Work"}));
    groups.RenameMember(2, "renamed");
    EXPECT_EQ(groups.GetMembers("Home")->at(0).Title, "renamed");
    EXPECT_EQ(groups.GetMembers("Work")->at(1).Title, "renamed");

    // Removing a note everywhere keeps its groups, even when they become empty.
    groups.SetMembers("Solo", {{2, "renamed"}});
    groups.RemoveMemberEverywhere(2);
    EXPECT_TRUE(groups.HasGroup("Solo"));
    EXPECT_TRUE(groups.GetMembers("Solo")->empty());
    EXPECT_FALSE(groups.HasMember("Work", 2));
    EXPECT_TRUE(groups.HasMember("Work", 1));

    EXPECT_FALSE(groups.RemoveMember("Home", 99));
    EXPECT_TRUE(groups.RemoveMember("Home", 3));
    EXPECT_TRUE(groups.GetMembers("Home")->empty());
    EXPECT_EQ(groups.GetMembers("Nowhere"), nullptr);

    EXPECT_TRUE(groups.RemoveGroup("Home"));
    EXPECT_FALSE(groups.RemoveGroup("Home"));
    EXPECT_EQ(groups.GetGroupNames(), (std::vector<std::string>{"Solo", "Work"}));
}

TEST(Group, PropertiesAndCopies) {
    CGroup groups;
    groups.AddGroup("b");
    groups.AddGroup("a");
    EXPECT_FALSE(groups.GetProperty("a").has_value());
    GroupProperty property;
    CopyField(property.Name, "Serif");
    groups.SetProperty("a", property);
    groups.SetChangeGroupProp(1);

    CGroup copy = groups;
    EXPECT_EQ(copy, groups);
    copy.AddMember("a", 5, "five");
    copy.RemoveProperty("a");
    EXPECT_FALSE(copy == groups);
    EXPECT_EQ(groups.GetProperty("a"), property);
    EXPECT_TRUE(groups.GetMembers("a")->empty());
    EXPECT_EQ(copy.GetChangeGroupProp(), 1);

    // Removing a group takes its property with it.
    groups.RemoveGroup("a");
    EXPECT_FALSE(groups.HasProperty("a"));
    EXPECT_EQ(groups.GetGroupNames(), (std::vector<std::string>{"b"}));

    // A property may come before its group: it makes no group, and the group
    // made later keeps it.
    groups.SetProperty("later", property);
    EXPECT_FALSE(groups.HasGroup("later"));
    EXPECT_EQ(groups.GetMembers("later"), nullptr);
    EXPECT_FALSE(groups.AddMember("later", 1, "one"));
    EXPECT_EQ(groups.GetGroupCount(), 1);
    EXPECT_EQ(groups.GetGroupNames(), (std::vector<std::string>{"b"}));
    EXPECT_TRUE(groups.AddGroup("later"));
    EXPECT_EQ(groups.GetProperty("later"), property);
    EXPECT_EQ(groups.GetGroupCount(), 2);
    // Without its property the group stays; without its group the property goes.
    groups.RemoveProperty("later");
    EXPECT_TRUE(groups.HasGroup("later"));
    EXPECT_FALSE(groups.RemoveGroup("nameless"));
    groups.SetProperty("lone", property);
    EXPECT_FALSE(groups.RemoveGroup("lone"));
    EXPECT_FALSE(groups.HasProperty("lone"));
    CGroup lone;
    lone.SetProperty("x", property);
    EXPECT_FALSE(lone.IsEmpty());
    lone.RemoveProperty("x");
    EXPECT_TRUE(lone.IsEmpty());
    EXPECT_EQ(lone, CGroup());

    // Reading a group sets members and property at once; a kept property wins
    // over the one offered.
    GroupProperty other;
    CopyField(other.Name, "Mono");
    groups.SetGroup("b", {{4, "four"}}, other, true);
    EXPECT_EQ(groups.GetProperty("b"), other);
    groups.SetGroup("b", {{5, "five"}}, property, true);
    EXPECT_EQ(groups.GetProperty("b"), other);
    EXPECT_EQ(*groups.GetMembers("b"), (std::vector<GroupMember>{{5, "five"}}));
    groups.SetGroup("b", {}, property, false);
    EXPECT_EQ(groups.GetProperty("b"), property);
    EXPECT_EQ(groups.GetGroupCount(), 2);
}

TEST(FontProperty, EqualityComparesTheWholeName) {
    FontProperty a;
    FontProperty b;
    EXPECT_EQ(a, b);
    // Same text, different bytes after the terminator.
    b.Name[20] = 'x';
    EXPECT_NE(a, b);
    CopyField(b.Name, "MS Sans Serif");
    EXPECT_EQ(a, b);
    b.BackgroundColor = 1;
    EXPECT_NE(a, b);
}
