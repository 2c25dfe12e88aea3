#include "core/net/HTTPRequest.h"

#include "core/net/Credentials.h"

#include <exception>

namespace {

const char* MethodText(int method) {
    switch (method) {
    case CHTTPRequest::kPut:
        return "PUT";
    case CHTTPRequest::kPost:
        return "POST";
    default:
        return "GET";
    }
}

} // namespace

CHTTPRequest::CHTTPRequest() {
    m_headers["User-Agent"] = "CHTTPRequest Agent";
    m_headers["Accept"] = "*.*";
    m_headers["Accept-Language"] = "en";
    m_headers["Accept-Charset"] = "iso-8859-1,*,utf-8";
    m_headers["Connection"] = "Keep-Alive";
}

void CHTTPRequest::SetHost(const std::string& host, unsigned short port) {
    m_host = host;
    m_port = port;
}

void CHTTPRequest::SetBody(const void* data, int count, const std::string& contentType) {
    if (data != nullptr && count > 0)
        m_body.assign(static_cast<const char*>(data), static_cast<size_t>(count));
    else
        m_body.clear();
    m_contentType = contentType;
}

void CHTTPRequest::SetAuthorization(const std::string& user, const std::string& password, bool digest) {
    m_headers["Authorization"] = MakeAuthorization(user, password, digest);
}

bool CHTTPRequest::LookupHeader(const std::string& name, std::string& value) const {
    const auto it = m_headers.find(name);
    if (it == m_headers.end())
        return false;
    value = it->second;
    return true;
}

void CHTTPRequest::Write(COutputStream* out) {
    m_headers["Host"] = m_host + ":" + std::to_string(m_port);
    HTTPCodec::WriteLine(out, std::string(MethodText(m_method)) + " " + m_path + " " + m_version + "\r\n");
    HTTPCodec::WriteRest(out, m_headers, m_body, m_contentType);
}

bool CHTTPRequest::Parse(CInputStream* in, HTTPDeadline deadline, int maxBody) {
    try {
        std::vector<std::string> lines;
        int length = 0;
        if (!HTTPCodec::ReadHead(in, lines, deadline) || !ParseHead(lines, maxBody, length))
            return false;
        return HTTPCodec::ReadBody(in, length, deadline, m_body);
    } catch (const std::exception&) {
        // Out of memory or a failing stream: the request is refused.
        return false;
    }
}

bool CHTTPRequest::ParseHead(const std::vector<std::string>& lines, int maxBody, int& bodyLength) {
    m_headers.clear();
    m_body.clear();
    m_contentType.clear();
    bodyLength = 0;
    if (lines.empty())
        return false;
    const std::vector<std::string_view> fields = HTTPCodec::SplitFields(lines[0]);
    if (fields.size() < 3)
        return false;
    if (HTTPCodec::EqualsNoCase(fields[0], "GET"))
        m_method = kGet;
    else if (HTTPCodec::EqualsNoCase(fields[0], "PUT"))
        m_method = kPut;
    else if (HTTPCodec::EqualsNoCase(fields[0], "POST"))
        m_method = kPost;
    else
        return false;
    m_path = fields[1];
    m_version = fields[2];
    return HTTPCodec::ParseHeaders(lines, maxBody, true, m_headers, m_contentType, bodyLength);
}
