// Feeds arbitrary Authorization values, user names and passwords (separated by NUL bytes) to
// the credential check, and checks that Base64 and MD5-crypt keep their shape on any input.
#include "core/net/Base64.h"
#include "core/net/Credentials.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 512)
        return 0;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const size_t first = input.find('\0');
    const std::string_view value = input.substr(0, first);
    std::string_view user, password;
    if (first != std::string_view::npos) {
        const std::string_view rest = input.substr(first + 1);
        const size_t second = rest.find('\0');
        user = rest.substr(0, second);
        if (second != std::string_view::npos)
            password = rest.substr(second + 1);
    }

    CheckCredentials(value, user, password);

    std::string decoded;
    if (Base64Decode(value, decoded)) {
        std::string again;
        if (!Base64Decode(Base64Encode(decoded), again) || again != decoded)
            __builtin_trap();
    } else if (!decoded.empty()) {
        __builtin_trap();
    }

    // MD5-crypt is slow by design: two runs per input (make and check) must cover it.
    const std::string digest = MakeDigestAuthorization(user, password, value);
    const std::string_view hash = std::string_view(digest).substr(7);
    if (hash.compare(0, 3, "$1$") != 0 || hash.size() > 3 + 8 + 1 + 22 || hash.size() < 3 + 1 + 22)
        __builtin_trap();
    if (!CheckCredentials(digest, user, password))
        __builtin_trap();
    if (!CheckCredentials(MakeBasicAuthorization(user, password), user, password))
        __builtin_trap();
    return 0;
}
