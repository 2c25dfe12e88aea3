#include "core/note/CodePageDecoder.h"

#include "core/note/Utf8.h"

#include <cerrno>

namespace {

const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);

void AppendReplacement(std::string& out) {
    utf8::Append(out, utf8::kReplacement);
}

} // namespace

CCodePageDecoder::~CCodePageDecoder() {
    for (auto& [codePage, cd] : m_converters) {
        if (cd != kNoConverter)
            iconv_close(cd);
    }
}

int CCodePageDecoder::CodePageOfCharset(int charset) {
    switch (charset) {
    case 0:  // ANSI
    case 2:  // symbol: its glyphs sit on the Latin-1 code points
    case 77: // Mac Roman, as rich-edit controls treat it
        return 1252;
    case 128:
        return 932;
    case 129:
        return 949;
    case 134:
        return 936;
    case 136:
        return 950;
    case 161:
        return 1253;
    case 162:
        return 1254;
    case 163:
        return 1258;
    case 177:
        return 1255;
    case 178:
        return 1256;
    case 186:
        return 1257;
    case 204:
        return 1251;
    case 222:
        return 874;
    case 238:
        return 1250;
    default:
        return 0;
    }
}

iconv_t CCodePageDecoder::Converter(int codePage) {
    const auto found = m_converters.find(codePage);
    if (found != m_converters.end())
        return found->second;
    // Only the code pages Windows peers use; anything else is read as 1252.
    std::string name;
    switch (codePage) {
    case 10000:
        name = "MACINTOSH";
        break;
    case 437:
    case 850:
    case 852:
    case 866:
    case 874:
    case 932:
    case 936:
    case 949:
    case 950:
    case 1250:
    case 1251:
    case 1252:
    case 1253:
    case 1254:
    case 1255:
    case 1256:
    case 1257:
    case 1258:
        name = "CP" + std::to_string(codePage);
        break;
    default:
        return Converter(kWindowsLatin1);
    }
    iconv_t cd = iconv_open("UTF-8", name.c_str());
    m_converters.emplace(codePage, cd);
    return cd;
}

void CCodePageDecoder::Decode(int codePage, std::string_view bytes, std::string& out) {
    if (bytes.empty())
        return;
    if (codePage == kUtf8) {
        DecodeUtf8OrLatin1(bytes, out);
        return;
    }
    iconv_t cd = codePage > 0 ? Converter(codePage) : kNoConverter;
    if (cd == kNoConverter)
        cd = Converter(kWindowsLatin1);
    if (cd == kNoConverter) {
        // No converter at all: keep ASCII, mark the rest.
        for (char c : bytes) {
            if (static_cast<unsigned char>(c) < 0x80)
                out += c;
            else
                AppendReplacement(out);
        }
        return;
    }

    char* in = const_cast<char*>(bytes.data());
    size_t inLeft = bytes.size();
    char buffer[1024];
    while (inLeft > 0) {
        char* to = buffer;
        size_t toLeft = sizeof buffer;
        const size_t result = iconv(cd, &in, &inLeft, &to, &toLeft);
        out.append(buffer, static_cast<size_t>(to - buffer));
        if (result != static_cast<size_t>(-1))
            continue;
        if (errno == E2BIG)
            continue;
        // EILSEQ or EINVAL (a lead byte without its trail): one byte is lost.
        AppendReplacement(out);
        ++in;
        --inLeft;
    }
    // Stateful code pages (1258 combines diacritics) hold back the last character.
    char* to = buffer;
    size_t toLeft = sizeof buffer;
    iconv(cd, nullptr, nullptr, &to, &toLeft);
    out.append(buffer, static_cast<size_t>(to - buffer));
}

void CCodePageDecoder::DecodeUtf8OrLatin1(std::string_view bytes, std::string& out) {
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        const std::size_t start = pos;
        char32_t cp;
        if (utf8::Next(bytes, pos, cp)) {
            out.append(bytes.substr(start, pos - start));
            continue;
        }
        // Gather the invalid bytes so the code page sees them together.
        std::size_t end = pos;
        while (end < bytes.size()) {
            std::size_t probe = end;
            if (utf8::Next(bytes, probe, cp))
                break;
            end = probe;
        }
        Decode(kWindowsLatin1, bytes.substr(start, end - start), out);
        pos = end;
    }
}
