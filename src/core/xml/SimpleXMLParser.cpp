#include "core/xml/SimpleXMLParser.h"

#include "core/stream/InputStream.h"
#include "core/xml/AttributeList.h"
#include "core/xml/DocumentHandler.h"

#include <cstdint>
#include <cstring>
#include <exception>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

bool IsWhiteSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

// Separates attributes outside quotes. Bytes from 0x80 up belong to UTF-8
// sequences and are kept as text.
bool IsSeparator(unsigned char c) {
    return c <= 0x20 || c == 0x7F;
}

// What ends a span of plain bytes: line breaks (dropped) always, '<' in text
// and tags, '>' in tags only.
enum class Scan { Line, Text, Tag };

template <Scan kScan> bool IsStop(char c) {
    if (c == '\r' || c == '\n')
        return true;
    if constexpr (kScan == Scan::Line)
        return false;
    else if constexpr (kScan == Scan::Text)
        return c == '<';
    else
        return c == '<' || c == '>';
}

// The first stop byte in [p, end), or end. Note bodies are kilobytes of hex
// without a single stop byte, so this loop is where most documents spend their time.
template <Scan kScan> const char* FindStop(const char* p, const char* end) {
#if defined(__SSE2__)
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i lt = _mm_set1_epi8('<');
    const __m128i gt = _mm_set1_epi8('>');
    for (; end - p >= 16; p += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
        __m128i hit = _mm_or_si128(_mm_cmpeq_epi8(v, cr), _mm_cmpeq_epi8(v, lf));
        if constexpr (kScan != Scan::Line)
            hit = _mm_or_si128(hit, _mm_cmpeq_epi8(v, lt));
        if constexpr (kScan == Scan::Tag)
            hit = _mm_or_si128(hit, _mm_cmpeq_epi8(v, gt));
        if (const int mask = _mm_movemask_epi8(hit); mask != 0)
            return p + __builtin_ctz(static_cast<unsigned>(mask));
    }
#else
    // Eight bytes at a time: a word holds a stop byte when one of its bytes XOR
    // that stop byte is zero.
    constexpr std::uint64_t kOnes = 0x0101010101010101ull;
    constexpr std::uint64_t kHighs = 0x8080808080808080ull;
    auto hasZeroByte = [](std::uint64_t x) { return (x - kOnes) & ~x & kHighs; };
    for (; end - p >= 8; p += 8) {
        std::uint64_t w;
        std::memcpy(&w, p, sizeof w);
        std::uint64_t hit = hasZeroByte(w ^ (kOnes * '\r')) | hasZeroByte(w ^ (kOnes * '\n'));
        if constexpr (kScan != Scan::Line)
            hit |= hasZeroByte(w ^ (kOnes * '<'));
        if constexpr (kScan == Scan::Tag)
            hit |= hasZeroByte(w ^ (kOnes * '>'));
        if (hit != 0)
            break;
    }
#endif
    for (; p < end; ++p) {
        if (IsStop<kScan>(*p))
            return p;
    }
    return end;
}

} // namespace

bool CSimpleXMLParser::Fill(CInputStream* stream) {
    if (m_next != m_end)
        return true;
    if (m_inputEnded)
        return false;
    const int n = stream->Read(m_buffer, kBufferSize);
    if (n <= 0) {
        m_inputEnded = true;
        return false;
    }
    m_next = 0;
    m_end = n;
    return true;
}

void CSimpleXMLParser::ReadLine(CInputStream* stream) {
    m_token.clear();
    while (Fill(stream)) {
        const char* p = m_buffer + m_next;
        const char* const end = m_buffer + m_end;
        if (m_token.empty()) {
            while (p < end && (*p == '\r' || *p == '\n'))
                ++p;
        }
        const char* stop = FindStop<Scan::Line>(p, end);
        m_token.append(p, stop);
        if (stop != end && !m_token.empty()) {
            m_next = static_cast<int>(stop - m_buffer) + 1;
            return;
        }
        m_next = m_end;
    }
}

