// Our writer's output, read by an independent RTF reader (Debian's unrtf).
#include "core/note/RtfWriter.h"
#include "core/note/StyledText.h"
#include "core/note/Utf8.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

std::string RunUnrtf(const std::string& rtf) {
    char path[] = "/tmp/quillet-rtf-XXXXXX";
    const int fd = mkstemp(path);
    if (fd < 0)
        return {};
    close(fd);
    std::ofstream(path, std::ios::binary) << rtf;
    std::string output;
    const std::string command = std::string("unrtf --html ") + path + " 2>/dev/null";
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        size_t read;
        while ((read = fread(buffer, 1, sizeof buffer, pipe)) > 0)
            output.append(buffer, read);
        pclose(pipe);
    }
    unlink(path);
    return output;
}

// The text of unrtf's HTML body: tags dropped, character references decoded
// (UTF-16 surrogate halves come as separate references and are joined).
std::string HtmlText(const std::string& html) {
    std::string text;
    std::size_t pos = html.find("<body>");
    pos = pos == std::string::npos ? 0 : pos;
    char32_t high = 0;
    while (pos < html.size()) {
        const char c = html[pos];
        if (c == '<') {
            const std::size_t end = html.find('>', pos);
            if (html.compare(pos, 4, "<br>") == 0)
                text += '\n';
            pos = end == std::string::npos ? html.size() : end + 1;
        } else if (c == '&') {
            const std::size_t end = html.find(';', pos);
            if (end == std::string::npos)
                break;
            const std::string entity = html.substr(pos + 1, end - pos - 1);
            pos = end + 1;
            char32_t cp = 0;
            if (!entity.empty() && entity[0] == '#')
                cp = static_cast<char32_t>(std::strtoul(entity.c_str() + 1, nullptr, 10));
            else if (entity == "amp")
                cp = '&';
            else if (entity == "lt")
                cp = '<';
            else if (entity == "gt")
                cp = '>';
            else if (entity == "nbsp")
                cp = ' ';
            else if (entity == "eacute")
                cp = 0xE9;
            else if (entity == "egrave")
                cp = 0xE8;
            else if (entity == "uuml")
                cp = 0xFC;
            if (cp >= 0xD800 && cp <= 0xDBFF) {
                high = cp;
                continue;
            }
            if (cp >= 0xDC00 && cp <= 0xDFFF && high != 0)
                cp = 0x10000 + ((high - 0xD800) << 10) + (cp - 0xDC00);
            high = 0;
            utf8::Append(text, cp);
        } else {
            if (c != '\n' && c != '\r')
                text += c;
            ++pos;
        }
    }
    return text;
}

TEST(RtfWriterWithUnrtf, IndependentReaderSeesTextAndFormats) {
    if (std::system("command -v unrtf >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "unrtf is not installed (scripts/bootstrap installs it)";

    CharFormat base;
    base.FaceName = "ＭＳ 明朝";
    base.HalfPoints = 20;
    CStyledText document(base);
    CharFormat bold = base;
    bold.Bold = true;
    CharFormat red = base;
    red.Color = 0x0000FF;
    document.AddParagraph().Runs = {{"Plain café und Müller ", base}, {"bold part", bold}};
    document.AddParagraph().Runs = {{"こんにちは世界", red}};
    document.AddParagraph().Runs = {{"braces {x} and \\ backslash, emoji 😀", base}};

    const std::string html = RunUnrtf(CRtfWriter::Write(document));
    ASSERT_FALSE(html.empty());
    const std::string text = HtmlText(html);
    EXPECT_NE(text.find("Plain café und Müller bold part"), std::string::npos) << text;
    EXPECT_NE(text.find("こんにちは世界"), std::string::npos) << text;
    EXPECT_NE(text.find("braces {x} and \\ backslash, emoji 😀"), std::string::npos) << text;
    EXPECT_NE(html.find("<b>bold part"), std::string::npos) << html;
    EXPECT_NE(html.find("color=\"#ff0000\""), std::string::npos) << html;
    // The font table, non-ASCII face included, did not leak into the text.
    EXPECT_EQ(text.find("明朝"), std::string::npos) << text;
}

} // namespace
