#pragma once

#include <mutex>
#include <string>

// The outside instant messenger, reached through its plug-in library
// libchatbus.so.1, loaded at run time so that the program neither needs nor
// links it. The library is expected to export two C functions:
//
//   int IsMessengerRunning(void);
//       1 while a messenger runs that accepts plug-in messages; anything else
//       means none does.
//   int PutPluginMessage(const char* pluginId, const void* data, int length);
//       hands `length` bytes at `data` to the messenger, tagged with the
//       zero-terminated plug-in identifier; the result is not relied on.
//
// No library, or a library without those symbols, means no messenger runs.
// The library is looked for again on each call until it has been found, so a
// messenger installed while the program runs is picked up. Thread-safe.
class CMessenger {
public:
    static constexpr const char* kLibraryName = "libchatbus.so.1";
    // Names another library file to load instead (end-to-end tests use a double).
    static constexpr const char* kLibraryVariable = "QUILLET_CHATBUS_LIBRARY";
    // The identifier this program's notes carry.
    static constexpr const char* kPluginId = "{1A23B247-C9CF-43f5-A7AE-6B1FF4BDB52A}";

    // `library` as dlopen takes it; empty = $QUILLET_CHATBUS_LIBRARY, else kLibraryName.
    explicit CMessenger(std::string library = {});
    ~CMessenger();
    CMessenger(const CMessenger&) = delete;
    CMessenger& operator=(const CMessenger&) = delete;

    // True only when the library is there and says 1.
    bool IsMessengerRunning();
    // Hands a note document over with kPluginId. False when there is no
    // library or the data is too long for the library's int length; true
    // otherwise, whatever the library answers.
    bool PutPluginMessage(const std::string& data);

    const std::string& LibraryName() const { return m_library; }

private:
    using IsRunningFunction = int (*)();
    using PutMessageFunction = int (*)(const char*, const void*, int);

    bool Load(); // with m_mutex held

    std::mutex m_mutex;
    std::string m_library;
    void* m_handle = nullptr;
    IsRunningFunction m_isRunning = nullptr;
    PutMessageFunction m_putMessage = nullptr;
};
