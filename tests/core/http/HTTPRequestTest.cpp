#include "core/net/HTTPRequest.h"

#include "ScriptedStream.h"
#include "core/stream/MemInputStream.h"
#include "core/stream/MemOutputStream.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

namespace {

std::vector<std::string> Bytewise(const std::string& text) {
    std::vector<std::string> pieces;
    for (char c : text)
        pieces.emplace_back(1, c);
    return pieces;
}

bool ParseText(CHTTPRequest& request, const std::string& text, int maxBody = kMaxBody) {
    CMemInputStream in(text.data(), static_cast<int>(text.size()));
    return request.Parse(&in, kNoDeadline, maxBody);
}

} // namespace

TEST(HTTPReadLine, DropsCarriageReturnsAndStopsAtLineFeedOrEnd) {
    CScriptedStream in({"a\rb\r\n", "\r\n", "tail"});
    std::string line;
    EXPECT_EQ(ReadLine(&in, line), 2);
    EXPECT_EQ(line, "ab");
    EXPECT_EQ(ReadLine(&in, line), 0);
    EXPECT_EQ(ReadLine(&in, line), 4); // the stream ended the line
    EXPECT_EQ(line, "tail");
    EXPECT_EQ(ReadLine(&in, line), 0);
    EXPECT_EQ(line, "");

    // Over the cap: -1, and the rest of the line stays in the stream.
    CScriptedStream longLine({std::string(20, 'x') + "\n"});
    EXPECT_EQ(ReadLine(&longLine, line, 10), -1);
    EXPECT_EQ(longLine.Rest(), std::string(9, 'x') + "\n");
}

TEST(HTTPRequest, ParsesMethodHeadersAndBodyAsSent) {
    const std::string text = "put /Message/7 HTTP/1.0\r\n"
                             "content-length:  5 \r\n"
                             "Content-TYPE: text/x-quillet\r\n"
                             "Authorization: Basic abc=\r\n"
                             "no colon here \r\n"
                             "X-Empty:\r\n"
                             "\r\n"
                             "hello";
    // One byte per read, as a slow peer delivers it.
    CScriptedStream in(Bytewise(text));
    CHTTPRequest request;
    ASSERT_TRUE(request.Parse(&in));
    EXPECT_EQ(request.GetMethod(), CHTTPRequest::kPut);
    EXPECT_EQ(request.GetPath(), "/Message/7");
    EXPECT_EQ(request.GetVersion(), "HTTP/1.0");
    EXPECT_EQ(request.GetBodyText(), "hello");
    EXPECT_EQ(request.GetBodyLength(), 5);
    EXPECT_EQ(request.GetContentType(), "text/x-quillet");

    std::string value;
    EXPECT_TRUE(request.LookupHeader("content-length", value));
    EXPECT_EQ(value, "5");
    EXPECT_FALSE(request.LookupHeader("Content-Length", value)); // names keep their case
    EXPECT_TRUE(request.LookupHeader("Authorization", value));
    EXPECT_EQ(value, "Basic abc=");
    EXPECT_TRUE(request.LookupHeader("", value));
    EXPECT_EQ(value, "no colon here");
    EXPECT_TRUE(request.LookupHeader("X-Empty", value));
    EXPECT_EQ(value, "");
    // The parsed headers are the peer's, not the defaults of a new request.
    EXPECT_FALSE(request.LookupHeader("User-Agent", value));

    CHTTPRequest lower;
    ASSERT_TRUE(ParseText(lower, "get / HTTP/1.0\r\n\r\n"));
    EXPECT_EQ(lower.GetMethod(), CHTTPRequest::kGet);
    ASSERT_TRUE(ParseText(lower, "PoSt / HTTP/1.0\r\n\r\n"));
    EXPECT_EQ(lower.GetMethod(), CHTTPRequest::kPost);
    EXPECT_EQ(lower.GetBodyLength(), 0);
}

