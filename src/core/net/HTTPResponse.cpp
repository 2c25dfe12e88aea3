#include "core/net/HTTPResponse.h"

#include "core/stream/MemOutputStream.h"

#include <exception>

void CHTTPResponse::SetStatus(int status, const std::string& reason) {
    m_status = status;
    m_reason = reason;
}

void CHTTPResponse::SetBody(const void* data, int count, const std::string& contentType) {
    if (data != nullptr && count > 0)
        m_body.assign(static_cast<const char*>(data), static_cast<size_t>(count));
    else
        m_body.clear();
    m_contentType = contentType;
}

void CHTTPResponse::Write(COutputStream* out) const {
    HTTPCodec::WriteLine(out, m_version + " " + std::to_string(m_status) + " " + m_reason + "\r\n");
    HTTPCodec::WriteRest(out, m_headers, m_body, m_contentType);
}

std::string CHTTPResponse::Head(size_t bodyLength, const std::string& contentType) const {
    CMemOutputStream out(128);
    HTTPCodec::WriteLine(&out, m_version + " " + std::to_string(m_status) + " " + m_reason + "\r\n");
    HTTPCodec::WriteHeadRest(&out, m_headers, bodyLength, contentType);
    return out.ToString();
}

bool CHTTPResponse::Parse(CInputStream* in, HTTPDeadline deadline, int maxBody) {
    m_headers.clear();
    m_body.clear();
    m_contentType.clear();
    m_reason.clear();
    m_status = 0;
    try {
        std::vector<std::string> lines;
        if (!HTTPCodec::ReadHead(in, lines, deadline) || lines.empty())
            return false;

        const std::vector<std::string_view> fields = HTTPCodec::SplitFields(lines[0]);
        if (fields.size() < 2)
            return false;
        m_version = fields[0];
        const int status = HTTPCodec::LeadingNumber(fields[1]);
        if (fields.size() > 2)
            m_reason = fields[2];

        int length = 0;
        if (!HTTPCodec::ParseHeaders(lines, maxBody, false, m_headers, m_contentType, length))
            return false;
        if (status == 0 || !HTTPCodec::ReadBody(in, length, deadline, m_body))
            return false;
        m_status = status;
        return true;
    } catch (const std::exception&) {
        return false;
    }
}
