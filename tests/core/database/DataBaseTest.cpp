#include "core/base/FieldText.h"
#include "core/base/PromptPort.h"
#include "core/store/DataBase.h"
#include "core/store/HeadlessMessage.h"
#include "core/store/PropParser.h"

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace {

// Records what reaches the application, one line an event.
class AppRecorder : public CMessageEventHandler {
public:
    std::vector<std::string> events;
    CDataBase* store = nullptr;
    bool noteExistedAtDelete = false;

    void OnShowChanged(int id, bool shown) override { Log("show", id, shown ? "1" : "0"); }
    void OnDelete(int id) override {
        noteExistedAtDelete = store && store->GetMessage(id) != nullptr;
        Log("delete", id);
    }
    void OnTitleChanged(int id, const std::string& title) override { Log("title", id, title); }
    void OnSend(int id) override { Log("send", id); }
    void OnRequest(int id, int kind) override { Log("request", id, std::to_string(kind)); }
    void OnAddToGroup(int id, const std::string& g) override { Log("add", id, g); }
    void OnRemoveFromGroup(int id, const std::string& g) override { Log("remove", id, g); }
    void GetGroupNames(std::vector<std::string>& out) override { out.push_back("from-app"); }
    int GetMessageGroups(int, std::vector<std::string>&) override { return -1; }
    void OnSetGroups(int id, const std::vector<std::string>& groups) override {
        Log("setgroups", id, std::to_string(groups.size()));
    }
    void OnChanged(int id) override { Log("changed", id); }

private:
    void Log(const std::string& what, int id, const std::string& extra = "") {
        events.push_back(what + " " + std::to_string(id) + (extra.empty() ? "" : " " + extra));
    }
};

class ScriptedPrompt : public CPromptPort {
public:
    std::deque<Answer> answers;
    std::vector<std::string> asked;
    // Runs while the question is open, as the event loop of a real box would.
    std::function<void()> whileAsking;
    Answer AskYesNo(int stringId, const std::vector<std::string>& args) override {
        std::string line = std::to_string(stringId);
        for (const auto& a : args)
            line += " " + a;
        asked.push_back(line);
        if (auto run = std::exchange(whileAsking, nullptr))
            run();
        Answer a = answers.empty() ? Answer::No : answers.front();
        if (!answers.empty())
            answers.pop_front();
        return a;
    }
    void ShowMessage(int, const std::vector<std::string>&, Icon) override {}
};

class StoreTest : public ::testing::Test {
protected:
    std::time_t now = 1700000000;
    CDataBase store{&CreateHeadlessMessage, [this] { return now; }};
    AppRecorder app;
    ScriptedPrompt prompt;

    void SetUp() override {
        app.store = &store;
        store.SetEventHandler(&app);
        store.SetPromptPort(&prompt);
    }

    CHeadlessMessage& Note(int id) { return *static_cast<CHeadlessMessage*>(store.GetMessage(id)); }

    int AddTitled(const std::string& title, int gapSeconds = 1) {
        now += gapSeconds;
        const int id = store.NewMessage();
        SheetProperty sheet = Note(id).GetSheet();
        CopyField(sheet.Title, title);
        Note(id).SetSheet(sheet);
        return id;
    }

    static std::string Document(int id, const std::string& title = "", bool hidden = false) {
        CPropParser doc;
        doc.m_hasSheet = true;
        doc.m_sheet.ID = id;
        doc.m_sheet.Hidden = hidden ? 1 : 0;
        doc.m_sheet.Right = 200;
        doc.m_sheet.Bottom = 100;
        CopyField(doc.m_sheet.Title, title);
        doc.m_hasFont = true;
        doc.m_body = "{\\rtf1 x}";
        return doc.MakeDocument();
    }

    int Load(const std::string& doc, bool received = false) {
        return store.LoadMessage(doc.data(), static_cast<int>(doc.size()), received);
    }

    static CGroup GroupsWith(const std::string& name, std::vector<int> ids) {
        CGroup groups;
        std::vector<GroupMember> members;
        for (int id : ids)
            members.push_back({id, "stale"});
        groups.SetMembers(name, members);
        return groups;
    }
};

} // namespace

TEST_F(StoreTest, IdsFollowTheClockAndStayUnique) {
    const int first = store.AddMessage("one");
    const int second = store.AddMessage("two"); // same second
    EXPECT_EQ(first, 1700000000);
    EXPECT_EQ(second, 1700000001);
    EXPECT_EQ(Note(first).GetText(), "one");
    EXPECT_EQ(Note(first).GetBodyFormat(), BodyFormat::PlainText);
    EXPECT_TRUE(store.IsVisible(first));

    // Loaded documents keep their ID unless it is taken; duplicates all load.
    EXPECT_EQ(Load(Document(12)), 12);
    EXPECT_EQ(Load(Document(12)), 13);
    EXPECT_EQ(Load(Document(12)), 14);
    EXPECT_EQ(Load(Document(first)), 1700000002);
    EXPECT_EQ(store.GetCount(), 6);
}

