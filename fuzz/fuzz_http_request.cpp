// Parses arbitrary bytes as a request. Whatever parses must be written and parsed back to
// the same method, path, version and body.
#include "core/net/HTTPRequest.h"
#include "core/stream/MemInputStream.h"
#include "core/stream/MemOutputStream.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 1 << 20)
        return 0;
    CMemInputStream input(data, static_cast<int>(size));
    CHTTPRequest request;
    const bool parsed = request.Parse(&input);

    // The server's buffered reader must agree with the stream reader however the
    // bytes arrive: fed in pieces whose lengths the input's own bytes choose.
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    HTTPCodec::CHeadScanner scanner;
    CHTTPRequest buffered;
    int length = 0;
    bool agreed = false;
    bool bad = false;
    for (size_t fed = 0, step = 0; fed < size && !bad; ++step) {
        fed = std::min(size, fed + 1 + data[step % size] % 64);
        bad = scanner.Feed(bytes.substr(0, fed)) == HTTPCodec::CHeadScanner::EState::Bad;
    }
    if (!bad && scanner.Feed(bytes) == HTTPCodec::CHeadScanner::EState::Complete &&
        buffered.ParseHead(scanner.Lines(), kMaxBody, length) && size - scanner.Used() >= static_cast<size_t>(length)) {
        buffered.SetBodyText(std::string(bytes.substr(scanner.Used(), static_cast<size_t>(length))));
        agreed = true;
    }
    if (agreed != parsed)
        __builtin_trap();
    if (!parsed)
        return 0;
    if (buffered.GetMethod() != request.GetMethod() || buffered.GetPath() != request.GetPath() ||
        buffered.GetHeaders() != request.GetHeaders() || buffered.GetBodyText() != request.GetBodyText())
        __builtin_trap();
    if (request.GetBodyLength() > kMaxBody || request.GetMethod() < 0 || request.GetMethod() > 2)
        __builtin_trap();

    // Writing adds Host and the body lines and normalises "name:value" to "name: value", so
    // a head right at the limits may not fit again; an empty version cannot survive the
    // split either.
    if (request.GetVersion().empty() || request.GetHeaders().size() + 4 > kMaxHeaderLines)
        return 0;
    for (const auto& [name, value] : request.GetHeaders())
        if (name.size() + value.size() + 4 > kMaxHeaderLine)
            return 0;

    CMemOutputStream output;
    request.Write(&output);
    CMemInputStream again(output.GetBuffer(), output.GetLength());
    CHTTPRequest reparsed;
    if (!reparsed.Parse(&again))
        __builtin_trap();
    if (reparsed.GetMethod() != request.GetMethod() || reparsed.GetPath() != request.GetPath() ||
        reparsed.GetVersion() != request.GetVersion() || reparsed.GetBodyText() != request.GetBodyText())
        __builtin_trap();
    if (request.GetBodyLength() > 0 && reparsed.GetContentType() != request.GetContentType())
        __builtin_trap();
    return 0;
}
