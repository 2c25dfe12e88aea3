#include "core/app/NoteKeeper.h"
#include "core/base/FieldText.h"
#include "core/base/PromptPort.h"
#include "core/base/Strings.h"
#include "core/store/DataBase.h"
#include "core/store/HeadlessMessage.h"
#include "core/store/PropParser.h"
#include "core/stream/DataFiles.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;

class CountingPrompt : public CPromptPort {
public:
    std::vector<int> shown;
    Answer AskYesNo(int, const std::vector<std::string>&) override { return Answer::No; }
    void ShowMessage(int stringId, const std::vector<std::string>&, Icon) override { shown.push_back(stringId); }
    int Count(int stringId) const { return static_cast<int>(std::count(shown.begin(), shown.end(), stringId)); }
};

std::string Document(int id, const std::string& title) {
    CPropParser doc;
    doc.m_hasSheet = true;
    doc.m_sheet.ID = id;
    doc.m_sheet.Right = 200;
    doc.m_sheet.Bottom = 100;
    CopyField(doc.m_sheet.Title, title);
    doc.m_hasFont = true;
    doc.m_body = "{\\rtf1 " + title + "}";
    return doc.MakeDocument();
}

// A program run: a store of headless notes over the save folder, as the
// desktop program and the headless server both keep it.
struct Program {
    explicit Program(const std::string& folder, std::time_t now = 1700000000)
        : store(&CreateHeadlessMessage, [now] { return now; }), keeper(store, &prompt) {
        keeper.SetSavePath(folder);
    }
    CountingPrompt prompt;
    CDataBase store;
    CNoteKeeper keeper;
};

class NoteKeeperTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/quillet-keeperXXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_folder = pattern;
    }
    void TearDown() override { fs::remove_all(m_folder); }

    // Plainly: the program's own writer would go through "<name>_tmp".
    void Write(const std::string& name, const std::string& contents) {
        std::ofstream(m_folder + "/" + name, std::ios::binary) << contents;
    }
    std::string Read(const std::string& name) const {
        std::string contents;
        return ReadWholeFile(m_folder + "/" + name, contents) ? contents : std::string("<missing>");
    }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(m_folder))
            names.push_back(entry.path().filename());
        std::sort(names.begin(), names.end());
        return names;
    }
    static std::string TitleOf(const std::string& document) {
        CPropParser doc;
        return doc.Parse(document.c_str()) == 1 ? std::string(FieldText(doc.m_sheet.Title)) : "<unparsable>";
    }
    static std::string BodyOf(const std::string& document) {
        CPropParser doc;
        return doc.Parse(document.c_str()) == 1 ? doc.m_body : "<unparsable>";
    }

    std::string m_folder;
};

} // namespace

// A left-over temporary file of note 12 loads as a note of its own: it is
// written under its new ID at once, and only then is the left-over removed.
// While that write fails the left-over is never used as a temporary file.
TEST_F(NoteKeeperTest, LeftOverTemporaryFileBecomesANoteOfItsOwnWithoutLosingIt) {
    Write("12", Document(12, "saved"));
    Write("12_tmp", Document(12, "newer"));
    ASSERT_EQ(mkdir((m_folder + "/13_tmp").c_str(), 0700), 0); // the new ID cannot be written yet
    {
        Program run(m_folder);
        EXPECT_EQ(run.keeper.LoadAll(), (std::vector<int>{12, 13}));
        EXPECT_EQ(Read("12_tmp"), Document(12, "newer"));
        EXPECT_EQ(Read("13"), "<missing>");
        // A save of 12 goes through another temporary file.
        ASSERT_TRUE(run.keeper.Save(12));
        EXPECT_EQ(Read("12_tmp"), Document(12, "newer"));

        ASSERT_EQ(rmdir((m_folder + "/13_tmp").c_str()), 0);
        EXPECT_TRUE(run.keeper.SaveModified());
        EXPECT_EQ(TitleOf(Read("13")), "newer");
        EXPECT_EQ(Read("12_tmp"), "<missing>");
    }
    EXPECT_EQ(Names(), (std::vector<std::string>{"12", "13"}));
    Program next(m_folder);
    EXPECT_EQ(next.keeper.LoadAll(), (std::vector<int>{12, 13}));
    EXPECT_EQ(next.store.GetTitle(13), "newer");
}

// A file that does not parse is never written, and no note takes the ID its
// name spells: not a loaded note, not a received one, not a note's temporary file.
TEST_F(NoteKeeperTest, UnparsableFilesAreNeverOverwrittenNorTheirIdsReused) {
    Write("12", "half a note <Quillet>");
    Write("20_tmp", "torn");
    Write("copy-of-12", Document(12, "copy"));
    Write("20", Document(20, "twenty"));
    Program run(m_folder);
    const std::vector<int> ids = run.keeper.LoadAll();
    ASSERT_EQ(ids.size(), 2u);
    EXPECT_EQ(run.store.GetMessage(12), nullptr);
    const int received = run.keeper.Receive({Document(12, "from a peer"), CInboundSlot::kNoteDocument});
    EXPECT_NE(received, 0);
    EXPECT_NE(received, 12);
    EXPECT_TRUE(run.keeper.Save(20));
    EXPECT_TRUE(run.keeper.SaveModified());
    EXPECT_EQ(Read("12"), "half a note <Quillet>");
    EXPECT_EQ(Read("20_tmp"), "torn");
}

