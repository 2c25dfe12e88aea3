#include "core/base/FieldText.h"
#include "core/store/PropParser.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

const std::string kDecl = "<?xml version=\"1.0\" ?>\r\n<Quillet>\r\n";

CPropParser ParseOk(const std::string& text) {
    CPropParser model;
    EXPECT_EQ(model.Parse(text.c_str()), 1) << text;
    return model;
}

FontProperty MakeFont(const char* name, int size, int flags, ColorRef color, ColorRef background) {
    FontProperty font;
    CopyField(font.Name, name);
    font.Size = size;
    font.Flags = flags;
    font.FontColor = color;
    font.BackgroundColor = background;
    return font;
}

CPropParser MakeSettings() {
    CPropParser model;
    model.m_hasApplication = model.m_hasSheet = model.m_hasFont = model.m_hasNetwork = true;
    ApplicationProperty& a = model.m_application;
    a.EnableStartup = 1;
    CopyField(a.SavePath, "/home/u/Documents/Quillet notes");
    a.OrderFlag = 10;
    a.MessageGap = -4;
    a.EnableOutOfWindow = 1;
    SheetProperty& s = model.m_sheet;
    CopyField(s.Title, "default title");
    s.ID = 77;
    s.Left = -30;
    s.Top = 40;
    s.Right = 370;
    s.Bottom = 240;
    s.TopWindow = 1;
    s.AutoResize = 0;
    s.Hidden = 1;
    s.MoveBar = 0;
    s.ReadOnly = 1;
    model.m_font = MakeFont("DejaVu Sans", 12, kFontBold | kFontUnderline, 0x80FF0000u, 0x00123456);
    NetworkProperty& n = model.m_network;
    n.AcceptConnection = 1;
    CopyField(n.Address, "192.168.1.5");
    n.Port = 65000;
    n.EnableUPnP = 1;
    n.ConfirmReceive = 1;
    n.ConfirmExpire = 37;
    n.AcceptTransfer = 1;
    CopyField(n.User, "alice");
    CopyField(n.Passwd, "s3cret pass");
    n.AllowAll = 0;
    for (const char* net : {"192.168.1.0", "10.0.0.0", "fe80::"}) {
        NetworkInfo info;
        CopyField(info.Network, net);
        CopyField(info.Mask, "255.255.255.0");
        n.NetworkInfoList.push_back(info);
    }
    CGroup groups;
    groups.SetChangeGroupProp(1);
    groups.SetChangeEntireMessage(0);
    groups.SetMembers("Work", {{101, "Plan"}, {102, "Budget 2024"}});
    groups.SetProperty("Work", MakeFont("Serif", 10, kFontItalic, 0xFF, 0xFFFFFFFFu));
    groups.SetMembers("Home", {{103, "Shopping"}});
    groups.SetProperty("Home", MakeFont("Mono", 8, 0, 0x00FF00, 0x0000FF));
    groups.SetMembers("Empty group", {});
    groups.SetProperty("Empty group", FontProperty{});
    model.SetGroupList(groups);
    return model;
}

void ExpectSameNetwork(const NetworkProperty& a, const NetworkProperty& b) {
    EXPECT_EQ(a.AcceptConnection, b.AcceptConnection);
    EXPECT_STREQ(a.Address, b.Address);
    EXPECT_EQ(a.Port, b.Port);
    EXPECT_EQ(a.EnableUPnP, b.EnableUPnP);
    EXPECT_EQ(a.ConfirmReceive, b.ConfirmReceive);
    EXPECT_EQ(a.ConfirmExpire, b.ConfirmExpire);
    EXPECT_EQ(a.AcceptTransfer, b.AcceptTransfer);
    EXPECT_STREQ(a.User, b.User);
    EXPECT_STREQ(a.Passwd, b.Passwd);
    EXPECT_EQ(a.AllowAll, b.AllowAll);
    ASSERT_EQ(a.NetworkInfoList.size(), b.NetworkInfoList.size());
    for (size_t i = 0; i < a.NetworkInfoList.size(); ++i) {
        EXPECT_STREQ(a.NetworkInfoList[i].Network, b.NetworkInfoList[i].Network);
        EXPECT_STREQ(a.NetworkInfoList[i].Mask, b.NetworkInfoList[i].Mask);
    }
}

} // namespace

