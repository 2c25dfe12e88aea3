// The XML reader and the property documents against libxml2's SAX reader on the
// same bytes: a note with a 4 KiB body and a settings document with 25 groups of
// 4 members. Benchmarks named BM_Ref_* are the reference of their document
// (the part after '/'); scripts/run-benchmarks prints the others as ratios to it.
// BM_PropParserOverReader times the property reader against the bare reader.
#include "core/store/PropParser.h"
#include "core/stream/TextInputStream.h"
#include "core/xml/AttributeList.h"
#include "core/xml/DocumentHandler.h"
#include "core/xml/SimpleXMLParser.h"

#include <benchmark/benchmark.h>
#include <libxml/parser.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// Lines as the property documents write them: CR LF, no indentation.
class CDocumentText {
public:
    CDocumentText& operator<<(const std::string& line) {
        m_text += line;
        m_text += "\r\n";
        return *this;
    }
    const std::string& Text() const { return m_text; }

private:
    std::string m_text;
};

std::string Hex(const std::string& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string hex;
    hex.reserve(bytes.size() * 2);
    for (unsigned char c : bytes) {
        hex += digits[c >> 4];
        hex += digits[c & 0x0F];
    }
    return hex;
}

std::string FontLines(const std::string& name, int size, unsigned color, unsigned background, int flags) {
    return "<Font Name=\"" + name + "\" Size=\"" + std::to_string(size) + "\"/>\r\n<FontColor Color=\"" +
           std::to_string(color) + "\"/>\r\n<BackgroundColor Color=\"" + std::to_string(background) +
           "\"/>\r\n<FontAttribute Flags=\"" + std::to_string(flags) + "\"/>";
}

const std::string& NoteDocument() {
    static const std::string text = [] {
        std::string rtf = "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0 DejaVu Sans;}}\\f0\\fs18 ";
        const std::string sentence = "The quick brown fox jumps over the lazy dog. \\par ";
        while (rtf.size() < 4096 - 1)
            rtf += sentence;
        rtf.resize(4096 - 1);
        rtf += "}";
        CDocumentText doc;
        doc << "<?xml version=\"1.0\" ?>"
            << "<Quillet>"
            << "<SheetProperty>"
            << "<SheetTitle Title=\"Meeting notes, Tuesday\"/>"
            << "<SheetID ID=\"1700000000\"/>"
            << "<SheetDimension X=\"120\" Y=\"80\" Width=\"240\" Height=\"180\"/>"
            << "<SheetDisplay Bool=\"True\"/>"
            << "<TopWindow Bool=\"False\"/>"
            << "<AutoResize Bool=\"True\"/>"
            << "<MoveBar Bool=\"True\"/>"
            << "<ReadOnly Bool=\"False\"/>"
            << "</SheetProperty>"
            << "<FontProperty>" << FontLines("DejaVu Sans", 9, 0, 3991280, 0) << "</FontProperty>"
            << "<Message>" << Hex(rtf) << "</Message>"
            << "</Quillet>";
        return doc.Text();
    }();
    return text;
}

const std::string& SettingsDocument() {
    static const std::string text = [] {
        CDocumentText doc;
        doc << "<?xml version=\"1.0\" ?>"
            << "<Quillet>"
            << "<ApplicationProperty>"
            << "<EnableStartup Bool=\"True\"/>"
            << "<SavePath Path=\"/home/user/Documents/Quillet\"/>"
            << "<OrderFlag Flag=\"3\"/>"
            << "<EnableOutOfWindow Bool=\"False\"/>"
            << "<MessageGap Value=\"0\"/>"
            << "</ApplicationProperty>"
            << "<SheetProperty>"
            << "<SheetTitle Title=\"\"/>"
            << "<SheetID ID=\"0\"/>"
            << "<SheetDimension X=\"0\" Y=\"0\" Width=\"200\" Height=\"150\"/>"
            << "<SheetDisplay Bool=\"True\"/>"
            << "<TopWindow Bool=\"False\"/>"
            << "<AutoResize Bool=\"True\"/>"
            << "<MoveBar Bool=\"True\"/>"
            << "<ReadOnly Bool=\"False\"/>"
            << "</SheetProperty>"
            << "<FontProperty>" << FontLines("DejaVu Sans", 9, 0, 3991280, 0) << "</FontProperty>"
            << "<NetworkProperty>"
            << "<AcceptConnection Bool=\"True\"/>"
            << "<EnableUPnP Bool=\"False\"/>"
            << "<ConfirmReceive Bool=\"True\"/>"
            << "<ConfirmExpire Time=\"10\"/>"
            << "<ReceiveChannel Address=\"\" Port=\"4126\"/>"
            << "<AcceptTransfer Bool=\"True\" User=\"alice\" Passwd=\"correct horse\"/>"
            << "<AllowAll Bool=\"False\"/>"
            << "<NetworkInfoList>"
            << "<NetworkInfo Network=\"192.168.0.0\" Mask=\"255.255.255.0\"/>"
            << "<NetworkInfo Network=\"10.0.0.0\" Mask=\"255.0.0.0\"/>"
            << "</NetworkInfoList>"
            << "</NetworkProperty>"
            << "<GroupList>"
            << "<ChangeGroupProp Bool=\"True\"/>"
            << "<ChangeEntireMessage Bool=\"False\"/>";
        for (int g = 0; g < 25; ++g) {
            doc << "<Group Name=\"Group " + std::to_string(g + 1) + "\">";
            for (int m = 0; m < 4; ++m) {
                const int id = 1700000000 + g * 4 + m;
                doc << "<Element Name=\"Note " + std::to_string(g * 4 + m + 1) + " of the group\" ID=\"" +
                           std::to_string(id) + "\"/>";
            }
            doc << "<GroupProperty>" << FontLines("DejaVu Serif", 10 + g % 4, 255u * g, 16777215u - g, g % 128)
                << "</GroupProperty>"
                << "</Group>";
        }
        doc << "</GroupList>"
            << "</Quillet>";
        return doc.Text();
    }();
    return text;
}

