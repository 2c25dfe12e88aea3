#include "core/net/HTTPMessage.h"

#include <algorithm>
#include <climits>

namespace HTTPCodec {

namespace {

// Reserving the whole announced body up front would let every idle peer pin the cap in memory.
constexpr int kBodyReserve = 1024 * 1024;
constexpr int kBodyChunk = 16 * 1024;

bool Expired(HTTPDeadline deadline) {
    return deadline != kNoDeadline && HTTPClock::now() >= deadline;
}

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

ELine ReadLine(CInputStream* in, std::string& line, int maxLength, HTTPDeadline deadline) {
    line.clear();
    int consumed = 0;
    for (;;) {
        if (Expired(deadline))
            return ELine::Expired;
        char c;
        if (in->Read(&c, 1) <= 0)
            return ELine::Closed;
        if (c == '\n')
            return ELine::Line;
        if (++consumed > maxLength)
            return ELine::TooLong;
        if (c != '\r')
            line += c;
    }
}

bool ReadHead(CInputStream* in, std::vector<std::string>& lines, HTTPDeadline deadline) {
    lines.clear();
    std::string line;
    for (;;) {
        if (ReadLine(in, line, kMaxHeaderLine, deadline) != ELine::Line)
            return false;
        if (line.empty())
            return true;
        if (static_cast<int>(lines.size()) >= kMaxHeaderLines)
            return false;
        lines.push_back(std::move(line));
    }
}

CHeadScanner::EState CHeadScanner::Feed(std::string_view data) {
    while (!m_complete) {
        const std::string_view rest = data.substr(std::min(m_pos, data.size()));
        const std::string_view window = rest.substr(0, static_cast<size_t>(kMaxHeaderLine) + 1);
        const size_t lf = window.find('\n');
        if (lf == std::string_view::npos)
            return rest.size() > static_cast<size_t>(kMaxHeaderLine) ? EState::Bad : EState::Incomplete;
        std::string line;
        line.reserve(lf);
        for (const char c : rest.substr(0, lf))
            if (c != '\r')
                line += c;
        if (line.empty()) {
            m_pos += lf + 1;
            m_complete = true;
            break;
        }
        if (static_cast<int>(m_lines.size()) >= kMaxHeaderLines)
            return EState::Bad;
        m_lines.push_back(std::move(line));
        m_pos += lf + 1;
    }
    return EState::Complete;
}

void CHeadScanner::Reset() {
    m_pos = 0;
    m_lines.clear();
    m_complete = false;
}

std::vector<std::string_view> SplitFields(std::string_view line) {
    std::vector<std::string_view> fields;
    size_t start = 0;
    for (;;) {
        const size_t space = line.find(' ', start);
        if (space == std::string_view::npos) {
            fields.push_back(line.substr(start));
            break;
        }
        fields.push_back(line.substr(start, space - start));
        start = space + 1;
    }
    if (!fields.empty() && fields.back().empty())
        fields.pop_back();
    return fields;
}

std::string_view Trim(std::string_view text) {
    constexpr std::string_view kWhite = " \t\r\n\v\f";
    const size_t first = text.find_first_not_of(kWhite);
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(kWhite) - first + 1);
}

void SplitHeader(std::string_view line, std::string& name, std::string& value) {
    const size_t colon = line.find(':');
    if (colon == std::string_view::npos) {
        name.clear();
        value = Trim(line);
        return;
    }
    name = line.substr(0, colon);
    value = Trim(line.substr(colon + 1));
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Lower(x) == Lower(y); });
}

int LeadingNumber(std::string_view text) {
    long long value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            break;
        value = std::min<long long>(value * 10 + (c - '0'), INT_MAX);
    }
    return static_cast<int>(value);
}

bool ParseHeaders(const std::vector<std::string>& lines, int maxBody, bool keepEntityHeaders, HTTPHeaderMap& headers,
                  std::string& contentType, int& length) {
    length = 0;
    bool haveLength = false;
    std::string name, value;
    for (size_t i = 1; i < lines.size(); ++i) {
        SplitHeader(lines[i], name, value);
        if (EqualsNoCase(name, "Content-Length")) {
            int announced = 0;
            // Two differing lengths leave no way to tell where the message ends.
            if (!ParseContentLength(value, maxBody, announced) || (haveLength && announced != length))
                return false;
            length = announced;
            haveLength = true;
            if (!keepEntityHeaders)
                continue;
        } else if (EqualsNoCase(name, "Content-Type")) {
            contentType = value;
            if (!keepEntityHeaders)
                continue;
        }
        headers[name] = value;
    }
    return true;
}

bool ParseContentLength(std::string_view value, int maxBody, int& length) {
    if (value.empty())
        return false;
    long long n = 0;
    for (char c : value) {
        if (c < '0' || c > '9')
            return false;
        n = n * 10 + (c - '0');
        if (n > maxBody)
            return false;
    }
    length = static_cast<int>(n);
    return true;
}

bool ReadBody(CInputStream* in, int length, HTTPDeadline deadline, std::string& body) {
    body.clear();
    if (length <= 0)
        return true;
    body.reserve(static_cast<size_t>(std::min(length, kBodyReserve)));
    char chunk[kBodyChunk];
    while (static_cast<int>(body.size()) < length) {
        if (Expired(deadline))
            return false;
        const int want = std::min(kBodyChunk, length - static_cast<int>(body.size()));
        const int got = in->Read(chunk, want);
        if (got <= 0)
            return false;
        body.append(chunk, static_cast<size_t>(std::min(got, want)));
    }
    return true;
}

void WriteLine(COutputStream* out, const std::string& line) {
    out->Write(line.data(), static_cast<int>(line.size()));
}

void WriteHeadRest(COutputStream* out, const HTTPHeaderMap& headers, size_t bodyLength,
                   const std::string& contentType) {
    const bool hasBody = bodyLength > 0;
    if (hasBody) {
        WriteLine(out, "Content-Length: " + std::to_string(bodyLength) + "\r\n");
        WriteLine(out, "Content-Type: " + contentType + "\r\n");
    }
    for (const auto& [name, value] : headers) {
        // The body decides these two; a stale copy in the map (say, from a parsed
        // message) must not contradict it.
        if (EqualsNoCase(name, "Content-Length") || (hasBody && EqualsNoCase(name, "Content-Type")))
            continue;
        WriteLine(out, name + ": " + value + "\r\n");
    }
    WriteLine(out, "\r\n");
}

void WriteRest(COutputStream* out, const HTTPHeaderMap& headers, const std::string& body,
               const std::string& contentType) {
    WriteHeadRest(out, headers, body.size(), contentType);
    if (!body.empty())
        out->Write(body.data(), static_cast<int>(body.size()));
}

} // namespace HTTPCodec

int ReadLine(CInputStream* in, std::string& line, int maxLength) {
    const HTTPCodec::ELine result = HTTPCodec::ReadLine(in, line, maxLength, kNoDeadline);
    if (result == HTTPCodec::ELine::TooLong)
        return -1;
    return static_cast<int>(line.size());
}