TEST(PropParser, SettingsDocumentRoundTrip) {
    const CPropParser written = MakeSettings();
    const std::string document = written.MakeDocument();
    CPropParser read = ParseOk(document);

    EXPECT_TRUE(read.m_hasApplication && read.m_hasSheet && read.m_hasFont && read.m_hasNetwork);
    EXPECT_TRUE(read.m_hasGroupList);
    EXPECT_FALSE(read.m_hasInform);
    EXPECT_TRUE(read.m_body.empty());

    EXPECT_EQ(read.m_application.EnableStartup, 1);
    EXPECT_STREQ(read.m_application.SavePath, "/home/u/Documents/Quillet notes");
    EXPECT_EQ(read.m_application.OrderFlag, 10);
    EXPECT_EQ(read.m_application.MessageGap, -4);
    EXPECT_EQ(read.m_application.EnableOutOfWindow, 1);

    const SheetProperty& s = read.m_sheet;
    EXPECT_STREQ(s.Title, "default title");
    EXPECT_EQ(s.ID, 77);
    EXPECT_EQ(s.Left, -30);
    EXPECT_EQ(s.Top, 40);
    EXPECT_EQ(s.Right, 370);
    EXPECT_EQ(s.Bottom, 240);
    EXPECT_EQ(s.TopWindow, 1);
    EXPECT_EQ(s.AutoResize, 0);
    EXPECT_EQ(s.Hidden, 1);
    EXPECT_EQ(s.MoveBar, 0);
    EXPECT_EQ(s.ReadOnly, 1);

    // The font colour has its top bit set: written signed, read back to the same bits.
    EXPECT_EQ(read.m_font, written.m_font);
    ExpectSameNetwork(read.m_network, written.m_network);
    EXPECT_EQ(read.m_groups, written.m_groups);
    EXPECT_EQ(read.m_groups.GetGroupNames(), (std::vector<std::string>{"Empty group", "Home", "Work"}));

    // Writing what was read gives the same text again.
    EXPECT_EQ(read.MakeDocument(), document);
    EXPECT_NE(document.find("<FontColor Color=\"-2130771968\"/>"), std::string::npos);
    EXPECT_NE(document.find("<BackgroundColor Color=\"4294967295\"/>"), std::string::npos);
    EXPECT_NE(document.find("<ConfirmExpire Time=\"37\"/>"), std::string::npos);
}

TEST(PropParser, NoteDocumentRoundTripWithReminderAndBinaryBody) {
    CPropParser written;
    written.m_hasSheet = written.m_hasFont = written.m_hasInform = true;
    written.m_sheet.ID = 1700000000;
    CopyField(written.m_sheet.Title, "Reminder");
    InformProperty& i = written.m_inform;
    i.Enabled = 1;
    i.ByDate = 1;
    i.ByTime = 0;
    i.FireTime = 4102444800; // 2100-01-01: beyond 32 bits
    i.StartTime = 1700000000;
    i.Repeat = 1;
    i.Cycle = 2;
    i.Sound = 0;
    i.Topmost = 1;
    CopyField(i.WavePath, "/usr/share/sounds/bell.wav");
    static const char kBody[] = "{\\rtf1\0\x01\xff\x80 end\0";
    const std::string body(kBody, sizeof kBody - 1);
    written.SetMessage(body.data(), static_cast<int>(body.size()));

    CPropParser read = ParseOk(written.MakeDocument());
    EXPECT_TRUE(read.m_hasInform);
    EXPECT_FALSE(read.m_hasApplication || read.m_hasNetwork || read.m_hasGroupList);
    EXPECT_EQ(read.m_inform.Enabled, 1);
    EXPECT_EQ(read.m_inform.ByDate, 1);
    EXPECT_EQ(read.m_inform.ByTime, 0);
    EXPECT_EQ(read.m_inform.FireTime, 4102444800);
    EXPECT_EQ(read.m_inform.StartTime, 1700000000);
    EXPECT_EQ(read.m_inform.Repeat, 1);
    EXPECT_EQ(read.m_inform.Cycle, 2);
    EXPECT_EQ(read.m_inform.Sound, 0);
    EXPECT_EQ(read.m_inform.Topmost, 1);
    EXPECT_STREQ(read.m_inform.WavePath, "/usr/share/sounds/bell.wav");
    EXPECT_EQ(read.m_sheet.ID, 1700000000);
    EXPECT_EQ(read.m_body, body);
}

