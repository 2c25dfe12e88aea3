#include "core/xml/SimpleXMLParser.h"

#include "core/stream/InputStream.h"
#include "core/xml/AttributeList.h"
#include "core/xml/DocumentHandler.h"

#include <exception>

namespace {

bool IsWhiteSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// Separates attributes outside quotes. Bytes from 0x80 up belong to UTF-8
// sequences and are kept as text.
bool IsSeparator(unsigned char c) {
    return c <= 0x20 || c == 0x7F;
}

void TrimLeft(std::string& s) {
    size_t i = 0;
    while (i < s.size() && IsWhiteSpace(s[i]))
        ++i;
    s.erase(0, i);
}

void TrimRight(std::string& s) {
    size_t n = s.size();
    while (n > 0 && IsWhiteSpace(s[n - 1]))
        --n;
    s.resize(n);
}

// name="value" -> name, value without its first and last byte (taken to be quotes).
void AddAttribute(CAttributeList& attributes, const std::string& accumulator) {
    const size_t eq = accumulator.find('=');
    const std::string name = eq == std::string::npos ? std::string() : accumulator.substr(0, eq);
    const std::string rest = eq == std::string::npos ? accumulator : accumulator.substr(eq + 1);
    const std::string value = rest.size() >= 2 ? rest.substr(1, rest.size() - 2) : std::string();
    attributes.addAttribute(name.c_str(), value.c_str());
}

} // namespace

bool CSimpleXMLParser::NextByte(CInputStream* stream, char& c) {
    if (m_next == m_end) {
        if (m_inputEnded)
            return false;
        const int n = stream->Read(m_buffer, kBufferSize);
        if (n <= 0) {
            m_inputEnded = true;
            return false;
        }
        m_next = 0;
        m_end = n;
    }
    c = m_buffer[m_next++];
    return true;
}

int CSimpleXMLParser::readLine(CInputStream* stream, std::string& line) {
    std::string collected;
    char c;
    while (NextByte(stream, c)) {
        if (c == '\r' || c == '\n') {
            if (collected.empty())
                continue;
            break;
        }
        collected.push_back(c);
    }
    if (!collected.empty())
        line = collected;
    return static_cast<int>(collected.size());
}

int CSimpleXMLParser::GetToken(CInputStream* stream, std::string& token) {
    std::string collected;
    bool inTag = false;
    char c;
    while (NextByte(stream, c)) {
        if (c == '\r' || c == '\n')
            continue;
        if (c == '<') {
            if (!collected.empty()) {
                --m_next; // the '<' begins the next token
                break;
            }
            inTag = true;
            collected.push_back(c);
            continue;
        }
        collected.push_back(c);
        if (c == '>' && inTag)
            break;
    }
    if (!collected.empty())
        token = collected;
    return static_cast<int>(collected.size());
}

bool CSimpleXMLParser::HandleStartTag(const std::string& token) {
    // A tag cut off by the end of the input has no closing '>'.
    if (token.size() < 2 || token.back() != '>')
        return false;

    size_t nameEnd = token.find_first_of(" \t", 1);
    if (nameEnd == std::string::npos)
        nameEnd = token.size() - 1;
    m_openElements.push_back(token.substr(1, nameEnd - 1));

    CAttributeList attributes;
    std::string accumulator;
    bool inQuotes = false;
    bool emptyElement = false;
    for (size_t i = nameEnd; i < token.size(); ++i) {
        const auto c = static_cast<unsigned char>(token[i]);
        if (c == '>')
            break;
        if (c == '/' && i + 1 < token.size() && token[i + 1] == '>') {
            emptyElement = true;
            continue;
        }
        if (!inQuotes && IsSeparator(c)) {
            if (!accumulator.empty()) {
                AddAttribute(attributes, accumulator);
                accumulator.clear();
            }
            continue;
        }
        if (c == '"')
            inQuotes = !inQuotes;
        accumulator.push_back(static_cast<char>(c));
    }
    if (!accumulator.empty())
        AddAttribute(attributes, accumulator);

    m_handler->startElement(m_openElements.back().c_str(), attributes);
    if (emptyElement) {
        m_handler->endElement(m_openElements.back().c_str());
        m_openElements.pop_back();
    }
    return true;
}

int CSimpleXMLParser::parse(CInputStream* stream) {
    if (m_handler == nullptr || stream == nullptr)
        return kNothingParsed;
    try {
        std::string line;
        if (readLine(stream, line) == 0)
            return kNothingParsed;
        TrimLeft(line);
        if (line.find("<?xml") == std::string::npos)
            return kNothingParsed;
        m_handler->startDocument();

        std::string token;
        while (GetToken(stream, token) > 0) {
            TrimLeft(token);
            if (token.empty() || token.find('<') == std::string::npos) {
                TrimRight(token);
                m_handler->characters(token.c_str(), static_cast<int>(token.size()));
                continue;
            }
            const char kind = token.size() > 1 ? token[1] : '\0';
            if (kind == '/') {
                if (m_openElements.empty())
                    return kMalformed;
                m_handler->endElement(m_openElements.back().c_str());
                m_openElements.pop_back();
            } else if (kind == '!') {
                continue;
            } else if (!HandleStartTag(token)) {
                return kMalformed;
            }
        }
        m_handler->endDocument();
        return kParsed;
    } catch (const std::exception&) {
        // A handler or stream failing part way refuses the document, as a malformed one.
        return kMalformed;
    }
}
