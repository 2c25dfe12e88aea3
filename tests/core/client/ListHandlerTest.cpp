#include "core/net/HostPort.h"
#include "core/net/ListHandler.h"
#include "core/net/MessageList.h"

#include <gtest/gtest.h>

TEST(ListHandlerTest, ReadsBackWhatTheServerWrites) {
    CMessageList sent;
    sent.m_notes = {
        {101, "plain"}, {102, "\"quoted\" <tag> & more"}, {103, "二行\r\nの題名"}, {104, "&lt; literally"}, {105, ""}};
    sent.m_groups = {
        {"仕事", {{101, "plain"}, {103, "二行\r\nの題名"}}}, {"a \"b\" <c>", {}}, {"last", {{104, "&lt; literally"}}}};
    CMessageList read;
    ASSERT_TRUE(ParseMessageList(sent.MakeDocument(), read));
    EXPECT_EQ(sent, read);
}

TEST(ListHandlerTest, KeepsGroupsApartFromNotesAndToleratesOddDocuments) {
    // Notes after a group are notes again; a Message without ID reads as 0; an
    // unknown element is skipped; a group named twice keeps the later members.
    const std::string document = "<?xml version=\"1.0\" ?>\r\n<Quillet>\r\n<GroupList>\r\n"
                                 "<Group Title=\"g\">\r\n<Message ID=\"1\" Title=\"one\"/>\r\n</Group>\r\n"
                                 "<Group Title=\"h\">\r\n<Other ID=\"9\"/>\r\n</Group>\r\n"
                                 "<Group Title=\"g\">\r\n<Message ID=\"2\" Title=\"two\"/>\r\n</Group>\r\n"
                                 "</GroupList>\r\n<MessageList>\r\n<Message Title=\"no id\"/>\r\n"
                                 "<Message ID=\"-5x\" Title=\"t\"/>\r\n</MessageList>\r\n</Quillet>\r\n";
    CMessageList list;
    ASSERT_TRUE(ParseMessageList(document, list));
    ASSERT_EQ(2u, list.m_notes.size());
    EXPECT_EQ(0, list.m_notes[0].ID);
    EXPECT_EQ("no id", list.m_notes[0].Title);
    EXPECT_EQ(-5, list.m_notes[1].ID);
    ASSERT_EQ(2u, list.m_groups.size());
    EXPECT_EQ("g", list.m_groups[0].Name);
    ASSERT_EQ(1u, list.m_groups[0].Members.size());
    EXPECT_EQ(2, list.m_groups[0].Members[0].ID);
    EXPECT_TRUE(list.m_groups[1].Members.empty());

    // Nothing usable: not parsed, nothing kept.
    EXPECT_FALSE(ParseMessageList("", list));
    EXPECT_FALSE(ParseMessageList("no xml here", list));
    EXPECT_TRUE(list.m_notes.empty());
    EXPECT_TRUE(list.m_groups.empty());
}

TEST(HostPortTest, SplitsNamesAddressesAndPorts) {
    struct Case {
        const char* text;
        bool ok;
        const char* host;
        int port;
    };
    const Case cases[] = {
        {"example.org", true, "example.org", 4126},
        {"example.org:80", true, "example.org", 80},
        {"192.168.1.5:65535", true, "192.168.1.5", 65535},
        {"[::1]:4127", true, "::1", 4127},
        {"[fe80::1%eth0]", true, "fe80::1%eth0", 4126},
        {"::1", true, "::1", 4126},
        {"2001:db8::2", true, "2001:db8::2", 4126},
        {"", false, "", 0},
        {":80", false, "", 0},
        {"[::1", false, "", 0},
        {"[::1]x", false, "", 0},
        {"[]:80", false, "", 0},
        {"host:", false, "", 0},
        {"host:0", false, "", 0},
        {"host:65536", false, "", 0},
        {"host:8o", false, "", 0},
        {"host:+80", false, "", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        std::string host = "unchanged";
        int port = -1;
        EXPECT_EQ(c.ok, ParseHostPort(c.text, 4126, host, port));
        if (c.ok) {
            EXPECT_EQ(c.host, host);
            EXPECT_EQ(c.port, port);
        } else {
            EXPECT_EQ("unchanged", host);
            EXPECT_EQ(-1, port);
        }
    }
}
