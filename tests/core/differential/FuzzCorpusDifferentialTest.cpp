// The XML reader and the find routine against small straightforward versions of
// themselves, over every input the fuzzers have kept.
#include "core/find/ByteSearch.h"
#include "core/stream/InputStream.h"
#include "core/xml/AttributeList.h"
#include "core/xml/DocumentHandler.h"
#include "core/xml/SimpleXMLParser.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace {

struct Input {
    std::string name;
    std::string bytes;
};

const std::vector<Input>& CorpusInputs() {
    static const std::vector<Input> inputs = [] {
        std::vector<Input> out;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(QUILLET_FUZZ_CORPUS)) {
            if (!entry.is_regular_file())
                continue;
            std::ifstream file(entry.path(), std::ios::binary);
            out.push_back({entry.path().string(), std::string(std::istreambuf_iterator<char>(file), {})});
        }
        std::sort(out.begin(), out.end(), [](const Input& a, const Input& b) { return a.name < b.name; });
        return out;
    }();
    return inputs;
}

// ---- XML reader --------------------------------------------------------------

// A trace is the result code followed by one line per event, strings as a
// handler sees them (up to their first zero byte).
using Trace = std::vector<std::string>;

class CTraceHandler : public CDocumentHandler {
public:
    Trace trace;

    void startDocument() override { trace.push_back("begin"); }
    void endDocument() override { trace.push_back("end"); }
    void characters(const char* text, int length) override {
        EXPECT_EQ(text[length], '\0');
        trace.push_back("C " + std::string(text, static_cast<std::size_t>(length)));
    }
    void startElement(const char* name, const CAttributeList& attributes) override {
        std::string line = std::string("S ") + name;
        for (int i = 0; i < attributes.getLength(); ++i) {
            const std::string attribute = attributes.getName(i);
            const std::string byIndex = attributes.getValue(i);
            const char* byName = attributes.getValue(attribute.c_str());
            line += " [" + attribute + "=" + byIndex + (byName && byIndex == byName ? "]" : "] by name differs");
        }
        trace.push_back(line);
    }
    void endElement(const char* name) override { trace.push_back(std::string("E ") + name); }
};

// Hands the bytes out in pieces of varying size, so that tokens straddle the
// reader's refills.
class CChoppyStream : public CInputStream {
public:
    CChoppyStream(const std::string& bytes, unsigned seed) : m_bytes(bytes), m_random(seed) {}
    int Read(void* buffer, int count) override {
        const std::size_t n = std::min({static_cast<std::size_t>(count), m_bytes.size() - m_position,
                                        static_cast<std::size_t>(1 + m_random() % 9)});
        std::memcpy(buffer, m_bytes.data() + m_position, n);
        m_position += n;
        return static_cast<int>(n);
    }

private:
    const std::string& m_bytes;
    std::size_t m_position = 0;
    std::mt19937 m_random;
};

// As many bytes as asked for, as from memory.
class CWholeStream : public CInputStream {
public:
    explicit CWholeStream(const std::string& bytes) : m_bytes(bytes) {}
    int Read(void* buffer, int count) override {
        const std::size_t n = std::min(static_cast<std::size_t>(count), m_bytes.size() - m_position);
        std::memcpy(buffer, m_bytes.data() + m_position, n);
        m_position += n;
        return static_cast<int>(n);
    }

private:
    const std::string& m_bytes;
    std::size_t m_position = 0;
};

// Whole-input view of the reader's rules, one byte at a time.
Trace ReferenceTrace(const std::string& in) {
    auto cut = [](const std::string& s) { return std::string(s.c_str()); };
    auto space = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; };
    std::size_t i = 0;
    std::string line;
    while (i < in.size()) {
        const char c = in[i++];
        if (c == '\r' || c == '\n') {
            if (line.empty())
                continue;
            break;
        }
        line += c;
    }
    if (line.find("<?xml") == std::string::npos)
        return {"0"};
    Trace trace{"", "begin"};
    std::vector<std::string> open;
    for (;;) {
        std::string token;
        bool tag = false;
        while (i < in.size()) {
            const char c = in[i];
            if (c == '<' && !token.empty())
                break;
            ++i;
            if (c == '\r' || c == '\n')
                continue;
            tag = tag || c == '<';
            token += c;
            if (c == '>' && tag)
                break;
        }
        if (token.empty())
            break;
        if (!tag) {
            const auto b = std::find_if_not(token.begin(), token.end(), space);
            const auto e = std::find_if_not(token.rbegin(), token.rend(), space).base();
            trace.push_back("C " + (b < e ? std::string(b, e) : std::string()));
        } else if (token.size() > 1 && token[1] == '/') {
            if (open.empty())
                return trace[0] = "-1", trace;
            trace.push_back("E " + cut(open.back()));
            open.pop_back();
        } else if (token.size() > 1 && token[1] == '!') {
        } else {
            if (token.size() < 2 || token.back() != '>')
                return trace[0] = "-1", trace;
            std::size_t nameEnd = std::min(token.find_first_of(" \t", 1), token.size() - 1);
            open.push_back(token.substr(1, nameEnd - 1));
            std::vector<std::pair<std::string, std::string>> attributes;
            auto add = [&](const std::string& a) {
                const std::size_t eq = a.find('=');
                const std::string rest = eq == std::string::npos ? a : a.substr(eq + 1);
                attributes.emplace_back(cut(eq == std::string::npos ? "" : a.substr(0, eq)),
                                        cut(rest.size() >= 2 ? rest.substr(1, rest.size() - 2) : ""));
            };
            std::string a;
            bool quoted = false, empty = false;
            for (std::size_t k = nameEnd; k + 1 < token.size(); ++k) {
                const auto c = static_cast<unsigned char>(token[k]);
                if (c == '/' && k + 2 == token.size()) {
                    empty = true;
                } else if (!quoted && (c <= 0x20 || c == 0x7F)) {
                    if (!a.empty())
                        add(a);
                    a.clear();
                } else {
                    quoted = quoted != (c == '"');
                    a += static_cast<char>(c);
                }
            }
            if (!a.empty())
                add(a);
            std::string event = "S " + cut(open.back());
            for (const auto& [name, value] : attributes) {
                auto last = std::find_if(attributes.rbegin(), attributes.rend(),
                                         [&name = name](const auto& other) { return other.first == name; });
                event += " [" + name + "=" + last->second + "]";
            }
            trace.push_back(event);
            if (empty) {
                trace.push_back("E " + cut(open.back()));
                open.pop_back();
            }
        }
    }
    trace[0] = "1";
    trace.push_back("end");
    return trace;
}

