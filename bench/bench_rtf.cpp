// The RTF codec on 64 KiB note bodies: one written by our writer (mixed
// formats, Latin with accents, Japanese as \uN?, emoji), one as a Japanese
// rich-edit control writes it (Shift-JIS \'hh pairs). Throughput is in bytes of
// RTF. BM_Ref_PlainTextModel builds the same paragraphs from plain text: what
// the model costs without any RTF.
#include "core/note/RtfReader.h"
#include "core/note/RtfWriter.h"
#include "core/note/StyledText.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

constexpr std::size_t kNoteBytes = 64 * 1024;

CStyledText FormattedNote() {
    CharFormat base;
    base.FaceName = "Arial";
    base.HalfPoints = 20;
    CStyledText document(base);
    CharFormat bold = base;
    bold.Bold = true;
    CharFormat red = base;
    red.Color = 0x0000FF;
    red.Underline = true;
    CharFormat japanese = base;
    japanese.FaceName = "ＭＳ 明朝";
    japanese.HalfPoints = 21;
    std::string rtf;
    for (int i = 0; rtf.size() < kNoteBytes; ++i) {
        Paragraph& paragraph = document.AddParagraph(i % 5 == 0 ? Alignment::Center : Alignment::Left);
        paragraph.Runs.push_back({"The quick brown fox jumps over the lazy dog; ", base});
        paragraph.Runs.push_back({"crème brûlée ", bold});
        paragraph.Runs.push_back({"こんにちは、世界。", japanese});
        paragraph.Runs.push_back({"{braces} \\ and 😀 ", red});
        if (i % 16 == 15)
            rtf = CRtfWriter::Write(document);
    }
    return document;
}

const CStyledText& Note() {
    static const CStyledText note = FormattedNote();
    return note;
}

const std::string& NoteRtf() {
    static const std::string rtf = CRtfWriter::Write(Note());
    return rtf;
}

const std::string& RichEditCp932() {
    static const std::string rtf = [] {
        std::string text =
            "{\\rtf1\\ansi\\ansicpg932\\deff0\\deflang1033\\deflangfe1041{\\fonttbl{\\f0\\fnil\\fcharset128 "
            "\\'82\\'6c\\'82\\'72 \\'96\\'be\\'92\\'a9;}{\\f1\\fswiss\\fcharset0 Arial;}}"
            "{\\colortbl ;\\red255\\green0\\blue0;}\r\n{\\*\\generator Riched20 10.0.19041}"
            "\\viewkind4\\uc1\\pard\\lang1041\\f0\\fs18 ";
        while (text.size() < kNoteBytes) {
            text += "\\'82\\'b1\\'82\\'f1\\'82\\'c9\\'82\\'bf\\'82\\'cd\\'81\\'41\\'90\\'a2\\'8a\\'45\\'81\\'42"
                    "\\f1 Latin text \\f0\\cf1\\b \\'8f\\'64\\'97\\'76\\cf0\\b0\\par\r\n";
        }
        return text + "}";
    }();
    return rtf;
}

void BM_RtfRead(benchmark::State& state, const std::string& (*rtf)()) {
    const std::string& bytes = rtf();
    for (auto _ : state)
        benchmark::DoNotOptimize(CRtfReader::Read(bytes));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes.size()));
}

void BM_RtfWrite(benchmark::State& state) {
    const CStyledText& note = Note();
    for (auto _ : state)
        benchmark::DoNotOptimize(CRtfWriter::Write(note));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(NoteRtf().size()));
}

void BM_Ref_PlainTextModel(benchmark::State& state) {
    const std::string text = Note().PlainText();
    for (auto _ : state)
        benchmark::DoNotOptimize(CStyledText::FromPlainText(text, Note().DefaultFormat()));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(NoteRtf().size()));
}

} // namespace

BENCHMARK_CAPTURE(BM_RtfRead, note, NoteRtf);
BENCHMARK(BM_RtfWrite)->Name("BM_RtfWrite/note");
BENCHMARK(BM_Ref_PlainTextModel)->Name("BM_Ref_PlainTextModel/note");
BENCHMARK_CAPTURE(BM_RtfRead, richedit_cp932, RichEditCp932);
