#include "core/app/NoteKeeper.h"
#include "core/store/DataBase.h"
#include "core/store/HeadlessMessage.h"
#include "core/store/PropParser.h"
#include "core/stream/DataFiles.h"
#include "ui/note/MessageDlg.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <filesystem>

namespace {

// What the keeper writes for one delivery, kept in a folder of its own.
std::string Deliver(const CDataBase::WindowFactory& factory, const CInboundSlot::Item& item) {
    char pattern[] = "/tmp/quillet-same-XXXXXX";
    const std::string folder = mkdtemp(pattern);
    std::string written;
    {
        CDataBase store(factory, [] { return 1700000000; });
        CNoteKeeper keeper(store, nullptr);
        keeper.SetSavePath(folder);
        const int id = keeper.Receive(item);
        EXPECT_NE(id, 0);
        ReadWholeFile(NoteFilePath(folder, id), written);
        store.DeleteAll();
    }
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    std::filesystem::remove_all(folder);
    return written;
}

// The rectangle is the screen's business: a received note is centred on the
// screen it arrives on, and the headless server has none.
std::string WithoutRectangle(const std::string& document) {
    CNote note;
    EXPECT_TRUE(note.Parse(document.c_str())) << document;
    note.Sheet.Left = note.Sheet.Top = note.Sheet.Right = note.Sheet.Bottom = 0;
    return note.Serialize();
}

} // namespace

// The desktop program and `quillet-cli serve` write the same note file for the
// same delivery: a text becomes the same rich text, a note document keeps its
// records and body bytes.
TEST(SameNoteFile, ProgramAndHeadlessServerWriteTheSameFile) {
    CPropParser document;
    document.m_hasSheet = true;
    document.m_sheet.ID = 42;
    std::strcpy(document.m_sheet.Title, "From a peer");
    document.m_sheet.Right = 220;
    document.m_sheet.Bottom = 120;
    document.m_hasFont = true;
    std::strcpy(document.m_font.Name, "DejaVu Sans");
    document.m_font.Size = 12;
    document.m_font.Flags = kFontBold;
    // What a Windows peer sends: a code page and a hex escape.
    document.m_body = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 caf\\'e9 \\b bold\\b0\\par}";
    const std::vector<CInboundSlot::Item> deliveries = {
        {"two lines\nof text, ünïcode & <markup>", CInboundSlot::kPlainText},
        {document.MakeDocument(), CInboundSlot::kNoteDocument},
    };
    for (const CInboundSlot::Item& item : deliveries) {
        const std::string program = Deliver(
            [](std::shared_ptr<CNote> note) {
                return CreateMessageDlg(std::move(note), std::make_shared<CNoteContext>());
            },
            item);
        const std::string headless = Deliver(&CreateHeadlessMessage, item);
        ASSERT_FALSE(program.empty());
        EXPECT_EQ(WithoutRectangle(program), WithoutRectangle(headless)) << item.Bytes;
    }
}
