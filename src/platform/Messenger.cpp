#include "platform/Messenger.h"

#include <climits>
#include <cstdlib>

#include <dlfcn.h>

CMessenger::CMessenger(std::string library) : m_library(std::move(library)) {
    if (m_library.empty()) {
        const char* override = std::getenv(kLibraryVariable);
        m_library = override != nullptr && override[0] != '\0' ? override : kLibraryName;
    }
}

CMessenger::~CMessenger() {
    if (m_handle != nullptr)
        dlclose(m_handle);
}

bool CMessenger::Load() {
    if (m_handle != nullptr)
        return true;
    void* handle = dlopen(m_library.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr)
        return false;
    auto isRunning = reinterpret_cast<IsRunningFunction>(dlsym(handle, "IsMessengerRunning"));
    auto putMessage = reinterpret_cast<PutMessageFunction>(dlsym(handle, "PutPluginMessage"));
    if (isRunning == nullptr || putMessage == nullptr) {
        dlclose(handle);
        return false;
    }
    m_handle = handle;
    m_isRunning = isRunning;
    m_putMessage = putMessage;
    return true;
}

bool CMessenger::IsMessengerRunning() {
    std::lock_guard lock(m_mutex);
    return Load() && m_isRunning() == 1;
}

bool CMessenger::PutPluginMessage(const std::string& data) {
    std::lock_guard lock(m_mutex);
    if (data.size() > static_cast<size_t>(INT_MAX) || !Load())
        return false;
    m_putMessage(kPluginId, data.data(), static_cast<int>(data.size()));
    return true;
}