TEST(PropParser, SmallNoteDocumentIsByteExact) {
    CPropParser model;
    model.m_hasSheet = model.m_hasFont = true;
    CopyField(model.m_sheet.Title, "Hi");
    model.m_sheet.ID = 12;
    model.m_sheet.Left = 10;
    model.m_sheet.Top = 20;
    model.m_sheet.Right = 210;
    model.m_sheet.Bottom = 120;
    model.SetMessage("abc", 3);

    const std::string expected = "<?xml version=\"1.0\" ?>\r\n"
                                 "<Quillet>\r\n"
                                 "<SheetProperty>\r\n"
                                 "<SheetTitle Title=\"Hi\"/>\r\n"
                                 "<SheetID ID=\"12\"/>\r\n"
                                 "<SheetDimension X=\"10\" Y=\"20\" Width=\"200\" Height=\"100\"/>\r\n"
                                 "<SheetDisplay Bool=\"True\"/>\r\n"
                                 "<TopWindow Bool=\"False\"/>\r\n"
                                 "<AutoResize Bool=\"True\"/>\r\n"
                                 "<MoveBar Bool=\"True\"/>\r\n"
                                 "<ReadOnly Bool=\"False\"/>\r\n"
                                 "</SheetProperty>\r\n"
                                 "<FontProperty>\r\n"
                                 "<Font Name=\"MS Sans Serif\" Size=\"9\"/>\r\n"
                                 "<FontColor Color=\"0\"/>\r\n"
                                 "<BackgroundColor Color=\"3991280\"/>\r\n"
                                 "<FontAttribute Flags=\"0\"/>\r\n"
                                 "</FontProperty>\r\n"
                                 "<Message>\r\n"
                                 "616263\r\n"
                                 "</Message>\r\n"
                                 "</Quillet>\r\n";
    const std::string document = model.MakeDocument();
    EXPECT_EQ(document, expected);
    EXPECT_EQ(document.compare(0, 33, kPropertyDocumentPrefix), 0);

    // Empty body and empty network list write nothing of their own.
    CPropParser bare;
    bare.m_hasNetwork = true;
    const std::string bareDocument = bare.MakeDocument();
    EXPECT_EQ(bareDocument.find("<Message>"), std::string::npos);
    EXPECT_EQ(bareDocument.find("NetworkInfoList"), std::string::npos);
    EXPECT_NE(bareDocument.find("<AcceptTransfer Bool=\"False\"/>\r\n"), std::string::npos);
    EXPECT_TRUE(ParseOk(bareDocument).m_body.empty());
}

TEST(PropParser, BooleansAndDisplayAreReadExactly) {
    CPropParser a = ParseOk(kDecl + "<SheetProperty>\r\n<SheetDisplay Bool=\"False\"/>\r\n"
                                    "<TopWindow Bool=\"true\"/>\r\n<ReadOnly Bool=\"True\"/>\r\n</SheetProperty>\r\n"
                                    "</Quillet>\r\n");
    EXPECT_EQ(a.m_sheet.Hidden, 1);
    EXPECT_EQ(a.m_sheet.TopWindow, 0);
    EXPECT_EQ(a.m_sheet.ReadOnly, 1);
    // A present section starts from the reader's own defaults.
    EXPECT_EQ(a.m_sheet.AutoResize, 0);
    EXPECT_EQ(a.m_sheet.MoveBar, 1);

    CPropParser b = ParseOk(kDecl + "<SheetProperty>\r\n<SheetDisplay Bool=\"false\"/>\r\n</SheetProperty>\r\n");
    EXPECT_EQ(b.m_sheet.Hidden, 0);

    CPropParser c = ParseOk(kDecl + "<SheetProperty>\r\n<SheetDimension X=\"10\" Y=\"20\" Width=\"200\" "
                                    "Height=\"100\"/>\r\n</SheetProperty>\r\n");
    EXPECT_EQ(c.m_sheet.Left, 10);
    EXPECT_EQ(c.m_sheet.Top, 20);
    EXPECT_EQ(c.m_sheet.Right, 210);
    EXPECT_EQ(c.m_sheet.Bottom, 120);
}

