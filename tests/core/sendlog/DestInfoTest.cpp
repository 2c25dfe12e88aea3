#include "core/store/DestInfo.h"

#include "core/stream/MemInputStream.h"
#include "core/stream/MemOutputStream.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace {

using Entries = std::vector<std::pair<std::string, int>>;

Entries EntriesOf(const CDestInfo& list) {
    Entries entries;
    for (const DestEntry& entry : list.GetEntries())
        entries.emplace_back(entry.Name, entry.Port);
    return entries;
}

std::string SaveToString(const CDestInfo& list) {
    CMemOutputStream out;
    list.Save(&out);
    return out.ToString();
}

void LoadFromString(CDestInfo& list, const std::string& text) {
    CMemInputStream in(text.data(), static_cast<int>(text.size()));
    EXPECT_EQ(list.Load(&in), 1);
}

std::string Document(const std::string& lists) {
    return "<?xml version=\"1.0\" ?>\r\n<Quillet>\r\n<SendLog>\r\n<DestinationList>\r\n" + lists +
           "</DestinationList>\r\n</SendLog>\r\n</Quillet>\r\n";
}

} // namespace

TEST(DestInfo, AddRecentKeepsMostRecentFirstWithoutDuplicates) {
    CDestInfo list;
    EXPECT_EQ(list.AddRecent("pc1", 4126), -1);
    EXPECT_EQ(list.AddRecent("pc2", 4126), -1);
    EXPECT_EQ(list.AddRecent("PC1", 4126), 1);
    EXPECT_EQ(EntriesOf(list), (Entries{{"pc1", 4126}, {"pc2", 4126}}));
    EXPECT_EQ(list.AddRecent("pc1", 4126), 0);
    EXPECT_EQ(list.GetCount(), 2);

    // Same name, other port: another destination.
    EXPECT_EQ(list.AddRecent("pc1", 4127), -1);
    EXPECT_EQ(EntriesOf(list), (Entries{{"pc1", 4127}, {"pc1", 4126}, {"pc2", 4126}}));
    EXPECT_EQ(list.Find("Pc1", 4126), 1);
    EXPECT_EQ(list.Find("pc1", 4128), -1);

    // Names differing only in the case of non-ASCII letters are one destination.
    EXPECT_EQ(list.AddRecent("école", 1), -1);
    EXPECT_EQ(list.AddRecent("ÉCOLE", 1), 0);
    EXPECT_EQ(list.GetCount(), 4);
}

TEST(DestInfo, NinthDestinationDropsTheOldest) {
    CDestInfo list;
    for (int i = 1; i <= 8; ++i)
        list.AddRecent("host" + std::to_string(i), 4126);
    EXPECT_EQ(list.GetCount(), 8);
    EXPECT_EQ(list.AddRecent("host9", 4126), -1);
    EXPECT_EQ(list.GetCount(), 8);
    EXPECT_EQ(list.GetEntries().front().Name, "host9");
    EXPECT_EQ(list.GetEntries().back().Name, "host2");
    EXPECT_EQ(list.Find("host1", 4126), -1);

    // Moving a listed destination up drops nothing.
    EXPECT_EQ(list.AddRecent("host2", 4126), 7);
    EXPECT_EQ(list.GetCount(), 8);
    EXPECT_EQ(list.GetEntries().back().Name, "host3");

    CDestInfo unlimited(0);
    for (int i = 0; i < 20; ++i)
        unlimited.AddRecent("h" + std::to_string(i), 1);
    EXPECT_EQ(unlimited.GetCount(), 20);
}

TEST(DestInfo, LongerFileLoadsWholeAndAddRecentDropsPositionEight) {
    std::string lists;
    for (int i = 1; i <= 10; ++i)
        lists += "<List Name=\"h" + std::to_string(i) + "\" Port=\"" + std::to_string(i) + "\"/>\r\n";
    CDestInfo list;
    LoadFromString(list, Document(lists));
    ASSERT_EQ(list.GetCount(), 10);

    EXPECT_EQ(list.AddRecent("new", 1), -1);
    EXPECT_EQ(list.GetCount(), 10);
    EXPECT_EQ(list.Find("h8", 8), -1);
    EXPECT_EQ(EntriesOf(list), (Entries{{"new", 1},
                                        {"h1", 1},
                                        {"h2", 2},
                                        {"h3", 3},
                                        {"h4", 4},
                                        {"h5", 5},
                                        {"h6", 6},
                                        {"h7", 7},
                                        {"h9", 9},
                                        {"h10", 10}}));
}

TEST(DestInfo, IndexedAccessAndCopy) {
    CDestInfo list;
    list.Append("a", 1);
    EXPECT_EQ(list.Append("A", 1), 0);
    EXPECT_EQ(list.Append("b", 2), 1);

    std::string name = "unchanged";
    uint16_t port = 7;
    EXPECT_EQ(list.GetAt(2, name, port), 0);
    EXPECT_EQ(list.GetAt(-1, name, port), 0);
    EXPECT_EQ(name, "unchanged");
    EXPECT_EQ(list.RemoveAt(2), 0);
    EXPECT_EQ(list.RemoveAt(-1), 0);
    EXPECT_EQ(list.GetAt(1, name, port), 1);
    EXPECT_EQ(name, "b");
    EXPECT_EQ(port, 2);

    list.SetAt(0, "c", 3);
    list.SetAt(5, "d", 4); // beyond the end: appended
    list.SetAt(-1, "e", 5);
    EXPECT_EQ(EntriesOf(list), (Entries{{"c", 3}, {"b", 2}, {"d", 4}}));

    EXPECT_EQ(list.RemoveAt(1), 1);
    EXPECT_EQ(EntriesOf(list), (Entries{{"c", 3}, {"d", 4}}));

    CDestInfo copy(3);
    copy.Append("old", 9);
    copy = list;
    EXPECT_EQ(EntriesOf(copy), EntriesOf(list));
    EXPECT_EQ(copy.GetCapacity(), 8);
    copy.RemoveAll();
    EXPECT_EQ(copy.GetCount(), 0);
    EXPECT_EQ(list.GetCount(), 2);
}

