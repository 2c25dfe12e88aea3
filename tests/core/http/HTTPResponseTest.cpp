#include "core/net/HTTPResponse.h"

#include "ScriptedStream.h"
#include "core/stream/MemInputStream.h"
#include "core/stream/MemOutputStream.h"

#include <gtest/gtest.h>

#include <string>

namespace {

bool ParseText(CHTTPResponse& response, const std::string& text) {
    CMemInputStream in(text.data(), static_cast<int>(text.size()));
    return response.Parse(&in);
}

} // namespace

TEST(HTTPResponse, KeepsOnlyTheFirstWordOfTheReason) {
    CHTTPResponse response;
    ASSERT_TRUE(ParseText(response, "HTTP/1.0 403 Receive refused\r\n\r\n"));
    EXPECT_EQ(response.GetStatus(), 403);
    EXPECT_EQ(response.GetReason(), "Receive");
    EXPECT_EQ(response.GetVersion(), "HTTP/1.0");

    ASSERT_TRUE(ParseText(response, "HTTP/1.1 200\r\n\r\n"));
    EXPECT_EQ(response.GetStatus(), 200);
    EXPECT_EQ(response.GetReason(), "");

    ASSERT_TRUE(ParseText(response, "HTTP/1.0 401  Authetication error\r\n\r\n"));
    EXPECT_EQ(response.GetReason(), ""); // double space: the third field is empty
}

TEST(HTTPResponse, StatusZeroMeansFailure) {
    CHTTPResponse response;
    EXPECT_EQ(response.GetStatus(), 204);
    EXPECT_FALSE(ParseText(response, ""));
    EXPECT_EQ(response.GetStatus(), 0);
    EXPECT_FALSE(ParseText(response, "\r\n"));
    EXPECT_FALSE(ParseText(response, "HTTP/1.0\r\n\r\n"));
    EXPECT_FALSE(ParseText(response, "HTTP/1.0 OK 200\r\n\r\n"));
    EXPECT_FALSE(ParseText(response, "HTTP/1.0 0 OK\r\n\r\n"));
    EXPECT_FALSE(ParseText(response, "HTTP/1.0 -200 OK\r\n\r\n"));
    EXPECT_FALSE(ParseText(response, "HTTP/1.0 200 OK\r\n")); // closed before the empty line
    EXPECT_EQ(response.GetStatus(), 0);
}

TEST(HTTPResponse, BodyHeadersGoToTheBodyFields) {
    CHTTPResponse response;
    ASSERT_TRUE(ParseText(response, "HTTP/1.0 200 OK\r\n"
                                    "CONTENT-LENGTH: 4\r\n"
                                    "content-type: text/x-quilletlist\r\n"
                                    "Server: test\r\n"
                                    "\r\n"
                                    "<Q/>trailing"));
    EXPECT_EQ(response.GetBodyText(), "<Q/>");
    EXPECT_EQ(response.GetContentType(), "text/x-quilletlist");
    EXPECT_EQ(response.GetHeaders().size(), 1u);
    EXPECT_EQ(response.GetHeaders().at("Server"), "test");

    EXPECT_FALSE(ParseText(response, "HTTP/1.0 200 OK\r\nContent-Length: -1\r\n\r\n"));
    EXPECT_FALSE(ParseText(response, "HTTP/1.0 200 OK\r\nContent-Length: 9\r\n\r\nshort"));
    EXPECT_EQ(response.GetStatus(), 0);

    CScriptedStream broken({"HTTP/1.0 200 OK\r\nContent-Length: 9\r\n\r\n", "abc"}, -1);
    EXPECT_FALSE(response.Parse(&broken));
}

TEST(HTTPResponse, WritesExactBytes) {
    CMemOutputStream empty;
    CHTTPResponse().Write(&empty);
    EXPECT_EQ(empty.ToString(), "HTTP/1.0 204 \r\n\r\n");

    CHTTPResponse ok;
    ok.SetStatus(200, "OK");
    CMemOutputStream plain;
    ok.Write(&plain);
    EXPECT_EQ(plain.ToString(), "HTTP/1.0 200 OK\r\n\r\n");

    ok.SetBody("<List/>", 7, "text/x-quilletlist");
    CMemOutputStream withBody;
    ok.Write(&withBody);
    EXPECT_EQ(withBody.ToString(), "HTTP/1.0 200 OK\r\n"
                                   "Content-Length: 7\r\n"
                                   "Content-Type: text/x-quilletlist\r\n"
                                   "\r\n"
                                   "<List/>");

    CHTTPResponse refused;
    refused.SetStatus(401, "Authetication error");
    CMemOutputStream refusedOut;
    refused.Write(&refusedOut);
    EXPECT_EQ(refusedOut.ToString(), "HTTP/1.0 401 Authetication error\r\n\r\n");

    CMemInputStream in(withBody.GetBuffer(), withBody.GetLength());
    CHTTPResponse parsed;
    ASSERT_TRUE(parsed.Parse(&in));
    EXPECT_EQ(parsed.GetStatus(), 200);
    EXPECT_EQ(parsed.GetBodyText(), "<List/>");
    EXPECT_EQ(parsed.GetContentType(), "text/x-quilletlist");
}
