#include "platform/Sound.h"

#include <condition_variable>
#include <deque>
#include <mutex>

#include <canberra.h>
#include <dlfcn.h>
#include <sys/stat.h>

struct CSound::SShared {
    struct SRequest {
        bool beep;
        std::string path;
    };

    std::mutex mutex;
    std::condition_variable changed;
    std::deque<SRequest> pending;
    bool started = false;
    bool busy = false;
    bool stop = false;
    bool exited = false;
    EOutcome last = EOutcome::None;

    // Worker thread only.
    ca_context* context = nullptr;
    std::chrono::steady_clock::time_point retryAfter{};
};

namespace {

using SShared = CSound::SShared;

void IgnoreAlsaError(const char*, int, const char*, int, const char*, ...) {}

// Without a sound card ALSA prints its configuration errors on stderr each
// time canberra probes it. Silence is what we promise, so ALSA's error hook is
// muted, through dlopen since the library is canberra's business, not ours.
void MuteAlsa() {
    using Handler = void (*)(const char*, int, const char*, int, const char*, ...);
    void* alsa = dlopen("libasound.so.2", RTLD_NOW | RTLD_LOCAL);
    if (alsa == nullptr)
        return;
    using SetHandler = int (*)(Handler);
    if (auto set = reinterpret_cast<SetHandler>(dlsym(alsa, "snd_lib_error_set_handler")))
        set(IgnoreAlsaError);
    // Kept loaded: the hook lives inside it.
}

ca_context* OpenContext(SShared& shared) {
    if (shared.context != nullptr)
        return shared.context;
    const auto now = std::chrono::steady_clock::now();
    if (now < shared.retryAfter)
        return nullptr;
    static std::once_flag muted;
    std::call_once(muted, MuteAlsa);
    ca_context* context = nullptr;
    if (ca_context_create(&context) == CA_SUCCESS) {
        ca_context_change_props(context, CA_PROP_APPLICATION_NAME, "Quillet", CA_PROP_APPLICATION_ID, "quillet",
                                nullptr);
        if (ca_context_open(context) == CA_SUCCESS) {
            shared.context = context;
            return context;
        }
        ca_context_destroy(context);
    }
    shared.retryAfter = now + CSound::kReopenDelay;
    return nullptr;
}

bool PlayWarning(ca_context* context) {
    return ca_context_play(context, 0, CA_PROP_EVENT_ID, CSound::kWarningEvent, CA_PROP_EVENT_DESCRIPTION, "Reminder",
                           nullptr) == CA_SUCCESS;
}

CSound::EOutcome Handle(SShared& shared, const SShared::SRequest& request) {
    const bool refused = !request.beep && !CSound::IsPlayableFile(request.path);
    ca_context* context = OpenContext(shared);
    if (context == nullptr)
        return refused ? CSound::EOutcome::Refused : CSound::EOutcome::Silent;
    bool played;
    if (request.beep || refused) {
        played = PlayWarning(context);
    } else {
        // The user's own file: not worth a place in the sample cache.
        played = ca_context_play(context, 0, CA_PROP_MEDIA_FILENAME, request.path.c_str(),
                                 CA_PROP_CANBERRA_CACHE_CONTROL, "never", nullptr) == CA_SUCCESS;
    }
    if (refused)
        return CSound::EOutcome::Refused;
    return played ? CSound::EOutcome::Played : CSound::EOutcome::Silent;
}

void Work(std::shared_ptr<SShared> shared) {
    std::unique_lock lock(shared->mutex);
    for (;;) {
        shared->changed.wait(lock, [&] { return shared->stop || !shared->pending.empty(); });
        if (shared->stop)
            break;
        SShared::SRequest request = std::move(shared->pending.front());
        shared->pending.pop_front();
        shared->busy = true;
        lock.unlock();
        const CSound::EOutcome outcome = Handle(*shared, request);
        lock.lock();
        shared->busy = false;
        shared->last = outcome;
        shared->changed.notify_all();
    }
    lock.unlock();
    if (shared->context != nullptr)
        ca_context_destroy(shared->context);
    shared->context = nullptr;
    lock.lock();
    shared->exited = true;
    shared->changed.notify_all();
}

} // namespace

CSound::CSound() : m_shared(std::make_shared<SShared>()) {}

CSound::~CSound() {
    std::unique_lock lock(m_shared->mutex);
    if (!m_shared->started)
        return;
    m_shared->stop = true;
    m_shared->changed.notify_all();
    // The worker may sit in a sound server connection that takes its time;
    // exit must not hang on it. The shared state keeps it safe if it is left.
    const bool exited = m_shared->changed.wait_for(lock, kStopWait, [&] { return m_shared->exited; });
    lock.unlock();
    if (exited)
        m_worker.join();
    else
        m_worker.detach();
}

bool CSound::IsPlayableFile(const std::string& path) {
    struct stat info {};
    return !path.empty() && stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && info.st_size >= 0 &&
           static_cast<std::uintmax_t>(info.st_size) <= kMaxWaveBytes;
}

void CSound::PlayFile(const std::string& path) {
    Post(false, path);
}

void CSound::Beep() {
    Post(true, {});
}

void CSound::Post(bool beep, const std::string& path) {
    std::lock_guard lock(m_shared->mutex);
    if (m_shared->pending.size() >= kMaxPending)
        return;
    if (!m_shared->started) {
        m_worker = std::thread(Work, m_shared);
        m_shared->started = true;
    }
    m_shared->pending.push_back({beep, path});
    m_shared->changed.notify_all();
}

bool CSound::WaitIdle(std::chrono::milliseconds timeout) {
    std::unique_lock lock(m_shared->mutex);
    return m_shared->changed.wait_for(lock, timeout, [&] { return m_shared->pending.empty() && !m_shared->busy; });
}

CSound::EOutcome CSound::LastOutcome() const {
    std::lock_guard lock(m_shared->mutex);
    return m_shared->last;
}