Trace ReaderTrace(CInputStream& stream) {
    CTraceHandler handler;
    CSimpleXMLParser parser;
    parser.setDocumentHandler(&handler);
    const int code = parser.parse(&stream);
    Trace trace{std::to_string(code)};
    if (code != 0 || !handler.trace.empty())
        trace.insert(trace.end(), handler.trace.begin(), handler.trace.end());
    return trace;
}

} // namespace

TEST(FuzzCorpusDifferential, ReaderTracesMatchTheReference) {
    int parsed = 0;
    int malformed = 0;
    unsigned seed = 1;
    for (const Input& input : CorpusInputs()) {
        const Trace expected = ReferenceTrace(input.bytes);
        CChoppyStream choppy(input.bytes, seed++);
        ASSERT_EQ(ReaderTrace(choppy), expected) << input.name;
        // Whole reads; and the input with each line break made CR LF, as the
        // documents write them.
        std::string crlf;
        for (char c : input.bytes)
            crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
        for (const std::string& bytes : {input.bytes, crlf}) {
            CWholeStream stream(bytes);
            ASSERT_EQ(ReaderTrace(stream), ReferenceTrace(bytes)) << input.name;
        }
        parsed += expected[0] == "1";
        malformed += expected[0] == "-1";
    }
    // The corpora must reach every outcome, or the comparison proves little.
    EXPECT_GT(parsed, 100);
    EXPECT_GT(malformed, 10);
}

// ---- Find ----------------------------------------------------------------------

namespace {

std::size_t ReferenceFind(const std::string& text, const std::string& pattern) {
    if (pattern.empty())
        return CByteSearch::npos;
    for (std::size_t p = 0; p + pattern.size() <= text.size(); ++p) {
        if (text.compare(p, pattern.size(), pattern) == 0)
            return p;
    }
    return CByteSearch::npos;
}

void ExpectSameMatch(const std::string& text, const std::string& pattern, const std::string& where) {
    const std::size_t expected = ReferenceFind(text, pattern);
    const CByteSearch search(pattern);
    ASSERT_EQ(search.Find(text), expected) << where << " pattern of " << pattern.size() << " bytes";
    const std::atomic<bool> running{false};
    ASSERT_EQ(search.Find(text, &running), expected) << where;
}

} // namespace

TEST(FuzzCorpusDifferential, FindGivesTheFirstMatchOfTheStraightLoop) {
    std::mt19937 random(4126);
    std::string all;
    int found = 0;
    for (const Input& input : CorpusInputs()) {
        const std::string& text = input.bytes;
        all += text;
        for (int k = 0; k < 12; ++k) {
            std::string pattern;
            if (k < 6 && !text.empty()) {
                // Cut from the text: it matches here, perhaps earlier too.
                const std::size_t from = random() % text.size();
                pattern = text.substr(from, 1 + random() % (k < 3 ? 4 : 40));
            } else if (k < 9 && !text.empty()) {
                // Bytes of the text in a random order: near misses.
                for (std::size_t n = 1 + random() % 6; n > 0; --n)
                    pattern += text[random() % text.size()];
            } else {
                for (std::size_t n = random() % 4; n > 0; --n)
                    pattern += static_cast<char>(random());
            }
            ExpectSameMatch(text, pattern, input.name);
            found += ReferenceFind(text, pattern) != CByteSearch::npos;
        }
        ExpectSameMatch(text, text + "x", input.name); // longer than the text
        ExpectSameMatch(text, text, input.name);
    }
    // All inputs end to end: matches far from the start.
    for (int k = 0; k < 200; ++k) {
        const std::size_t from = random() % all.size();
        ExpectSameMatch(all, all.substr(from, 1 + random() % 64), "all inputs");
    }
    // Texts of two or three letters, where partial matches are everywhere.
    for (const std::string alphabet : {"ab", "aab", "abc"}) {
        for (int k = 0; k < 300; ++k) {
            std::string text(random() % 300, '\0'), pattern(1 + random() % 10, '\0');
            for (std::string* s : {&text, &pattern})
                std::generate(s->begin(), s->end(), [&] { return alphabet[random() % alphabet.size()]; });
            ExpectSameMatch(text, pattern, "letters " + alphabet);
            found += ReferenceFind(text, pattern) != CByteSearch::npos;
        }
    }
    EXPECT_GT(found, 4000);
}