// Files are read in name order, but a note read from a file not named by its
// ID never overwrites a file that is read after it; it moves into "<id>", and
// the file it came from goes, so deleting it or editing it leaves one note.
TEST_F(NoteKeeperTest, NotesFromFilesOfOtherNamesMoveUnderTheirIds) {
    Write("12", Document(12, "twelve"));
    Write("13", Document(13, "thirteen"));
    Write("5", Document(12, "copy of twelve"));
    Write("a-note", Document(40, "forty"));
    {
        Program run(m_folder);
        run.keeper.LoadAll();
        EXPECT_EQ(run.store.GetIds(), (std::vector<int>{12, 13, 14, 40}));
        EXPECT_EQ(TitleOf(Read("13")), "thirteen");
        EXPECT_EQ(TitleOf(Read("14")), "copy of twelve");
        EXPECT_EQ(Names(), (std::vector<std::string>{"12", "13", "14", "40"}));
        run.store.DeleteMessage(40);
        run.keeper.Forget(40);
    }
    Program next(m_folder);
    EXPECT_EQ(next.keeper.LoadAll(), (std::vector<int>{12, 13, 14}));
}

// Creating stops at 100 notes with message 57670; received items were already
// acknowledged to their senders, so they are kept past the limit and written.
// A received text is stored as a note window stores it: rich text in the font.
TEST_F(NoteKeeperTest, HundredNoteLimitAndReceivedItems) {
    Program run(m_folder);
    for (int i = 0; i < CNoteKeeper::kMaxMessages; ++i)
        ASSERT_NE(run.keeper.Create("note"), 0) << i;
    EXPECT_EQ(run.keeper.Create("one too many"), 0);
    EXPECT_EQ(run.prompt.Count(strings::kMessageLimit), 1);

    const int text = run.keeper.Receive({"from the bridge", CInboundSlot::kPlainText});
    const int note = run.keeper.Receive({Document(7, "delivered"), CInboundSlot::kNoteDocument});
    EXPECT_EQ(run.keeper.Receive({"<Quillet>", CInboundSlot::kNoteDocument}), 0);
    EXPECT_EQ(run.store.GetCount(), 102);
    EXPECT_EQ(note, 7);
    EXPECT_TRUE(run.store.IsVisible(7));
    EXPECT_EQ(TitleOf(Read("7")), "delivered");
    const std::string saved = BodyOf(Read(std::to_string(text)));
    EXPECT_NE(saved.find("{\\rtf1"), std::string::npos);
    EXPECT_NE(saved.find("from the bridge"), std::string::npos);
    EXPECT_NE(saved.find("MS Sans Serif"), std::string::npos);
}

// A save that fails keeps the old file, is reported once however many notes
// fail, and is tried again with the next save of the modified notes.
TEST_F(NoteKeeperTest, FailedSavesAreReportedOnceAndRetried) {
    Program run(m_folder);
    const int first = run.keeper.Create("first");
    const int second = run.keeper.Create("second");
    ASSERT_TRUE(run.keeper.Save(first));
    ASSERT_TRUE(run.keeper.Save(second));
    const std::string before = Read(std::to_string(first));
    for (const int id : {first, second})
        ASSERT_EQ(mkdir((m_folder + "/" + std::to_string(id) + "_tmp").c_str(), 0700), 0);

    run.store.GetMessage(first)->SetBody("changed", BodyFormat::PlainText);
    EXPECT_FALSE(run.keeper.SaveReporting(first));
    EXPECT_FALSE(run.keeper.SaveModified());
    EXPECT_EQ(run.prompt.Count(strings::kSaveFailed), 2);
    EXPECT_TRUE(run.keeper.HasUnsaved());
    EXPECT_EQ(Read(std::to_string(first)), before);

    // Not interactive (a signal, the session ending): only logged.
    run.keeper.SetInteractive(false);
    EXPECT_FALSE(run.keeper.SaveModified());
    EXPECT_EQ(run.prompt.Count(strings::kSaveFailed), 2);

    for (const int id : {first, second})
        ASSERT_EQ(rmdir((m_folder + "/" + std::to_string(id) + "_tmp").c_str()), 0);
    EXPECT_TRUE(run.keeper.SaveModified());
    EXPECT_FALSE(run.keeper.HasUnsaved());
    EXPECT_NE(BodyOf(Read(std::to_string(first))).find("changed"), std::string::npos);
}