TEST(PropParser, FontAttributesAndGroupFonts) {
    // Bold/Italic set bits; a later FontAttribute replaces them.
    CPropParser bold = ParseOk(kDecl + "<FontProperty>\r\n<Font Name=\"A\" Size=\"11\" Bold=\"True\"/>\r\n"
                                       "</FontProperty>\r\n");
    EXPECT_EQ(bold.m_font.Flags, kFontBold);
    EXPECT_EQ(bold.m_font.Size, 11);
    CPropParser replaced = ParseOk(kDecl + "<FontProperty>\r\n<Font Name=\"A\" Size=\"11\" Italic=\"True\"/>\r\n"
                                           "<FontAttribute Flags=\"8\"/>\r\n</FontProperty>\r\n");
    EXPECT_EQ(replaced.m_font.Flags, 8);
    // No FontProperty at all: the default font is taken over and flagged present.
    CPropParser none = ParseOk(kDecl);
    EXPECT_TRUE(none.m_hasFont);
    EXPECT_EQ(none.m_font, FontProperty{});

    // A group without GroupProperty gets the document's font; the group font is
    // not reset between groups.
    const std::string text = kDecl + "<FontProperty>\r\n<Font Name=\"Doc\" Size=\"14\"/>\r\n</FontProperty>\r\n"
                                     "<GroupList>\r\n"
                                     "<Group Name=\"Plain\">\r\n<Element Name=\"n1\" ID=\"5\"/>\r\n</Group>\r\n"
                                     "<Group Name=\"First\">\r\n<GroupProperty>\r\n<Font Name=\"G1\" Size=\"7\"/>\r\n"
                                     "<FontColor Color=\"255\"/>\r\n</GroupProperty>\r\n</Group>\r\n"
                                     "<Group Name=\"Second\">\r\n<GroupProperty>\r\n<Font Name=\"G2\" Size=\"8\"/>\r\n"
                                     "</GroupProperty>\r\n</Group>\r\n"
                                     "<Group Name=\"Third\">\r\n</Group>\r\n"
                                     "</GroupList>\r\n</Quillet>\r\n";
    CPropParser groups = ParseOk(text);
    ASSERT_TRUE(groups.m_hasGroupList);
    EXPECT_EQ(groups.m_groups.GetProperty("Plain"), groups.m_font);
    EXPECT_STREQ(groups.m_groups.GetProperty("Plain")->Name, "Doc");
    ASSERT_NE(groups.m_groups.GetMembers("Plain"), nullptr);
    EXPECT_EQ(*groups.m_groups.GetMembers("Plain"), (std::vector<GroupMember>{{5, "n1"}}));
    EXPECT_EQ(groups.m_groups.GetProperty("Second")->FontColor, 255u);
    EXPECT_STREQ(groups.m_groups.GetProperty("Second")->Name, "G2");
    // A plain group after one with its own GroupProperty still gets the document's font.
    EXPECT_EQ(groups.m_groups.GetProperty("Third"), groups.m_font);
    // The document font was not touched by the group fonts.
    EXPECT_STREQ(groups.m_font.Name, "Doc");
    EXPECT_EQ(groups.m_font.FontColor, 0u);
    // A group cut off by the end of the document keeps the property it read,
    // but is no group; one left open by the next group's start tag likewise.
    CPropParser open = ParseOk(kDecl + "<GroupList>\r\n<Group Name=\"A\">\r\n<GroupProperty>\r\n"
                                       "<Font Name=\"GA\"/>\r\n</GroupProperty>\r\n"
                                       "<Group Name=\"B\">\r\n<GroupProperty>\r\n<Font Name=\"GB\"/>\r\n"
                                       "</GroupProperty>\r\n");
    EXPECT_EQ(open.m_groups.GetGroupCount(), 0);
    ASSERT_TRUE(open.m_groups.HasProperty("A"));
    EXPECT_STREQ(open.m_groups.GetProperty("A")->Name, "GA");
    ASSERT_TRUE(open.m_groups.HasProperty("B"));
    EXPECT_STREQ(open.m_groups.GetProperty("B")->Name, "GB");

    // After a save every group carries a GroupProperty block.
    const std::string resaved = groups.MakeDocument();
    EXPECT_NE(resaved.find("<Group Name=\"Plain\">\r\n<Element Name=\"n1\" ID=\"5\"/>\r\n<GroupProperty>\r\n"
                           "<Font Name=\"Doc\" Size=\"14\"/>"),
              std::string::npos);
}

