#pragma once

#include <chrono>
#include <string>

// One running program per user: a lock file h_Pinlet_PrevInstance_<user> in
// $XDG_RUNTIME_DIR (else /tmp), held with an exclusive flock for as long as the
// object lives. The kernel drops the lock when the process dies, so a crash
// never leaves a stale "instance" behind; the file itself is never removed
// (unlinking a lock file races with a process that has just opened it).
//
// The bridge probes the lock with a shared lock taken for an instant. A start
// that meets such a probe retries for a while instead of concluding that
// another instance runs.
class CInstanceLock {
public:
    static constexpr const char* kNamePrefix = "h_Pinlet_PrevInstance_";
    // Replaces the user name in the lock name (tests simulate other users with it).
    static constexpr const char* kNameVariable = "QUILLET_INSTANCE_NAME";
    // How long TryAcquire keeps retrying while the lock is busy.
    static constexpr std::chrono::milliseconds kDefaultRetryWindow{1000};
    static constexpr std::chrono::milliseconds kRetryStep{20};

    enum class EState {
        Unlocked, // not tried yet, or released
        Acquired, // this object holds the lock
        Busy,     // another holder kept it for the whole retry window: another instance runs
        Refused,  // the lock file cannot be trusted or opened (symlink, foreign owner, no folder)
    };

    CInstanceLock();
    ~CInstanceLock();
    CInstanceLock(const CInstanceLock&) = delete;
    CInstanceLock& operator=(const CInstanceLock&) = delete;

    // Takes the lock, retrying for up to `retryWindow` while someone else holds
    // it. True when this object now holds it; State() tells why not otherwise.
    bool TryAcquire(std::chrono::milliseconds retryWindow = kDefaultRetryWindow);
    void Release();
    EState State() const { return m_state; }
    const std::string& Path() const { return m_path; }

    // h_Pinlet_PrevInstance_<user>, the user part from QUILLET_INSTANCE_NAME
    // when set, else the effective user's login name.
    static std::string LockName();
    // $XDG_RUNTIME_DIR/<name> when that is an absolute folder, else /tmp/<name>.
    static std::string LockPath();
    // True when a program holds the lock now. Takes a shared lock and drops it
    // at once; never creates the file and never blocks.
    static bool IsHeld();

private:
    std::string m_path;
    int m_fd = -1;
    EState m_state = EState::Unlocked;
};