TEST(HTTPRequest, RequestLineSplitsAtEverySingleSpace) {
    CHTTPRequest request;
    ASSERT_TRUE(ParseText(request, "GET  /List HTTP/1.0\r\n\r\n"));
    EXPECT_EQ(request.GetPath(), "");
    EXPECT_EQ(request.GetVersion(), "/List");

    ASSERT_TRUE(ParseText(request, "GET /List HTTP/1.0 \r\n\r\n"));
    EXPECT_EQ(request.GetPath(), "/List");
    EXPECT_EQ(request.GetVersion(), "HTTP/1.0");

    ASSERT_TRUE(ParseText(request, "GET /a b HTTP/1.0\r\n\r\n")); // extra fields are ignored
    EXPECT_EQ(request.GetPath(), "/a");
    EXPECT_EQ(request.GetVersion(), "b");

    EXPECT_FALSE(ParseText(request, "GET /List\r\n\r\n"));
    EXPECT_FALSE(ParseText(request, "GET /List \r\n\r\n")); // the empty last field does not count
    EXPECT_FALSE(ParseText(request, "DELETE /List HTTP/1.0\r\n\r\n"));
    EXPECT_FALSE(ParseText(request, "GETX /List HTTP/1.0\r\n\r\n"));
    EXPECT_FALSE(ParseText(request, "GET\t/List\tHTTP/1.0\r\n\r\n"));
}

TEST(HTTPRequest, ContentLengthMustBeAPlainNumberUnderTheCap) {
    CHTTPRequest request;
    const auto withLength = [](const std::string& length) {
        return "PUT /Message HTTP/1.0\r\nContent-Length: " + length + "\r\n\r\n0123456789";
    };
    EXPECT_FALSE(ParseText(request, withLength("-5")));
    EXPECT_FALSE(ParseText(request, withLength("abc")));
    EXPECT_FALSE(ParseText(request, withLength("5abc")));
    EXPECT_FALSE(ParseText(request, withLength("+5")));
    EXPECT_FALSE(ParseText(request, withLength("")));
    EXPECT_FALSE(ParseText(request, withLength("99999999999999999999999")));
    EXPECT_FALSE(ParseText(request, withLength(std::to_string(kMaxBody + 1))));
    EXPECT_FALSE(ParseText(request, withLength("10"), 9));
    EXPECT_TRUE(ParseText(request, withLength("10"), 10));
    EXPECT_EQ(request.GetBodyText(), "0123456789");
    EXPECT_TRUE(ParseText(request, withLength("0")));
    EXPECT_EQ(request.GetBodyLength(), 0);

    // Two different lengths leave the end of the request unknown.
    EXPECT_FALSE(ParseText(request, "PUT / HTTP/1.0\r\nContent-Length: 3\r\ncontent-length: 4\r\n\r\nabcd"));
    EXPECT_TRUE(ParseText(request, "PUT / HTTP/1.0\r\nContent-Length: 3\r\ncontent-length: 3\r\n\r\nabc"));

    // Without a length there is no body, and the next bytes are left for the next request.
    CScriptedStream in({"PUT / HTTP/1.0\r\n\r\nGET /List HTTP/1.0\r\n\r\n"});
    ASSERT_TRUE(request.Parse(&in));
    EXPECT_EQ(request.GetBodyLength(), 0);
    EXPECT_EQ(in.Rest(), "GET /List HTTP/1.0\r\n\r\n");
    ASSERT_TRUE(request.Parse(&in));
    EXPECT_EQ(request.GetPath(), "/List");
}

TEST(HTTPRequest, HeadLimitsAreEnforcedWithoutReadingPastThem) {
    CHTTPRequest request;
    // A line may hold kMaxHeaderLine bytes before its line feed, its CR included.
    const std::string fits = "X: " + std::string(kMaxHeaderLine - 4, 'v') + "\r\n";
    EXPECT_TRUE(ParseText(request, "GET / HTTP/1.0\r\n" + fits + "\r\n"));
    const std::string tooLong = "X: " + std::string(kMaxHeaderLine - 3, 'v') + "\r\n";
    EXPECT_FALSE(ParseText(request, "GET / HTTP/1.0\r\n" + tooLong + "\r\n"));

    // An endless line is refused after the cap, not read to its end.
    CScriptedStream endless({"GET / HTTP/1.0\r\nX: " + std::string(10 * kMaxHeaderLine, 'v')});
    EXPECT_FALSE(request.Parse(&endless));
    EXPECT_LT(endless.Reads(), 2 * kMaxHeaderLine);

    std::string head = "GET / HTTP/1.0\r\n";
    for (int i = 1; i < kMaxHeaderLines; ++i)
        head += "H" + std::to_string(i) + ": x\r\n";
    EXPECT_TRUE(ParseText(request, head + "\r\n"));
    EXPECT_FALSE(ParseText(request, head + "One-Too-Many: x\r\n\r\n"));
}