TEST(PropParser, NetworkReadingRules) {
    const std::string text = kDecl + "<NetworkProperty>\r\n"
                                     "<AcceptTransfer Bool=\"True\" User=\"first\" Passwd=\"pw1\"/>\r\n"
                                     "<AcceptTransfer Bool=\"False\" User=\"second\" Passwd=\"pw2\"/>\r\n"
                                     "<ReceiveChannel Address=\"::1\" Port=\"70000\"/>\r\n"
                                     "<NetworkInfoList>\r\n"
                                     "<NetworkInfo Network=\"10.0.0.0\" Mask=\"255.0.0.0\"/>\r\n"
                                     "</NetworkInfoList>\r\n"
                                     "<NetworkInfo Network=\"172.16.0.0\" Mask=\"255.240.0.0\"/>\r\n"
                                     "</NetworkProperty>\r\n</Quillet>\r\n";
    CPropParser model = ParseOk(text);
    EXPECT_EQ(model.m_network.AcceptTransfer, 0);
    EXPECT_STREQ(model.m_network.User, "first");
    EXPECT_STREQ(model.m_network.Passwd, "pw1");
    EXPECT_STREQ(model.m_network.Address, "::1");
    EXPECT_EQ(model.m_network.Port, 70000 & 0xFFFF);
    ASSERT_EQ(model.m_network.NetworkInfoList.size(), 2u);
    EXPECT_STREQ(model.m_network.NetworkInfoList[1].Mask, "255.240.0.0");
    // Elements not in the document keep the defaults.
    EXPECT_EQ(model.m_network.ConfirmExpire, 10);
    EXPECT_EQ(model.m_network.AllowAll, 1);
}

TEST(PropParser, MessageBodyDecoding) {
    // Hex split over lines reads as one run; text outside Message is ignored.
    CPropParser split = ParseOk(kDecl + "stray text\r\n<Message>\r\n61\r\n62\r\n63\r\n</Message>\r\n4142\r\n");
    EXPECT_EQ(split.m_body, "abc");
    CPropParser odd = ParseOk(kDecl + "<Message>\r\n616\r\n</Message>\r\n");
    EXPECT_EQ(odd.m_body, "a`"); // a lone last digit is the high nibble
    // A later Message replaces an earlier one.
    CPropParser twice = ParseOk(kDecl + "<Message>\r\n41\r\n</Message>\r\n<Message>\r\n4243\r\n</Message>\r\n");
    EXPECT_EQ(twice.m_body, "BC");
}

TEST(PropParser, RefusedDocumentsKeepDefaultsAndClearFlags) {
    CPropParser model;
    model.m_hasSheet = model.m_hasFont = true;
    // The first line is not a declaration.
    EXPECT_EQ(model.Parse("<Quillet>\r\n<SheetProperty>\r\n<SheetID ID=\"5\"/>\r\n</SheetProperty>\r\n"), 0);
    EXPECT_FALSE(model.m_hasSheet || model.m_hasFont || model.m_hasApplication || model.m_hasGroupList);
    EXPECT_EQ(model.m_sheet.ID, 0);
    EXPECT_EQ(model.m_sheet.AutoResize, 1);

    // Malformed part way: nothing of what was read is taken over.
    CPropParser malformed;
    EXPECT_EQ(malformed.Parse((kDecl + "<SheetProperty>\r\n<SheetID ID=\"5\"/>\r\n</SheetProperty>\r\n</Quillet>\r\n"
                                       "</Extra>\r\n")
                                  .c_str()),
              -1);
    EXPECT_FALSE(malformed.m_hasSheet);
    EXPECT_EQ(malformed.m_sheet.ID, 0);

    EXPECT_EQ(model.Parse(""), 0);
    EXPECT_EQ(model.Parse(nullptr), 0);
}

