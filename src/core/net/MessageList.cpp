#include "core/net/MessageList.h"

#include "core/base/FieldText.h"
#include "core/store/DataBase.h"

namespace {

void AppendNote(std::string& out, const CMessageList::Note& note) {
    out += "<Message ID=\"";
    out += std::to_string(note.ID);
    out += "\" Title=\"";
    out += EscapeAttribute(note.Title);
    out += "\"/>\r\n";
}

} // namespace

CMessageList CMessageList::FromStore(const CDataBase& store) {
    CMessageList list;
    for (const int id : store.GetIds())
        list.m_notes.push_back(Note{id, store.GetTitle(id)});
    const CGroup& groups = store.GetGroups();
    for (const std::string& name : groups.GetGroupNames()) {
        Group group{name, {}};
        if (const std::vector<GroupMember>* members = groups.GetMembers(name))
            for (const GroupMember& member : *members)
                group.Members.push_back(Note{member.ID, member.Title});
        list.m_groups.push_back(std::move(group));
    }
    return list;
}

std::string CMessageList::MakeDocument() const {
    std::string out = "<?xml version=\"1.0\" ?>\r\n<Quillet>\r\n<MessageList>\r\n";
    for (const Note& note : m_notes)
        AppendNote(out, note);
    out += "</MessageList>\r\n<GroupList>\r\n";
    for (const Group& group : m_groups) {
        out += "<Group Title=\"";
        out += EscapeAttribute(group.Name);
        out += "\">\r\n";
        for (const Note& member : group.Members)
            AppendNote(out, member);
        out += "</Group>\r\n";
    }
    out += "</GroupList>\r\n</Quillet>\r\n";
    return out;
}
