#pragma once

#include <iconv.h>

#include <map>
#include <string>
#include <string_view>

// Turns bytes of a Windows code page into UTF-8 with glibc's iconv. Converters
// are opened on first use and kept for the life of the object.
class CCodePageDecoder {
public:
    static constexpr int kWindowsLatin1 = 1252;
    static constexpr int kUtf8 = 65001;

    CCodePageDecoder() = default;
    ~CCodePageDecoder();
    CCodePageDecoder(const CCodePageDecoder&) = delete;
    CCodePageDecoder& operator=(const CCodePageDecoder&) = delete;

    // Appends the UTF-8 form of bytes in the code page to out. Bytes the code
    // page does not define become U+FFFD; an unknown code page is read as 1252.
    void Decode(int codePage, std::string_view bytes, std::string& out);

    // UTF-8 where the bytes are valid UTF-8; every other byte is taken as Windows-1252.
    void DecodeUtf8OrLatin1(std::string_view bytes, std::string& out);

    // The code page of a font character set (\fcharsetN), or 0 when the
    // character set names none (1 = DEFAULT_CHARSET and unknown values).
    static int CodePageOfCharset(int charset);

private:
    iconv_t Converter(int codePage);

    std::map<int, iconv_t> m_converters;
};