TEST(PropParser, MissingAttributesAndNumbers) {
    // Present elements without their attributes leave the fields as they were.
    CPropParser model =
        ParseOk(kDecl + "<ApplicationProperty>\r\n<OrderFlag Other=\"1\"/>\r\n<SavePath Other=\"x\"/>\r\n"
                        "<MessageGap Value=\"  -12px\"/>\r\n</ApplicationProperty>\r\n"
                        "<SheetProperty>\r\n<SheetTitle T=\"x\"/>\r\n<SheetID ID=\"abc\"/>\r\n"
                        "<SheetDimension X=\"99999999999999999999999\" Width=\"10\"/>\r\n"
                        "</SheetProperty>\r\n<GroupList>\r\n<Element Name=\"orphan\" ID=\"1\"/>\r\n"
                        "<Group>\r\n<Element Other=\"x\"/>\r\n</Group>\r\n</GroupList>\r\n"
                        "<InformProperty>\r\n<InformBy Param=\"+42\"/>\r\n</InformProperty>\r\n");
    EXPECT_EQ(model.m_application.OrderFlag, 3);
    EXPECT_STREQ(model.m_application.SavePath, "");
    EXPECT_EQ(model.m_application.MessageGap, -12);
    EXPECT_EQ(model.m_sheet.ID, 0);
    EXPECT_EQ(model.m_sheet.Left, INT32_MAX);
    EXPECT_EQ(model.m_sheet.Right, INT32_MAX); // saturated, not wrapped
    EXPECT_EQ(model.m_groups.GetGroupNames(), (std::vector<std::string>{""}));
    EXPECT_EQ(*model.m_groups.GetMembers(""), (std::vector<GroupMember>{{0, ""}}));
    EXPECT_EQ(model.m_inform.Enabled, 1);
    EXPECT_EQ(model.m_inform.FireTime, 42);
    EXPECT_EQ(model.m_inform.Sound, 0); // a present reminder section starts from zero

    // Names that begin, end or differ late like known ones are other elements;
    // "<Font/>" reaches the handler as "Font/".
    CPropParser nearMiss =
        ParseOk(kDecl + "<SheetProperty>\r\n<SheetDi Bool=\"False\"/>\r\n<SheetDisplayX Bool=\"False\"/>\r\n"
                        "<SheetDimensio X=\"5\"/>\r\n<SheetIDs ID=\"6\"/>\r\n</SheetProperty>\r\n<FontProperty>\r\n"
                        "<Fon Name=\"a\"/>\r\n<Fonts Name=\"b\"/>\r\n<Font/>\r\n<FontColo Color=\"1\"/>\r\n"
                        "<FontColorX Color=\"2\"/>\r\n<FontXolor Color=\"3\"/>\r\n<BackgroundColour Color=\"4\"/>\r\n"
                        "<FontAttributes Flags=\"5\"/>\r\n</FontProperty>\r\n<NetworkProperty>\r\n"
                        "<AcceptTransfe Bool=\"True\"/>\r\n<ReceiveChannels Port=\"7\"/>\r\n<Rea Bool=\"True\"/>\r\n"
                        "</NetworkProperty>\r\n<Messag>41</Messag>\r\n<MessageX>42</MessageX>\r\n<GroupList>\r\n"
                        "<Grou Name=\"x\"/>\r\n<Groups Name=\"y\"/>\r\n<Group Name=\"g\">\r\n<Elemen ID=\"8\"/>\r\n"
                        "<Elements ID=\"9\"/>\r\n</Group>\r\n<GroupListX Name=\"z\"/>\r\n</GroupList>\r\n");
    EXPECT_EQ(nearMiss.m_sheet.Hidden, SheetProperty{}.Hidden);
    EXPECT_EQ(nearMiss.m_sheet.Left, SheetProperty{}.Left);
    EXPECT_EQ(nearMiss.m_sheet.ID, 0);
    EXPECT_EQ(nearMiss.m_font, FontProperty{});
    EXPECT_EQ(nearMiss.m_network.AcceptTransfer, NetworkProperty{}.AcceptTransfer);
    EXPECT_EQ(nearMiss.m_network.Port, NetworkProperty{}.Port);
    EXPECT_TRUE(nearMiss.m_body.empty());
    EXPECT_EQ(nearMiss.m_groups.GetGroupNames(), (std::vector<std::string>{"g"}));
    EXPECT_TRUE(nearMiss.m_groups.GetMembers("g")->empty());

    EXPECT_EQ(ParseDecimal64("-9223372036854775808"), INT64_MIN);
    EXPECT_EQ(ParseDecimal64("9223372036854775808"), INT64_MAX);
    EXPECT_EQ(ParseDecimal64("-99999999999999999999"), INT64_MIN);
    EXPECT_EQ(ParseDecimal64("9223372036854775807"), INT64_MAX);
    EXPECT_EQ(ParseDecimal64("-9223372036854775809"), INT64_MIN);
    EXPECT_EQ(ParseDecimal64("000000000000000000000009223372036854775806x"), INT64_MAX - 1);
    EXPECT_EQ(ParseDecimal64("999999999999999999"), 999999999999999999);
    EXPECT_EQ(ParseDecimal64("9999999999999999999"), INT64_MAX);
    EXPECT_EQ(ParseDecimal32("-3000000000"), INT32_MIN);
    EXPECT_EQ(ParseDecimal32("\t 7 8"), 7);
    EXPECT_EQ(ParseDecimal32("-"), 0);
    EXPECT_EQ(ParseDecimalBits32("4294967295"), 0xFFFFFFFFu);
    EXPECT_EQ(ParseDecimalBits32("-1"), 0xFFFFFFFFu);
}

