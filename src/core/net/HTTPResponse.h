#pragma once

#include "core/net/HTTPMessage.h"

#include <string>

// A response of the note protocol: built and written by the server, parsed by clients.
class CHTTPResponse {
public:
    CHTTPResponse() = default;
    virtual ~CHTTPResponse() = default;

    void SetStatus(int status, const std::string& reason);
    // Copies count bytes; count <= 0 removes the body.
    void SetBody(const void* data, int count, const std::string& contentType);
    void SetHeader(const std::string& name, const std::string& value) { m_headers[name] = value; }

    int GetStatus() const { return m_status; }
    const std::string& GetReason() const { return m_reason; }
    const std::string& GetVersion() const { return m_version; }
    const HTTPHeaderMap& GetHeaders() const { return m_headers; }
    const char* GetBody() const { return m_body.data(); }
    int GetBodyLength() const { return static_cast<int>(m_body.size()); }
    const std::string& GetBodyText() const { return m_body; }
    const std::string& GetContentType() const { return m_contentType; }

    // "version status reason", then headers and body; no Content-Length without a body.
    void Write(COutputStream* out) const;
    // What Write gives before the body, for a body of that length and type kept elsewhere.
    std::string Head(size_t bodyLength, const std::string& contentType) const;

    // Reads one response. Only the first word of the reason is kept. Content-Length and
    // Content-Type go to the body fields, not the header map. False when the status is 0
    // (missing or not a number), or on the failures listed for CHTTPRequest::Parse.
    bool Parse(CInputStream* in, HTTPDeadline deadline = kNoDeadline, int maxBody = kMaxBody);

private:
    HTTPHeaderMap m_headers;
    std::string m_version = "HTTP/1.0";
    int m_status = 204;
    std::string m_reason;
    std::string m_body;
    std::string m_contentType;
};
