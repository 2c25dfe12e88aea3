#include "core/net/MessageList.h"

#include "core/base/FieldText.h"
#include "core/store/DataBase.h"
#include "core/store/HeadlessMessage.h"
#include "core/stream/MemInputStream.h"
#include "core/xml/AttributeList.h"
#include "core/xml/DocumentHandler.h"
#include "core/xml/SimpleXMLParser.h"

#include <gtest/gtest.h>

namespace {

// Collects (element, Title or ID) pairs as the document's reader sees them.
class CCollector : public CDocumentHandler {
public:
    void startElement(const char* name, const CAttributeList& attributes) override {
        // Each getValue may reuse the buffer of the one before: copy at once.
        const char* value = attributes.getValue("ID");
        const std::string id = value ? value : "";
        value = attributes.getValue("Title");
        const std::string title = value ? UnescapeAttribute(value) : "";
        m_events.push_back(std::string(name) + "|" + id + "|" + title);
    }
    std::vector<std::string> m_events;
};

} // namespace

TEST(MessageList, WritesTheDocumentLineByLine) {
    CMessageList list;
    list.m_notes = {{1700000000, "Shopping"}, {1700000001, ""}};
    list.m_groups = {{"Home", {{1700000000, "Shopping"}}}, {"Empty", {}}};
    EXPECT_EQ("<?xml version=\"1.0\" ?>\r\n<Quillet>\r\n<MessageList>\r\n"
              "<Message ID=\"1700000000\" Title=\"Shopping\"/>\r\n"
              "<Message ID=\"1700000001\" Title=\"\"/>\r\n"
              "</MessageList>\r\n<GroupList>\r\n"
              "<Group Title=\"Home\">\r\n<Message ID=\"1700000000\" Title=\"Shopping\"/>\r\n</Group>\r\n"
              "<Group Title=\"Empty\">\r\n</Group>\r\n"
              "</GroupList>\r\n</Quillet>\r\n",
              list.MakeDocument());
    EXPECT_EQ("<?xml version=\"1.0\" ?>\r\n<Quillet>\r\n<MessageList>\r\n</MessageList>\r\n<GroupList>\r\n"
              "</GroupList>\r\n</Quillet>\r\n",
              CMessageList().MakeDocument());
}

TEST(MessageList, TitlesCannotBreakTheDocument) {
    CMessageList list;
    const std::string nasty = "a \"quoted\" <b> & c\r\nd";
    list.m_notes = {{5, nasty}, {6, "after"}};
    list.m_groups = {{"g\"r>p", {{5, nasty}}}};
    const std::string document = list.MakeDocument();

    CCollector collector;
    CSimpleXMLParser parser;
    parser.setDocumentHandler(&collector);
    CMemInputStream in(document.data(), static_cast<int>(document.size()));
    ASSERT_EQ(CSimpleXMLParser::kParsed, parser.parse(&in));
    EXPECT_EQ((std::vector<std::string>{"Quillet||", "MessageList||", "Message|5|" + nasty, "Message|6|after",
                                        "GroupList||", "Group||g\"r>p", "Message|5|" + nasty}),
              collector.m_events);
}

TEST(MessageList, SnapshotsTheStore) {
    int next = 1000;
    CDataBase store(&CreateHeadlessMessage, [&] { return next++; });
    const int first = store.AddMessage("one");
    const int second = store.AddMessage("two");
    SheetProperty sheet = store.GetMessage(first)->GetSheet();
    CopyField(sheet.Title, "Titled");
    store.GetMessage(first)->SetSheet(sheet);
    CGroup groups;
    groups.SetMembers("Work", {{second, "recorded title"}});
    store.SetGroups(groups, false);

    const CMessageList list = CMessageList::FromStore(store);
    ASSERT_EQ(2u, list.m_notes.size());
    EXPECT_EQ((CMessageList::Note{first, "Titled"}), list.m_notes[0]);
    EXPECT_EQ(second, list.m_notes[1].ID);
    EXPECT_EQ(FormatCreationTime(second), list.m_notes[1].Title); // no title: the creation time
    ASSERT_EQ(1u, list.m_groups.size());
    EXPECT_EQ("Work", list.m_groups[0].Name);
    // Members as the group table records them.
    const GroupMember& member = store.GetGroups().GetMembers("Work")->at(0);
    EXPECT_EQ((std::vector<CMessageList::Note>{{second, member.Title}}), list.m_groups[0].Members);
}