TEST(PropParser, LongValuesAreCutWithoutSplittingUtf8) {
    // 254 ASCII bytes then a 3-byte character: only 255 bytes fit, so the character goes whole.
    const std::string title = std::string(254, 'x') + "\xE2\x82\xAC" + "tail";
    CPropParser model = ParseOk(kDecl + "<SheetProperty>\r\n<SheetTitle Title=\"" + title + "\"/>\r\n");
    EXPECT_EQ(std::string(model.m_sheet.Title), std::string(254, 'x'));

    char name[6];
    CopyField(name, "ab\xC3\xA9\xC3\xA9");
    EXPECT_STREQ(name, "ab\xC3\xA9");
    CopyField(name, "abcdefgh");
    EXPECT_STREQ(name, "abcde");
    // Not UTF-8 at all: a plain byte cut.
    CopyField(name, "\x80\x80\x80\x80\x80\x80\x80");
    EXPECT_EQ(std::string(name), std::string(5, '\x80'));
}

TEST(PropParser, TextsWithMarkupCharactersReadBackIntact) {
    CPropParser model;
    model.m_hasSheet = true;
    const std::string title = "say \"hi\" <b> & &amp; &quot; a>b\r\nline 2";
    CopyField(model.m_sheet.Title, title);
    CGroup groups;
    groups.SetMembers("R&D \"lab\"", {{1, "x > y"}});
    model.SetGroupList(groups);
    const std::string document = model.MakeDocument();
    CPropParser read = ParseOk(document);
    EXPECT_EQ(std::string(read.m_sheet.Title), title);
    ASSERT_NE(read.m_groups.GetMembers("R&D \"lab\""), nullptr);
    EXPECT_EQ(read.m_groups.GetMembers("R&D \"lab\"")->at(0).Title, "x > y");
    // Plain ampersands are written as they stand.
    EXPECT_NE(document.find("<Group Name=\"R&D &quot;lab&quot;\">"), std::string::npos);
}

TEST(PropParser, DocumentsAreWellFormedXml) {
    if (std::system("command -v xmllint >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "xmllint not installed";
    CPropParser settings = MakeSettings();
    CPropParser note;
    note.m_hasSheet = note.m_hasFont = note.m_hasInform = true;
    note.m_inform.Enabled = 1;
    CopyField(note.m_sheet.Title, "Title with <markup> and \"quotes\"");
    note.SetMessage("{\\rtf1 x}", 9);
    for (const CPropParser* model : {&settings, &note}) {
        char path[] = "/tmp/quillet-xmlXXXXXX";
        const int fd = mkstemp(path);
        ASSERT_GE(fd, 0);
        const std::string document = model->MakeDocument();
        ASSERT_EQ(write(fd, document.data(), document.size()), static_cast<ssize_t>(document.size()));
        close(fd);
        const int status = std::system(("xmllint --noout " + std::string(path)).c_str());
        unlink(path);
        EXPECT_EQ(status, 0) << document;
    }
}
