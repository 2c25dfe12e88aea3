#pragma once

#include "core/stream/InputStream.h"
#include "core/stream/OutputStream.h"

#include <chrono>
#include <map>
#include <string>
#include <string_view>
#include <vector>

// Limits on one HTTP message read from the network; going past any of them fails the parse,
// and the caller is expected to drop the connection.
inline constexpr int kMaxHeaderLine = 8 * 1024;   // bytes of one head line before its LF, CRs counted
inline constexpr int kMaxHeaderLines = 100;       // lines of the head, start line included
inline constexpr int kMaxBody = 16 * 1024 * 1024; // default cap on Content-Length

using HTTPClock = std::chrono::steady_clock;
using HTTPDeadline = HTTPClock::time_point;
// Parses given this deadline stop only when the stream does.
inline constexpr HTTPDeadline kNoDeadline = HTTPDeadline::max();

// Header name -> value, one value per name, names compared with case.
using HTTPHeaderMap = std::map<std::string, std::string>;

// Reads one line, one byte per read call so that nothing past the line is consumed. A line
// feed ends the line, carriage returns are dropped, end of stream or a read error end it too.
// Returns the line's length (0 for an empty line and for a closed stream), or -1 when more
// than maxLength bytes arrive before the line feed (the rest of the line is left unread).
int ReadLine(CInputStream* in, std::string& line, int maxLength = kMaxHeaderLine);

// Pieces shared by CHTTPRequest and CHTTPResponse.
namespace HTTPCodec {

enum class ELine { Line, Closed, TooLong, Expired };

ELine ReadLine(CInputStream* in, std::string& line, int maxLength, HTTPDeadline deadline);

// Reads the head of a message up to and without its empty line. Fails when the stream ends
// before the empty line, on the deadline, or past kMaxHeaderLine / kMaxHeaderLines; an
// empty first line gives no lines and success.
bool ReadHead(CInputStream* in, std::vector<std::string>& lines, HTTPDeadline deadline);

// Reads a head from a buffer that grows as bytes arrive, with ReadHead's rules and
// limits; each Feed goes on where the last one stopped, so a head that trickles in
// is scanned once.
class CHeadScanner {
public:
    enum class EState { Incomplete, Complete, Bad };

    // data: every byte received since the head began (the same prefix each time).
    EState Feed(std::string_view data);
    // The head's lines without the empty line; valid once Complete.
    const std::vector<std::string>& Lines() const { return m_lines; }
    // Bytes of data the head took, its empty line included.
    size_t Used() const { return m_pos; }
    void Reset();

private:
    size_t m_pos = 0;
    std::vector<std::string> m_lines;
    bool m_complete = false;
};

// Splits at every single space; two adjacent spaces give an empty field, an empty last
// field is dropped.
std::vector<std::string_view> SplitFields(std::string_view line);

// name = text before the first ":", value = the rest, trimmed. A line without colon gives
// an empty name and the whole line, trimmed, as value.
void SplitHeader(std::string_view line, std::string& name, std::string& value);

std::string_view Trim(std::string_view text);
bool EqualsNoCase(std::string_view a, std::string_view b);

// Leading decimal digits as a number, 0 when there are none; saturates instead of overflowing.
int LeadingNumber(std::string_view text);

// A Content-Length value: digits only, at most maxBody.
bool ParseContentLength(std::string_view value, int maxBody, int& length);

// The header lines after the first line of a head: Content-Length (checked, and it
// must not be announced twice differently) and Content-Type go to length and
// contentType; the entity headers stay in the map too when keepEntityHeaders is set.
bool ParseHeaders(const std::vector<std::string>& lines, int maxBody, bool keepEntityHeaders, HTTPHeaderMap& headers,
                  std::string& contentType, int& length);

// Reads exactly length bytes. Fails when the stream ends or errs first, or on the deadline.
bool ReadBody(CInputStream* in, int length, HTTPDeadline deadline, std::string& body);

// Content-Length and Content-Type lines when there is a body, every header, the empty line,
// then the body. Each line and the body go to the stream in one write each.
void WriteRest(COutputStream* out, const HTTPHeaderMap& headers, const std::string& body,
               const std::string& contentType);
// WriteRest without the body, for a writer that sends a body of that length itself.
void WriteHeadRest(COutputStream* out, const HTTPHeaderMap& headers, size_t bodyLength, const std::string& contentType);

void WriteLine(COutputStream* out, const std::string& line);

} // namespace HTTPCodec
