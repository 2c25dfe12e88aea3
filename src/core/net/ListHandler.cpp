#include "core/net/ListHandler.h"

#include "core/base/FieldText.h"
#include "core/stream/MemInputStream.h"
#include "core/xml/AttributeList.h"
#include "core/xml/SimpleXMLParser.h"

#include <climits>
#include <cstring>

namespace {

std::string AttributeText(const CAttributeList& attributes, const char* name) {
    const char* value = attributes.getValue(name);
    return value != nullptr ? UnescapeAttribute(value) : std::string();
}

} // namespace

void CListHandler::startElement(const char* name, const CAttributeList& attributes) {
    if (std::strcmp(name, "Message") == 0) {
        CMessageList::Note note;
        note.ID = ParseDecimal32(attributes.getValue("ID"));
        note.Title = AttributeText(attributes, "Title");
        if (m_inGroup && m_group >= 0)
            m_list.m_groups[m_group].Members.push_back(std::move(note));
        else
            m_list.m_notes.push_back(std::move(note));
    } else if (std::strcmp(name, "Group") == 0) {
        std::string groupName = AttributeText(attributes, "Title");
        m_group = -1;
        for (size_t i = 0; i < m_list.m_groups.size(); ++i) {
            if (m_list.m_groups[i].Name == groupName) {
                m_list.m_groups[i].Members.clear();
                m_group = static_cast<int>(i);
                break;
            }
        }
        if (m_group < 0) {
            m_list.m_groups.push_back(CMessageList::Group{std::move(groupName), {}});
            m_group = static_cast<int>(m_list.m_groups.size()) - 1;
        }
        m_inGroup = true;
    }
}

void CListHandler::endElement(const char* name) {
    if (std::strcmp(name, "Group") == 0)
        m_inGroup = false;
}

void CListHandler::Clear() {
    m_list = CMessageList();
    m_group = -1;
    m_inGroup = false;
}

bool ParseMessageList(std::string_view document, CMessageList& list) {
    list = CMessageList();
    if (document.empty() || document.size() > static_cast<size_t>(INT_MAX))
        return false;
    CMemInputStream stream(document.data(), static_cast<int>(document.size()));
    CListHandler handler;
    CSimpleXMLParser parser;
    parser.setDocumentHandler(&handler);
    if (parser.parse(&stream) != CSimpleXMLParser::kParsed)
        return false;
    list = std::move(handler.m_list);
    return true;
}
