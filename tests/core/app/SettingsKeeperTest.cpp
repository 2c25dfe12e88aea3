#include "core/app/NoteKeeper.h"
#include "core/app/SettingsKeeper.h"
#include "core/base/FieldText.h"
#include "core/base/Paths.h"
#include "core/base/PromptPort.h"
#include "core/base/Strings.h"
#include "core/store/DataBase.h"
#include "core/store/HeadlessMessage.h"
#include "core/store/PropParser.h"
#include "core/stream/DataFiles.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <deque>
#include <filesystem>

namespace {

namespace fs = std::filesystem;

class AnsweringPrompt : public CPromptPort {
public:
    std::deque<Answer> answers;
    std::vector<int> asked;
    Answer AskYesNo(int stringId, const std::vector<std::string>&) override {
        asked.push_back(stringId);
        const Answer answer = answers.empty() ? Answer::No : answers.front();
        if (!answers.empty())
            answers.pop_front();
        return answer;
    }
    void ShowMessage(int, const std::vector<std::string>&, Icon) override {}
};

class SettingsKeeperTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/quillet-settingsXXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_root = pattern;
        setenv("HOME", m_root.c_str(), 1);
        setenv("XDG_CONFIG_HOME", (m_root + "/config").c_str(), 1);
        setenv("XDG_DOCUMENTS_DIR", (m_root + "/Documents").c_str(), 1);
    }
    void TearDown() override { fs::remove_all(m_root); }

    static CPropParser OnDisk() {
        CPropParser model;
        EXPECT_EQ(CSettingsFile::Load(model), CSettingsFile::LoadResult::Loaded);
        return model;
    }
    static int MembersOnDisk(const std::string& group) {
        const CPropParser model = OnDisk();
        const auto* members = model.m_groups.GetMembers(group);
        return members ? static_cast<int>(members->size()) : -1;
    }

    std::string m_root;
    AnsweringPrompt m_prompt;
    CDataBase m_store{&CreateHeadlessMessage, [] { return 1700000000; }};
    CNoteKeeper m_notes{m_store, &m_prompt};
    CSettingsKeeper m_settings{m_store, m_notes, &m_prompt};
};

} // namespace

// The group table is read before the notes but keeps its members only once
// they are loaded; every change of it is in the file when the call returns.
TEST_F(SettingsKeeperTest, GroupsSurviveStartUpAndEveryChangeIsWrittenAtOnce) {
    CPropParser model;
    std::vector<GroupMember> members{{1111, "kept"}, {2222, "no such note"}};
    model.m_groups.SetMembers("Work", members);
    CSettingsFile::Save(model);
    CNote note;
    note.Sheet.ID = 1111;
    SaveNoteFile(CPaths::DefaultSavePath(), 1111, note.Serialize());

    EXPECT_EQ(m_settings.StartUp(), std::vector<int>{1111});
    EXPECT_EQ(m_store.GetGroupMemberCount("Work"), 1);

    // A new property for the group, to be given to every member after asking.
    CGroup table = m_store.GetGroups();
    GroupProperty property;
    CopyField(property.Name, "Serif");
    table.SetProperty("Work", property);
    table.SetChangeEntireMessage(1);
    m_prompt.answers = {CPromptPort::Answer::Yes};
    m_settings.ChangeGroups(table);
    EXPECT_EQ(m_prompt.asked, std::vector<int>{strings::kChangeGroupProperty});
    EXPECT_EQ(std::string(FieldText(m_store.GetNote(1111)->Font.Name)), "Serif");
    ASSERT_TRUE(OnDisk().m_groups.GetProperty("Work"));
    EXPECT_EQ(std::string(FieldText(OnDisk().m_groups.GetProperty("Work")->Name)), "Serif");

    m_settings.SetNoteGroups(1111, {});
    EXPECT_EQ(MembersOnDisk("Work"), 0);
    m_settings.SetNoteGroups(1111, {"Work", "no such group"});
    EXPECT_EQ(MembersOnDisk("Work"), 1);
}

// New settings: new notes take the new defaults, every note moves into a new
// save folder at once (the old one is left as it was), and the file is written.
TEST_F(SettingsKeeperTest, AppliedSettingsMoveTheNotesAndAreWritten) {
    m_settings.StartUp();
    const int id = m_notes.Create("moving");
    ASSERT_TRUE(m_notes.Save(id));
    const std::string oldFolder = m_settings.SavePath();

    CSettingsKeeper::Settings chosen = m_settings.Get();
    CopyField(chosen.Application.SavePath, m_root + "/elsewhere");
    chosen.DefaultFont.Size = 14;
    chosen.Network.Port = 5000;
    EXPECT_TRUE(m_settings.Apply(chosen));

    std::string moved;
    EXPECT_TRUE(ReadWholeFile(NoteFilePath(m_root + "/elsewhere", id), moved));
    EXPECT_TRUE(fs::exists(NoteFilePath(oldFolder, id)));
    EXPECT_EQ(m_store.GetNote(m_notes.Create("new"))->Font.Size, 14);
    EXPECT_EQ(OnDisk().m_network.Port, 5000);
    EXPECT_FALSE(m_settings.Apply(chosen));
}
