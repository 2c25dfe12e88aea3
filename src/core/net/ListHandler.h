#pragma once

#include "core/net/MessageList.h"
#include "core/xml/DocumentHandler.h"

#include <string_view>

// Collects notes and groups from a message-list document. Titles and group names
// are read as property documents write attribute values (see UnescapeAttribute).
class CListHandler : public CDocumentHandler {
public:
    void startElement(const char* name, const CAttributeList& attributes) override;
    void endElement(const char* name) override;

    // Drops everything collected so far.
    void Clear();

    // Groups are told apart by name: a group named again replaces the earlier one's
    // members (keeping its place).
    CMessageList m_list;

private:
    int m_group = -1; // index of the group being read
    bool m_inGroup = false;
};

// Parses a whole message-list document. True (and list filled) only when the XML
// reader parsed it; otherwise list is left empty.
bool ParseMessageList(std::string_view document, CMessageList& list);