TEST_F(StoreTest, LoadRefusesDocumentsThatDoNotParse) {
    const std::string junk = "not a document";
    EXPECT_EQ(Load(junk), 0);
    EXPECT_EQ(store.LoadMessage(nullptr, 4, false), 0);
    EXPECT_EQ(store.GetCount(), 0);
}

TEST_F(StoreTest, ReceivedNotesAreCentredAndShownEvenWhenStoredHidden) {
    const int stored = Load(Document(5, "kept", true));
    EXPECT_FALSE(store.IsVisible(stored));
    const int received = Load(Document(6, "arrived", true), true);
    EXPECT_TRUE(store.IsVisible(received));
    EXPECT_EQ(store.GetWindowRect(received), (Rect{412, 334, 612, 434}));
    EXPECT_EQ(store.GetTitle(received), "arrived");
}

TEST_F(StoreTest, DisplayTitleFallsBackToTheCreationTime) {
    const int id = store.NewMessage();
    EXPECT_EQ(store.GetTitle(id), FormatCreationTime(id));
    EXPECT_EQ(store.GetTitle(id).size(), 19u); // YYYY/MM/DD HH:MM:SS
    EXPECT_EQ(store.GetTitle(42), "");
}

TEST_F(StoreTest, DeleteTellsTheApplicationFirstThenRemovesEverywhere) {
    const int a = AddTitled("a");
    const int b = AddTitled("b");
    store.SetGroups(GroupsWith("work", {a, b}), false);
    store.SetMenuCommand(a, 40000);
    app.events.clear();

    // The window reports its own disposal through the proxy it was given.
    Note(a).GetEventHandler()->OnDelete(a);
    EXPECT_TRUE(app.noteExistedAtDelete);
    EXPECT_EQ(app.events, (std::vector<std::string>{"delete " + std::to_string(a)}));
    EXPECT_EQ(store.GetMessage(a), nullptr);
    EXPECT_EQ(store.IdFromCommand(40000), 0);
    EXPECT_EQ(store.GetGroupMemberCount("work"), 1);

    store.DeleteMessage(b);
    EXPECT_TRUE(app.noteExistedAtDelete);
    EXPECT_EQ(store.GetCount(), 0);
    EXPECT_EQ(store.GetGroupMemberCount("work"), 0); // the group stays, empty
    EXPECT_TRUE(store.IsGroupShown("work"));
    store.DeleteMessage(b); // unknown now: nothing happens
    EXPECT_EQ(app.events.size(), 2u);
}

TEST_F(StoreTest, ProxyDoesTheStoresPartThenForwards) {
    const int id = AddTitled("old");
    store.SetGroups(GroupsWith("g", {id}), false);
    CMessageEventHandler* proxy = Note(id).GetEventHandler();
    ASSERT_NE(proxy, nullptr);
    app.events.clear();

    proxy->OnTitleChanged(id, "new");
    EXPECT_EQ(store.GetGroups().GetMembers("g")->at(0).Title, "new");
    proxy->OnSend(id);
    proxy->OnRequest(id, CMessageEventHandler::kRequestGroupSettings);
    proxy->OnSetGroups(id, {"x", "y"});
    proxy->OnChanged(id);
    std::vector<std::string> names;
    proxy->GetGroupNames(names);
    EXPECT_EQ(names, (std::vector<std::string>{"from-app"}));
    std::vector<std::string> groups;
    EXPECT_EQ(proxy->GetMessageGroups(id, groups), 1); // answered by the store itself
    EXPECT_EQ(groups, (std::vector<std::string>{"g"}));

    const std::string n = std::to_string(id);
    EXPECT_EQ(app.events, (std::vector<std::string>{"title " + n + " new", "send " + n, "request " + n + " 2",
                                                    "setgroups " + n + " 2", "changed " + n}));

    // The store changes its table first; then the application writes it.
    app.events.clear();
    proxy->OnRemoveFromGroup(id, "g");
    EXPECT_EQ(store.GetGroupMemberCount("g"), 0);
    EXPECT_EQ(app.events, (std::vector<std::string>{"remove " + n + " g"}));
}

