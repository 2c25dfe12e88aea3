#include "AppTestSupport.h"

#include "core/net/ListHandler.h"
#include "core/net/MessageList.h"

#include <set>
#include <thread>

namespace {

// A note document as a peer might send it, title and ID spelled raw.
std::string PeerDocument(const std::string& title, const std::string& id) {
    std::string document = NoteDocument(1, "T", {10, 10, 200, 100});
    document.replace(document.find("Title=\"T\""), 9, "Title=\"" + title + "\"");
    document.replace(document.find("<SheetID ID=\"1\"/>"), 17, "<SheetID ID=\"" + id + "\"/>");
    return document;
}

void Deliver(CPinletApp& app, const std::string& document) {
    std::thread sender([&] { app.InboundSlot().PostInbound(document, CPinletApp::kCmdInboundDocument); });
    sender.join();
}

std::map<int, std::string> Titles(CDataBase& store) {
    std::map<int, std::string> titles;
    for (const int id : store.GetIds())
        titles[id] = store.GetTitle(id);
    return titles;
}

} // namespace

// Titles with markup characters, line breaks, 10 KB and broken UTF-8, and IDs
// that are zero, negative, repeated or not numbers: every note gets an ID of
// its own (0 means "no note" everywhere, so it is never one), titles keep
// their bytes within the title's room, the list offered to other computers
// still parses to the same notes, and everything comes back after a restart.
TEST_F(AppTest, HostileNotesFromPeersAreKeptSafelyAndListedIntact) {
    CPinletApp& app = Start();
    const std::vector<std::pair<std::string, std::string>> deliveries = {
        {"quote &quot; and &gt; and &lt; &amp;", "0"},
        {"line&#10;break", "-5"},
        {std::string(10240, 'x'), "2147483647"},
        {"bad \xff\xfe utf-8 \xe3\x81", "12x"},
        {"again", "-5"},
        {"", ""},
    };
    for (size_t i = 0; i < deliveries.size(); ++i) {
        Deliver(app, PeerDocument(deliveries[i].first, deliveries[i].second));
        ASSERT_TRUE(PumpUntil([&] { return Store().GetCount() == static_cast<int>(i + 1); })) << i;
    }

    const std::map<int, std::string> titles = Titles(Store());
    ASSERT_EQ(titles.size(), deliveries.size());
    for (const auto& [id, title] : titles) {
        EXPECT_NE(id, 0);
        EXPECT_LT(title.size(), 256u) << id;
        EXPECT_FALSE(ReadNote(id).empty()) << id;
    }

    CMessageList list;
    ASSERT_TRUE(ParseMessageList(CMessageList::FromStore(Store()).MakeDocument(), list));
    ASSERT_EQ(list.m_notes.size(), titles.size());
    for (const CMessageList::Note& note : list.m_notes) {
        ASSERT_EQ(titles.count(note.ID), 1u) << note.ID;
        EXPECT_EQ(note.Title, titles.at(note.ID));
    }

    Stop();
    Start();
    EXPECT_EQ(Titles(Store()), titles);
}