TEST(DestInfo, SaveWritesTheFixedLinesAndOneLinePerEntry) {
    CDestInfo list;
    EXPECT_EQ(SaveToString(list), "<?xml version=\"1.0\" ?>\r\n"
                                  "<Quillet>\r\n"
                                  "<SendLog>\r\n"
                                  "<DestinationList>\r\n"
                                  "</DestinationList>\r\n"
                                  "</SendLog>\r\n"
                                  "</Quillet>\r\n");

    list.AddRecent("pc2", 65535);
    list.AddRecent("pc1", 4126);
    EXPECT_EQ(SaveToString(list), Document("<List Name=\"pc1\" Port=\"4126\"/>\r\n"
                                           "<List Name=\"pc2\" Port=\"65535\"/>\r\n"));

    // Save writes once: a stream that counts calls sees one.
    struct CountingStream : COutputStream {
        int writes = 0;
        int Write(const void*, int count) override {
            ++writes;
            return count;
        }
    } counting;
    list.Save(&counting);
    EXPECT_EQ(counting.writes, 1);
}

TEST(DestInfo, SaveAndLoadRoundTrip) {
    CDestInfo list;
    list.AddRecent("192.168.0.10", 4126);
    list.AddRecent("fe80::1%eth0", 80);
    list.AddRecent("name with blanks & ümlauts", 0);
    list.AddRecent("élan.local", 65535);

    CDestInfo loaded(3);
    loaded.Append("stale", 1);
    LoadFromString(loaded, SaveToString(list));
    EXPECT_EQ(EntriesOf(loaded), EntriesOf(list));
    EXPECT_EQ(loaded.GetCapacity(), 8);
}

TEST(DestInfo, LoadReadsListElementsLeniently) {
    CDestInfo list;
    LoadFromString(list, Document("<List Name=\"a\" Port=\"1\"/>\r\n"
                                  "<List Name=\"b\" Port=\"2\"/>\r\n"
                                  "<List Name=\"A\" Port=\"1\"/>\r\n" // duplicate: first one wins
                                  "<List Name=\"c\"/>\r\n"            // no port: 0
                                  "<List Port=\"3\"/>\r\n"            // no name: empty
                                  "<List Name=\"d\" Port=\"70000\"/>\r\n"
                                  "<List Name=\"e\" Port=\"-1\"/>\r\n"
                                  "<List Name=\"f\" Port=\" +42x\"/>\r\n"
                                  "<List Name=\"g\" Port=\"99999999999999999999\"/>\r\n"
                                  "<List Name=\"h\" Port=\"x\"/>\r\n"
                                  "<list Name=\"i\" Port=\"9\"/>\r\n" // case-sensitive element name
                                  "<Other><List Name=\"j\" Port=\"10\"/></Other>\r\n"));
    EXPECT_EQ(EntriesOf(list), (Entries{{"a", 1},
                                        {"b", 2},
                                        {"c", 0},
                                        {"", 3},
                                        {"d", 70000 & 0xFFFF},
                                        {"e", 65535},
                                        {"f", 42},
                                        {"g", 0xFFFF}, // saturates at INT_MAX
                                        {"h", 0},
                                        {"j", 10}}));
}

TEST(DestInfo, FailedParseKeepsTheList) {
    const std::vector<std::string> broken = {
        "",
        "\r\n\r\n",
        "<Quillet><SendLog><List Name=\"x\" Port=\"1\"/></SendLog></Quillet>\r\n", // no declaration line
        Document("<List Name=\"x\" Port=\"1\"/>\r\n") + "</Quillet>\r\n",          // end tag with nothing open
        Document("<List Name=\"x\" Port=\"1\"/>\r\n") + "<List Name=\"y\"",        // cut off
    };
    for (const std::string& text : broken) {
        CDestInfo list;
        list.AddRecent("kept", 4126);
        LoadFromString(list, text);
        EXPECT_EQ(EntriesOf(list), (Entries{{"kept", 4126}})) << text;
    }
}

TEST(DestInfo, NamesThatCannotBeReadBackAreNotWritten) {
    CDestInfo list;
    list.AddRecent("good1", 1);
    list.AddRecent("bad\"quote", 2);
    list.AddRecent("bad<less", 3);
    list.AddRecent("bad>greater", 4);
    list.AddRecent("bad\r\nbreak", 5);
    list.AddRecent(std::string("bad\0zero", 8), 6);
    list.AddRecent("good2", 7);

    CDestInfo loaded;
    LoadFromString(loaded, SaveToString(list));
    EXPECT_EQ(EntriesOf(loaded), (Entries{{"good2", 7}, {"good1", 1}}));
}