TEST_F(StoreTest, HidingAndShowingReportsAndTracksGroups) {
    const int a = AddTitled("a");
    const int b = AddTitled("b");
    store.SetGroups(GroupsWith("g", {a, b}), false);
    app.events.clear();

    store.ShowMessage(a, ShowCommand::Hide);
    EXPECT_FALSE(store.IsVisible(a));
    EXPECT_EQ(Note(a).GetSheet().Hidden, 1);
    EXPECT_FALSE(store.IsGroupShown("g"));
    EXPECT_EQ(app.events,
              (std::vector<std::string>{"show " + std::to_string(a) + " 0", "changed " + std::to_string(a)}));

    store.ShowGroup("g", ShowCommand::Show);
    EXPECT_TRUE(store.IsGroupShown("g"));
    store.ShowMessage(0, ShowCommand::Hide);
    EXPECT_FALSE(store.IsVisible(a));
    EXPECT_FALSE(store.IsVisible(b));
    EXPECT_TRUE(store.IsGroupShown("unknown"));
    EXPECT_EQ(store.GetGroupMemberCount("unknown"), -1);
}

TEST_F(StoreTest, AddToGroupOnceAndAskBeforeASecondGroupsFont) {
    const int id = AddTitled("memo");
    CGroup groups;
    groups.SetChangeGroupProp(1);
    FontProperty red;
    red.FontColor = 0x0000FF;
    FontProperty blue;
    blue.FontColor = 0xFF0000;
    groups.SetMembers("red", {});
    groups.SetProperty("red", red);
    groups.SetMembers("blue", {});
    groups.SetProperty("blue", blue);
    store.SetGroups(groups, false);
    app.events.clear();

    store.AddToGroup(id, "red"); // first group: applied without a question
    EXPECT_EQ(Note(id).GetFont(), red);
    EXPECT_TRUE(prompt.asked.empty());
    EXPECT_EQ(app.events, (std::vector<std::string>{"changed " + std::to_string(id)}));

    store.AddToGroup(id, "red"); // already a member: nothing changes
    EXPECT_EQ(store.GetGroupMemberCount("red"), 1);

    prompt.answers = {CPromptPort::Answer::No};
    store.AddToGroup(id, "blue");
    ASSERT_EQ(prompt.asked.size(), 1u);
    EXPECT_EQ(prompt.asked[0], "57698 memo blue");
    EXPECT_EQ(Note(id).GetFont(), red);
    EXPECT_EQ(store.GetGroupMemberCount("blue"), 1); // membership stays

    store.RemoveFromGroup(id, "blue");
    prompt.answers = {CPromptPort::Answer::Yes};
    store.AddToGroup(id, "blue");
    EXPECT_EQ(Note(id).GetFont(), blue);

    store.AddToGroup(id, "missing");
    std::vector<std::string> mine;
    EXPECT_EQ(store.GetMessageGroups(id, mine), 2);
}

TEST_F(StoreTest, SetGroupsDropsUnknownIdsAndRefreshesTitles) {
    const int a = AddTitled("alpha");
    CGroup table = GroupsWith("g", {a, 999});
    table.SetMembers("empty", {});
    store.SetGroups(table, false);
    const auto* members = store.GetGroups().GetMembers("g");
    ASSERT_NE(members, nullptr);
    ASSERT_EQ(members->size(), 1u);
    EXPECT_EQ(members->at(0).ID, a);
    EXPECT_EQ(members->at(0).Title, "alpha");
    EXPECT_EQ(store.GetGroupMemberCount("empty"), 0);
    std::vector<std::string> mine;
    EXPECT_EQ(store.GetMessageGroups(a, mine), 1);
}

TEST_F(StoreTest, SetGroupsOffersPropertiesOnlyToNewMembersWhenAsked) {
    const int a = AddTitled("a");
    const int b = AddTitled("b");
    FontProperty big;
    big.Size = 20;
    CGroup table = GroupsWith("g", {a});
    table.SetProperty("g", big);
    table.SetChangeGroupProp(1);
    store.SetGroups(table, false); // start-up: never applied
    EXPECT_EQ(Note(a).GetFont().Size, 9);

    table.SetMembers("g", {{a, ""}, {b, ""}});
    store.SetGroups(table, true);
    EXPECT_EQ(Note(a).GetFont().Size, 9); // was in the group before
    EXPECT_EQ(Note(b).GetFont().Size, 20);
    EXPECT_TRUE(prompt.asked.empty());

    store.ApplyGroupProperty("g");
    EXPECT_EQ(Note(a).GetFont().Size, 20);
}

