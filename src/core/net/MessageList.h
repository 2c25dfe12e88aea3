#pragma once

#include <string>
#include <vector>

class CDataBase;

// The list of notes and groups that a server offers to GET "/List"
// ("text/x-quilletlist"): a snapshot taken from the store on its own thread,
// turned into the document anywhere.
class CMessageList {
public:
    struct Note {
        int ID = 0;
        std::string Title;

        friend bool operator==(const Note&, const Note&) = default;
    };
    struct Group {
        std::string Name;
        std::vector<Note> Members;

        friend bool operator==(const Group&, const Group&) = default;
    };

    // Every note with its display title, in ID order; every group of the
    // group table with its members as recorded there. Store thread only.
    static CMessageList FromStore(const CDataBase& store);

    // The document, CR LF line ends:
    //   <?xml version="1.0" ?> <Quillet> <MessageList> <Message ID=".." Title=".."/>...
    //   </MessageList> <GroupList> <Group Title=".."> <Message .../>... </Group>...
    //   </GroupList> </Quillet>
    // Titles and group names are escaped like the attribute values of the
    // property documents, so no title can break the list.
    std::string MakeDocument() const;

    friend bool operator==(const CMessageList&, const CMessageList&) = default;

    std::vector<Note> m_notes;
    std::vector<Group> m_groups;
};

inline constexpr char kMessageListContentType[] = "text/x-quilletlist";