TEST(HTTPRequest, TruncatedOrEmptyInputFails) {
    CHTTPRequest request;
    EXPECT_FALSE(ParseText(request, ""));
    EXPECT_FALSE(ParseText(request, "\r\n"));
    EXPECT_FALSE(ParseText(request, "GET / HTTP/1.0\r\n"));              // no empty line
    EXPECT_FALSE(ParseText(request, "GET / HTTP/1.0\r\nHost: a:1\r\n")); // closed inside the head
    EXPECT_FALSE(ParseText(request, "PUT / HTTP/1.0\r\nContent-Length: 10\r\n\r\nshort"));

    // A read error in the body, after part of it arrived.
    CScriptedStream broken({"PUT / HTTP/1.0\r\nContent-Length: 10\r\n\r\n", "abc"}, -1);
    EXPECT_FALSE(broken.Rest().empty());
    EXPECT_FALSE(request.Parse(&broken));
}

TEST(HTTPRequest, DeadlineStopsASlowPeer) {
    using namespace std::chrono;
    CHTTPRequest request;
    // A peer trickling one byte every 5 ms would need well over a second for this request.
    const std::string text = "PUT / HTTP/1.0\r\nContent-Length: 200\r\n\r\n" + std::string(200, 'b');
    CScriptedStream slow(Bytewise(text), 0, milliseconds(5));
    const auto start = steady_clock::now();
    EXPECT_FALSE(request.Parse(&slow, start + milliseconds(60)));
    EXPECT_LT(steady_clock::now() - start, milliseconds(500));

    CScriptedStream fast({text});
    EXPECT_FALSE(request.Parse(&fast, steady_clock::now() - milliseconds(1)));
    EXPECT_EQ(fast.Reads(), 0);

    CScriptedStream inTime({text});
    EXPECT_TRUE(request.Parse(&inTime, steady_clock::now() + seconds(10)));
    EXPECT_EQ(request.GetBodyLength(), 200);
}

TEST(HTTPRequest, LargeBodyArrivesInPieces) {
    const int length = 4 * 1024 * 1024 + 3;
    std::string body(length, '\0');
    for (int i = 0; i < length; ++i)
        body[i] = static_cast<char>(i * 31);
    std::vector<std::string> pieces = {"PUT / HTTP/1.0\r\nContent-Length: " + std::to_string(length) + "\r\n\r\n"};
    for (int at = 0; at < length; at += 1000)
        pieces.push_back(body.substr(at, 1000));
    CScriptedStream in(pieces);
    CHTTPRequest request;
    ASSERT_TRUE(request.Parse(&in));
    EXPECT_EQ(request.GetBodyText(), body);
}

TEST(HTTPRequest, WritesExactBytesAndParsesBack) {
    CHTTPRequest put;
    put.SetMethod(CHTTPRequest::kPut);
    put.SetHost("10.0.0.2", 4126);
    put.SetPath("/Message/42");
    put.SetBody("hello", 5, "text/plain");
    CMemOutputStream out;
    put.Write(&out);
    EXPECT_EQ(out.ToString(), "PUT /Message/42 HTTP/1.0\r\n"
                              "Content-Length: 5\r\n"
                              "Content-Type: text/plain\r\n"
                              "Accept: *.*\r\n"
                              "Accept-Charset: iso-8859-1,*,utf-8\r\n"
                              "Accept-Language: en\r\n"
                              "Connection: Keep-Alive\r\n"
                              "Host: 10.0.0.2:4126\r\n"
                              "User-Agent: CHTTPRequest Agent\r\n"
                              "\r\n"
                              "hello");

    CMemInputStream in(out.GetBuffer(), out.GetLength());
    CHTTPRequest parsed;
    ASSERT_TRUE(parsed.Parse(&in));
    EXPECT_EQ(parsed.GetMethod(), CHTTPRequest::kPut);
    EXPECT_EQ(parsed.GetPath(), "/Message/42");
    EXPECT_EQ(parsed.GetBodyText(), "hello");
    EXPECT_EQ(parsed.GetContentType(), "text/plain");

    // Writing the parsed request again must not repeat its Content-Length.
    CMemOutputStream again;
    parsed.Write(&again);
    const std::string rewritten = again.ToString();
    EXPECT_EQ(rewritten.find("Content-Length"), rewritten.rfind("Content-Length"));

    CHTTPRequest get;
    get.SetHost("host", 80);
    get.SetPath("/List");
    CMemOutputStream getOut;
    get.Write(&getOut);
    const std::string getText = getOut.ToString();
    EXPECT_EQ(getText.substr(0, 21), "GET /List HTTP/1.0\r\nA");
    EXPECT_EQ(getText.find("Content-"), std::string::npos);
    EXPECT_EQ(getText.substr(getText.size() - 4), "\r\n\r\n");
}
