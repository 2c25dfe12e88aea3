#include "core/store/DestInfo.h"

#include "core/store/TextCompare.h"
#include "core/stream/OutputStream.h"
#include "core/xml/AttributeList.h"
#include "core/xml/SimpleXMLParser.h"

#include <climits>
#include <cstdio>
#include <cstring>
#include <utility>

namespace {

const char kDocumentHead[] = "<?xml version=\"1.0\" ?>\r\n"
                             "<Quillet>\r\n"
                             "<SendLog>\r\n"
                             "<DestinationList>\r\n";
const char kDocumentTail[] = "</DestinationList>\r\n"
                             "</SendLog>\r\n"
                             "</Quillet>\r\n";

// Decimal as the documents write it: leading blanks skipped, optional sign,
// digits up to the first non-digit, no digits = 0; values beyond the int range
// saturate. Null gives 0.
int ParseDecimalInt(const char* text) {
    if (text == nullptr)
        return 0;
    const char* p = text;
    while (*p == ' ' || *p == '\t' || *p == '\r' || *p == '\n' || *p == '\v' || *p == '\f')
        ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = *p == '-';
        ++p;
    }
    // Accumulate as a negative number: its range holds INT_MIN.
    long long value = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        value = value * 10 - (*p - '0');
        if (value < INT_MIN)
            value = INT_MIN - 1LL; // saturated; keeps the product in range
    }
    if (negative)
        return value < INT_MIN ? INT_MIN : static_cast<int>(value);
    return value < -static_cast<long long>(INT_MAX) ? INT_MAX : static_cast<int>(-value);
}

} // namespace

CDestInfo::CDestInfo(int capacity) : m_capacity(capacity > 0 ? capacity : 0) {}

int CDestInfo::Find(const std::string& name, uint16_t port) const {
    for (size_t i = 0; i < m_entries.size(); ++i) {
        if (m_entries[i].Port == port && EqualsIgnoreCaseUtf8(m_entries[i].Name, name))
            return static_cast<int>(i);
    }
    return -1;
}

int CDestInfo::AddRecent(const std::string& name, uint16_t port) {
    const int position = Find(name, port);
    if (position < 0) {
        if (m_capacity != 0 && GetCount() >= m_capacity)
            m_entries.erase(m_entries.begin() + (m_capacity - 1));
        m_entries.insert(m_entries.begin(), DestEntry{name, port});
        return -1;
    }
    if (position > 0) {
        DestEntry entry = std::move(m_entries[position]);
        m_entries.erase(m_entries.begin() + position);
        m_entries.insert(m_entries.begin(), std::move(entry));
    }
    return position;
}

int CDestInfo::Append(const std::string& name, uint16_t port) {
    if (Find(name, port) >= 0)
        return 0;
    m_entries.push_back(DestEntry{name, port});
    return 1;
}

void CDestInfo::SetAt(int index, const std::string& name, uint16_t port) {
    if (index < 0)
        return;
    if (index >= GetCount()) {
        m_entries.push_back(DestEntry{name, port});
        return;
    }
    m_entries[index].Name = name;
    m_entries[index].Port = port;
}

int CDestInfo::GetAt(int index, std::string& name, uint16_t& port) const {
    if (index < 0 || index >= GetCount())
        return 0;
    name = m_entries[index].Name;
    port = m_entries[index].Port;
    return 1;
}

int CDestInfo::RemoveAt(int index) {
    if (index < 0 || index >= GetCount())
        return 0;
    m_entries.erase(m_entries.begin() + index);
    return 1;
}

void CDestInfo::RemoveAll() {
    m_entries.clear();
}

int CDestInfo::Load(CInputStream* stream) {
    ParseFrom(stream);
    return 1;
}

int CDestInfo::ParseFrom(CInputStream* stream) {
    CSimpleXMLParser parser;
    CSendLogHandler handler;
    parser.setDocumentHandler(&handler);
    const int result = parser.parse(stream);
    if (result == CSimpleXMLParser::kParsed)
        *this = handler.GetList();
    return result;
}

bool CDestInfo::IsStorableName(const std::string& name) {
    // '"' would end the value, '>' the tag, '<' would cut the tag short (and
    // refuse the whole file); line breaks are dropped by the reader; a zero byte
    // ends the value.
    return name.find_first_of(std::string("\"<>\r\n\0", 6)) == std::string::npos;
}

std::string CDestInfo::MakeDocument() const {
    std::string document = kDocumentHead;
    for (const DestEntry& entry : m_entries) {
        if (!IsStorableName(entry.Name))
            continue;
        char port[16];
        std::snprintf(port, sizeof port, "%u", static_cast<unsigned>(entry.Port));
        document += "<List Name=\"";
        document += entry.Name;
        document += "\" Port=\"";
        document += port;
        document += "\"/>\r\n";
    }
    document += kDocumentTail;
    return document;
}

void CDestInfo::Save(COutputStream* stream) const {
    if (stream == nullptr)
        return;
    const std::string document = MakeDocument();
    stream->Write(document.data(), static_cast<int>(document.size()));
}

void CDestInfo::CSendLogHandler::startElement(const char* name, const CAttributeList& attributes) {
    if (std::strcmp(name, "List") != 0)
        return;
    // The accessor buffer is reused by the next call: copy the name out first.
    const char* nameValue = attributes.getValue("Name");
    const std::string host = nameValue != nullptr ? nameValue : "";
    const int port = ParseDecimalInt(attributes.getValue("Port"));
    m_list.Append(host, static_cast<uint16_t>(static_cast<unsigned>(port) & 0xFFFFu));
}
