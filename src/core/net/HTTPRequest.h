#pragma once

#include "core/net/HTTPMessage.h"

#include <string>

// A request of the note protocol: built and written by clients, parsed by the server.
class CHTTPRequest {
public:
    enum { kGet = 0, kPut = 1, kPost = 2 };

    // Starts with the five standard headers (User-Agent, Accept, Accept-Language,
    // Accept-Charset, Connection).
    CHTTPRequest();
    virtual ~CHTTPRequest() = default;

    void SetMethod(int method) { m_method = method; }
    void SetHost(const std::string& host, unsigned short port);
    void SetPath(const std::string& path) { m_path = path; }
    // Replaces or adds; names are compared with case.
    void SetHeader(const std::string& name, const std::string& value) { m_headers[name] = value; }
    // Copies count bytes; count <= 0 removes the body.
    void SetBody(const void* data, int count, const std::string& contentType);
    // Adds "Authorization": Basic, or Digest (MD5-crypt under a fresh salt).
    void SetAuthorization(const std::string& user, const std::string& password, bool digest);

    bool LookupHeader(const std::string& name, std::string& value) const;

    int GetMethod() const { return m_method; }
    const std::string& GetHost() const { return m_host; }
    unsigned short GetPort() const { return m_port; }
    const std::string& GetPath() const { return m_path; }
    const std::string& GetVersion() const { return m_version; }
    const HTTPHeaderMap& GetHeaders() const { return m_headers; }
    const char* GetBody() const { return m_body.data(); }
    int GetBodyLength() const { return static_cast<int>(m_body.size()); }
    const std::string& GetBodyText() const { return m_body; }
    const std::string& GetContentType() const { return m_contentType; }

    // Sets "Host" to "host:port", then writes request line, headers and body.
    void Write(COutputStream* out);

    // Reads one request. False when the request line is unusable, the stream ends before
    // the head or the announced body is complete, a limit is passed, Content-Length is not
    // a plain number, or the deadline passes. The headers are what the peer sent.
    bool Parse(CInputStream* in, HTTPDeadline deadline = kNoDeadline, int maxBody = kMaxBody);
    // The same in two steps, for a reader that collects the bytes itself: the head's
    // lines (as CHeadScanner gives them) tell the body's length; then the body.
    bool ParseHead(const std::vector<std::string>& lines, int maxBody, int& bodyLength);
    void SetBodyText(std::string body) { m_body = std::move(body); }

private:
    std::string m_host;
    unsigned short m_port = 80;
    std::string m_path = "/";
    int m_method = kGet;
    std::string m_version = "HTTP/1.0";
    HTTPHeaderMap m_headers;
    std::string m_body;
    std::string m_contentType;
};
