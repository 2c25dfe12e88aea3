// Reads arbitrary bytes as a note body, writes the result and reads that back:
// nothing may crash, and the written RTF must hold exactly what was read.
#include "core/note/RtfReader.h"
#include "core/note/RtfWriter.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 1 << 20)
        return 0;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const CStyledText first = CRtfReader::Read(input);
    const std::string written = CRtfWriter::Write(first);
    const CStyledText second = CRtfReader::Read(written, first.DefaultFormat());
    if (second.PlainText() != first.PlainText())
        __builtin_trap();
    if (!(second == first))
        __builtin_trap();
    return 0;
}