bool CSimpleXMLParser::NextToken(CInputStream* stream) {
    m_token.clear();
    bool inTag = false;
    while (Fill(stream)) {
        const char* p = m_buffer + m_next;
        const char* const end = m_buffer + m_end;
        if (m_token.empty()) {
            while (p < end && (*p == '\r' || *p == '\n'))
                ++p;
            if (p == end) {
                m_next = m_end;
                continue;
            }
            if (*p == '<') {
                inTag = true;
                m_token.push_back('<');
                ++p;
            }
        }
        const char* stop = inTag ? FindStop<Scan::Tag>(p, end) : FindStop<Scan::Text>(p, end);
        m_token.append(p, stop);
        if (stop == end) {
            m_next = m_end;
            continue;
        }
        m_next = static_cast<int>(stop - m_buffer);
        if (*stop == '<')
            break; // the '<' begins the next token
        ++m_next;
        if (*stop == '>') {
            m_token.push_back('>');
            break;
        }
    }
    return !m_token.empty();
}

// name="value" -> name, value without its first and last byte (taken to be quotes).
void CSimpleXMLParser::AddAttribute(const char* begin, const char* end) {
    const auto* eq = static_cast<const char*>(std::memchr(begin, '=', static_cast<std::size_t>(end - begin)));
    const std::string_view name = eq == nullptr ? std::string_view() : std::string_view(begin, eq - begin);
    const char* rest = eq == nullptr ? begin : eq + 1;
    const std::string_view value =
        end - rest >= 2 ? std::string_view(rest + 1, static_cast<std::size_t>(end - rest - 2)) : std::string_view();
    m_attributes.Append(name, value);
}

void CSimpleXMLParser::CloseInnermost() {
    m_handler->endElement(InnermostName());
    m_openNames.resize(m_openStarts.back());
    m_openStarts.pop_back();
}

bool CSimpleXMLParser::HandleStartTag() {
    const std::size_t size = m_token.size();
    // A tag cut off by the end of the input has no closing '>'.
    if (size < 2 || m_token.back() != '>')
        return false;
    const char* const t = m_token.data();
    // The token's only '>' is its last byte.
    const std::size_t last = size - 1;

    std::size_t nameEnd = 1;
    while (nameEnd < last && t[nameEnd] != ' ' && t[nameEnd] != '\t')
        ++nameEnd;
    m_openStarts.push_back(m_openNames.size());
    m_openNames.append(t + 1, nameEnd - 1);
    m_openNames.push_back('\0');

    m_attributes.Clear();
    bool emptyElement = false;
    const char* accumulated = nullptr; // start of the attribute being collected
    for (std::size_t i = nameEnd; i < last; ++i) {
        const auto c = static_cast<unsigned char>(t[i]);
        if (c == '/' && i + 1 == last) {
            emptyElement = true;
            continue;
        }
        if (IsSeparator(c)) {
            if (accumulated != nullptr) {
                AddAttribute(accumulated, t + i);
                accumulated = nullptr;
            }
            continue;
        }
        if (accumulated == nullptr)
            accumulated = t + i;
        if (c == '"') {
            // Inside quotes every byte belongs to the attribute. Values are
            // short: a plain loop beats a call of memchr.
            std::size_t closing = i + 1;
            while (closing < last && t[closing] != '"')
                ++closing;
            if (closing < last) {
                i = closing;
                continue;
            }
            // Unclosed: the rest is quoted, apart from a "/>" ending.
            emptyElement = last - 1 > i && t[last - 1] == '/';
            break;
        }
    }
    if (accumulated != nullptr)
        AddAttribute(accumulated, t + (emptyElement ? last - 1 : last));

    m_handler->startElement(InnermostName(), m_attributes);
    if (emptyElement)
        CloseInnermost();
    return true;
}

int CSimpleXMLParser::parse(CInputStream* stream) {
    if (m_handler == nullptr || stream == nullptr)
        return kNothingParsed;
    try {
        ReadLine(stream);
        if (std::string_view(m_token).find("<?xml") == std::string_view::npos)
            return kNothingParsed;
        m_handler->startDocument();

        while (NextToken(stream)) {
            if (m_token[0] != '<') {
                // Text: trimmed, passed zero-terminated in place.
                std::size_t begin = 0;
                std::size_t end = m_token.size();
                while (begin < end && IsWhiteSpace(m_token[begin]))
                    ++begin;
                while (end > begin && IsWhiteSpace(m_token[end - 1]))
                    --end;
                m_token.resize(end);
                m_handler->characters(m_token.data() + begin, static_cast<int>(end - begin));
                continue;
            }
            const char kind = m_token.size() > 1 ? m_token[1] : '\0';
            if (kind == '/') {
                if (m_openStarts.empty())
                    return kMalformed;
                CloseInnermost();
            } else if (kind == '!') {
                continue;
            } else if (!HandleStartTag()) {
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
