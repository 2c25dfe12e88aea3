// A stand-in for the messenger's plug-in library. It appends every call to the
// file named by CHATBUS_DOUBLE_LOG and answers IsMessengerRunning with
// CHATBUS_DOUBLE_RUNNING (default 1).
#include <cstdio>
#include <cstdlib>

namespace {

FILE* OpenLog() {
    const char* path = std::getenv("CHATBUS_DOUBLE_LOG");
    return path != nullptr ? std::fopen(path, "ab") : nullptr;
}

} // namespace

extern "C" __attribute__((visibility("default"))) int IsMessengerRunning(void) {
    if (FILE* log = OpenLog()) {
        std::fputs("IsMessengerRunning\n", log);
        std::fclose(log);
    }
    const char* running = std::getenv("CHATBUS_DOUBLE_RUNNING");
    return running != nullptr ? std::atoi(running) : 1;
}

// Logged as "PutPluginMessage <id> <length>\n" followed by the bytes and "\n".
extern "C" __attribute__((visibility("default"))) int PutPluginMessage(const char* pluginId, const void* data,
                                                                       int length) {
    if (FILE* log = OpenLog()) {
        std::fprintf(log, "PutPluginMessage %s %d\n", pluginId != nullptr ? pluginId : "(null)", length);
        if (length > 0)
            std::fwrite(data, 1, static_cast<size_t>(length), log);
        std::fputs("\n", log);
        std::fclose(log);
    }
    return 1;
}
