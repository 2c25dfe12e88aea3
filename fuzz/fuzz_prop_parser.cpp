// Property documents arrive from other computers: any bytes must parse without
// fault, and whatever parses must write a document that parses again the same.
#include "core/store/PropParser.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size); // c_str() adds the terminator
    CPropParser model;
    if (model.Parse(text.c_str()) != 1)
        return 0;

    const std::string document = model.MakeDocument();
    CPropParser again;
    if (again.Parse(document.c_str()) != 1)
        std::abort();
    // A second round must be stable: what was read is written the same way.
    if (again.MakeDocument() != document)
        std::abort();
    return 0;
}
