#pragma once

#include "core/note/StyledText.h"

#include <string>

// Writes a styled text as RTF that rich-edit controls and other RTF readers
// open with the same text and formats: ASCII only, everything else as \uN?.
// Every paragraph ends in \par; the font table starts with the default
// format's face as \f0, colours are numbered in order of first use, so equal
// documents give byte-identical output.
class CRtfWriter {
public:
    static std::string Write(const CStyledText& text);
};
