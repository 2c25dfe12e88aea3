// Feeds arbitrary bytes to the message-list reader that a client runs on a
// server's answer. Whatever it reads must survive being written and read again.
#include "core/net/ListHandler.h"
#include "core/net/MessageList.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 1 << 20)
        return 0;
    CMessageList list;
    if (!ParseMessageList(std::string_view(reinterpret_cast<const char*>(data), size), list))
        return 0;
    CMessageList again;
    if (!ParseMessageList(list.MakeDocument(), again) || !(again == list))
        __builtin_trap();
    return 0;
}