// Touches what a real handler touches: every attribute value and every text.
class CCountingHandler : public CDocumentHandler {
public:
    void characters(const char* /*text*/, int length) override { m_bytes += static_cast<size_t>(length); }
    void startElement(const char* name, const CAttributeList& attributes) override {
        m_bytes += std::strlen(name);
        const int count = attributes.getLength();
        for (int i = 0; i < count; ++i)
            m_bytes += std::strlen(attributes.getValue(i));
    }
    size_t m_bytes = 0;
};

size_t ParseSimple(const std::string& text) {
    // In place, as CPropParser::Parse reads: a copy would charge the reader alone for work Parse never does.
    CTextInputStream stream(text.data(), text.size());
    CCountingHandler handler;
    CSimpleXMLParser parser;
    parser.setDocumentHandler(&handler);
    if (parser.parse(&stream) != CSimpleXMLParser::kParsed)
        std::abort();
    return handler.m_bytes;
}

void LibXmlStartElement(void* context, const xmlChar* name, const xmlChar** attributes) {
    auto* bytes = static_cast<size_t*>(context);
    *bytes += std::strlen(reinterpret_cast<const char*>(name));
    for (int i = 0; attributes != nullptr && attributes[i] != nullptr; i += 2)
        *bytes += std::strlen(reinterpret_cast<const char*>(attributes[i + 1]));
}

void LibXmlCharacters(void* context, const xmlChar* /*text*/, int length) {
    *static_cast<size_t*>(context) += static_cast<size_t>(length);
}

size_t ParseLibXml(const std::string& text) {
    xmlSAXHandler sax;
    std::memset(&sax, 0, sizeof sax);
    sax.startElement = LibXmlStartElement;
    sax.characters = LibXmlCharacters;
    size_t bytes = 0;
    if (xmlSAXUserParseMemory(&sax, &bytes, text.data(), static_cast<int>(text.size())) != 0)
        std::abort();
    return bytes;
}

void BM_SimpleXMLParser(benchmark::State& state, const std::string& (*document)()) {
    const std::string& text = document();
    for (auto _ : state)
        benchmark::DoNotOptimize(ParseSimple(text));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}

void BM_Ref_LibXml2Sax(benchmark::State& state, const std::string& (*document)()) {
    xmlInitParser();
    const std::string& text = document();
    for (auto _ : state)
        benchmark::DoNotOptimize(ParseLibXml(text));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}

size_t ParseProperties(const std::string& text) {
    CPropParser parser;
    if (parser.Parse(text.c_str()) != 1)
        std::abort();
    return parser.m_body.size();
}

void BM_PropParserParse(benchmark::State& state, const std::string& (*document)()) {
    const std::string& text = document();
    for (auto _ : state)
        benchmark::DoNotOptimize(ParseProperties(text));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}

// What Parse adds to the reader, as a ratio. The two are timed in turn within
// each iteration, so that a machine slowed by its neighbours slows both alike;
// the separate benchmarks above run seconds apart. The order alternates, so
// that neither always finds the other's data in the cache. The clock is the
// wall clock: reading a thread's CPU time is a system call, which would weigh
// on a parse of two microseconds.
void BM_PropParserOverReader(benchmark::State& state, const std::string& (*document)()) {
    using Clock = std::chrono::steady_clock;
    const std::string& text = document();
    Clock::duration reader{}, parse{};
    bool readerFirst = true;
    for (auto _ : state) {
        const auto t0 = Clock::now();
        benchmark::DoNotOptimize(readerFirst ? ParseSimple(text) : ParseProperties(text));
        const auto t1 = Clock::now();
        benchmark::DoNotOptimize(readerFirst ? ParseProperties(text) : ParseSimple(text));
        const auto t2 = Clock::now();
        reader += readerFirst ? t1 - t0 : t2 - t1;
        parse += readerFirst ? t2 - t1 : t1 - t0;
        readerFirst = !readerFirst;
    }
    state.counters["parse_over_reader"] = std::chrono::duration<double>(parse) / std::chrono::duration<double>(reader);
}

// Writing has no reference in the same run; its case name differs so that no
// ratio is printed for it.
void BM_PropParserMakeDocument(benchmark::State& state, const std::string& (*document)()) {
    CPropParser parser;
    if (parser.Parse(document().c_str()) != 1)
        std::abort();
    std::string text;
    for (auto _ : state) {
        parser.MakeDocument(text);
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}

} // namespace

BENCHMARK_CAPTURE(BM_SimpleXMLParser, note, NoteDocument);
BENCHMARK_CAPTURE(BM_Ref_LibXml2Sax, note, NoteDocument);
BENCHMARK_CAPTURE(BM_PropParserParse, note, NoteDocument);
BENCHMARK_CAPTURE(BM_PropParserOverReader, note_paired, NoteDocument);
BENCHMARK_CAPTURE(BM_PropParserMakeDocument, note_write, NoteDocument);
BENCHMARK_CAPTURE(BM_SimpleXMLParser, settings, SettingsDocument);
BENCHMARK_CAPTURE(BM_Ref_LibXml2Sax, settings, SettingsDocument);
BENCHMARK_CAPTURE(BM_PropParserParse, settings, SettingsDocument);
BENCHMARK_CAPTURE(BM_PropParserOverReader, settings_paired, SettingsDocument);
BENCHMARK_CAPTURE(BM_PropParserMakeDocument, settings_write, SettingsDocument);
