// Parses arbitrary bytes as a response. Whatever parses must be written and parsed back to
// the same status line and body.
#include "core/net/HTTPResponse.h"
#include "core/stream/MemInputStream.h"
#include "core/stream/MemOutputStream.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 1 << 20)
        return 0;
    CMemInputStream input(data, static_cast<int>(size));
    CHTTPResponse response;
    const bool parsed = response.Parse(&input);
    if (parsed != (response.GetStatus() != 0) || response.GetStatus() < 0)
        __builtin_trap();
    if (!parsed)
        return 0;

    if (response.GetHeaders().size() + 4 > kMaxHeaderLines)
        return 0;
    for (const auto& [name, value] : response.GetHeaders())
        if (name.size() + value.size() + 4 > kMaxHeaderLine)
            return 0;

    CMemOutputStream output;
    response.Write(&output);
    CMemInputStream again(output.GetBuffer(), output.GetLength());
    CHTTPResponse reparsed;
    if (!reparsed.Parse(&again))
        __builtin_trap();
    if (reparsed.GetStatus() != response.GetStatus() || reparsed.GetReason() != response.GetReason() ||
        reparsed.GetVersion() != response.GetVersion() || reparsed.GetBodyText() != response.GetBodyText() ||
        reparsed.GetHeaders() != response.GetHeaders())
        __builtin_trap();
    if (response.GetBodyLength() > 0 && reparsed.GetContentType() != response.GetContentType())
        __builtin_trap();
    return 0;
}
