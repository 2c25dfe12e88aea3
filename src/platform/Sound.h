#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>

// Reminder and prompt sounds through libcanberra: a WAV file by path, or the
// sound theme's warning event for the beep. Callers never wait: requests go to
// a worker thread of this object, started on first use, which opens the sound
// context (connecting to a sound server can take a while) and plays. With no
// sound server or device the requests end in silence, without a message.
class CSound {
public:
    // Files above this size are not sound effects; refusing them keeps a
    // mistaken path from loading gigabytes.
    static constexpr std::uintmax_t kMaxWaveBytes = 64u * 1024u * 1024u;
    static constexpr const char* kWarningEvent = "dialog-warning";
    // Requests beyond this many waiting ones are dropped (a burst of reminders
    // need not queue minutes of sound).
    static constexpr std::size_t kMaxPending = 8;
    // After the sound system failed to open, wait this long before trying again.
    static constexpr std::chrono::seconds kReopenDelay{30};
    // How long the destructor waits for the worker before leaving it behind.
    static constexpr std::chrono::milliseconds kStopWait{2000};

    enum class EOutcome {
        None,    // nothing handled yet
        Played,  // handed to the sound system
        Refused, // the file was not a playable regular file; the warning event was tried instead
        Silent,  // no sound system could take it
    };

    CSound();
    ~CSound();
    CSound(const CSound&) = delete;
    CSound& operator=(const CSound&) = delete;

    // Plays a WAV file. A path that is missing, not a regular file or larger
    // than kMaxWaveBytes sounds the warning event instead, as a reminder
    // should still be heard.
    void PlayFile(const std::string& path);
    // The warning beep of the sound theme.
    void Beep();

    // Waits until every request so far has been handled; false on time-out.
    bool WaitIdle(std::chrono::milliseconds timeout);
    // What became of the last handled request.
    EOutcome LastOutcome() const;

    // A regular file (after symlinks) of at most kMaxWaveBytes. Never opens
    // the file, so a FIFO or device cannot block it.
    static bool IsPlayableFile(const std::string& path);

    struct SShared; // shared with the worker so that it may outlive a stuck stop

private:
    void Post(bool beep, const std::string& path);

    std::shared_ptr<SShared> m_shared;
    std::thread m_worker;
};