TEST_F(StoreTest, NotesAndGroupsChangedDuringAQuestionAreNotOffered) {
    const int a = AddTitled("a");
    const int b = AddTitled("b");
    const int c = AddTitled("c");
    FontProperty big;
    big.Size = 20;
    CGroup table;
    table.SetMembers("g", {{a, ""}, {b, ""}, {c, ""}});
    table.SetMembers("h", {{a, ""}, {b, ""}, {c, ""}});
    table.SetProperty("g", big);
    table.SetProperty("h", big);
    table.SetChangeGroupProp(1);
    CGroup smaller = GroupsWith("g", {a, b});
    smaller.SetProperty("g", big);
    prompt.whileAsking = [&] {
        store.DeleteMessage(c);
        store.SetGroups(smaller, false);
    };
    prompt.answers = {CPromptPort::Answer::Yes};
    store.SetGroups(table, true);
    EXPECT_EQ(store.GetMessage(c), nullptr);
    EXPECT_EQ(Note(a).GetFont().Size, 20);
    EXPECT_EQ(Note(b).GetFont().Size, 20); // in one group now: applied without a question
    EXPECT_EQ(prompt.asked.size(), 1u);    // nothing offered for the note or group that went away

    // The note asked about may go as well.
    const int d = AddTitled("d");
    CGroup both;
    both.SetMembers("g", {{d, ""}});
    both.SetMembers("h", {{d, ""}});
    both.SetProperty("g", big);
    both.SetChangeGroupProp(1);
    prompt.whileAsking = [&] { store.DeleteMessage(d); };
    prompt.answers = {CPromptPort::Answer::Yes};
    store.SetGroups(both, true);
    EXPECT_EQ(store.GetMessage(d), nullptr);
    EXPECT_EQ(prompt.asked.size(), 2u);
}

TEST_F(StoreTest, SortedListsByIdTitleAndGroup) {
    const int zed = AddTitled("zed");
    const int apple = AddTitled("Apple");
    const int mango = AddTitled("mango");
    const int banana = AddTitled("banana");
    auto ids = [&](int flags) {
        std::vector<int> out;
        for (const auto& item : store.BuildSortedList(flags))
            out.push_back(item.ID);
        return out;
    };
    EXPECT_EQ(ids(3), (std::vector<int>{zed, apple, mango, banana}));
    EXPECT_EQ(ids(2), (std::vector<int>{banana, mango, apple, zed}));
    EXPECT_EQ(ids(1), (std::vector<int>{apple, banana, mango, zed})); // A-Z folded
    EXPECT_EQ(ids(4), (std::vector<int>{zed, mango, banana, apple})); // bit 2 alone: by title, descending

    CGroup table;
    table.SetMembers("beta", {{mango, ""}, {zed, ""}});
    table.SetMembers("Alpha", {{banana, ""}, {zed, ""}});
    store.SetGroups(table, false);
    // Groups by name (A-Z folded), each group's new members sorted, then the rest.
    EXPECT_EQ(ids(9), (std::vector<int>{banana, zed, mango, apple}));
    EXPECT_EQ(ids(8), (std::vector<int>{zed, mango, banana, apple}));
    EXPECT_EQ(ids(11), (std::vector<int>{zed, banana, mango, apple}));
    EXPECT_EQ(store.BuildSortedList(9).front().Title, "banana");
}

TEST_F(StoreTest, RelocationMovesOnlyNotesWhollyOffEveryScreen) {
    const int on = Load(Document(1));
    const int off = Load(Document(2, "", true)); // hidden notes are relocated too
    store.MoveMessage(on, 1023, 10);
    Note(off).SetWindowRect({1025, 10, 1225, 110});
    store.RelocateIntoScreen({0, 0, 1024, 768}, {{0, 0, 1024, 768}});
    EXPECT_EQ(store.GetWindowRect(on), (Rect{1023, 10, 1223, 110}));
    EXPECT_EQ(store.GetWindowRect(off), (Rect{824, 10, 1024, 110}));
    EXPECT_EQ(Note(off).GetSheet().Left, 824);
}

TEST_F(StoreTest, TopmostNotesAreRaisedAgain) {
    SheetProperty sheet;
    sheet.TopWindow = 1;
    store.SetDefaultSheet(sheet);
    const int top = store.NewMessage();
    store.SetDefaultSheet(SheetProperty{});
    const int plain = store.NewMessage();
    const int before = Note(top).GetRaiseCount();
    store.RaiseTopmost();
    EXPECT_EQ(Note(top).GetRaiseCount(), before + 1);
    EXPECT_EQ(Note(plain).GetRaiseCount(), 0);
}

TEST_F(StoreTest, SerializeRoundTripsThroughANewStore) {
    const int id = store.AddMessage("body");
    Note(id).SetBody("{\\rtf1 hello}", BodyFormat::Rtf);
    Note(id).SetWindowRect({10, 20, 210, 120});
    const std::string doc = store.Serialize(id);
    EXPECT_EQ(store.Serialize(4242), "");

    CDataBase other(&CreateHeadlessMessage);
    const int loaded = other.LoadMessage(doc.data(), static_cast<int>(doc.size()), false);
    EXPECT_EQ(loaded, id);
    EXPECT_EQ(other.GetText(loaded), "{\\rtf1 hello}");
    EXPECT_EQ(other.GetWindowRect(loaded), (Rect{10, 20, 210, 120}));
    EXPECT_FALSE(other.IsModified(loaded));
}
