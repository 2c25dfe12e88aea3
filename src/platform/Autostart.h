#pragma once

#include <string>

// The program's start-up entry: an XDG autostart desktop entry Quillet.desktop
// in the user's autostart folder ($XDG_CONFIG_HOME/autostart). An entry of the
// same name for all users (/etc/xdg/autostart) is removed whenever the setting
// is applied and we are allowed to, so that the user's choice is the one that
// counts.
class CAutostart {
public:
    static constexpr const char* kEntryName = "Quillet.desktop";
    static constexpr const char* kDefaultAllUsersFolder = "/etc/xdg/autostart";

    // The user's folder from the environment, the all-users folder above and
    // the running executable as the command.
    CAutostart();

    // Seams for tests and for callers that know better.
    void SetUserFolder(const std::string& folder) { m_userFolder = folder; }
    void SetAllUsersFolder(const std::string& folder) { m_allUsersFolder = folder; }
    void SetExecutable(const std::string& path) { m_executable = path; }

    std::string UserEntryPath() const { return m_userFolder + "/" + kEntryName; }
    std::string AllUsersEntryPath() const { return m_allUsersFolder + "/" + kEntryName; }
    const std::string& Executable() const { return m_executable; }

    // Brings the entries in line with the setting: the all-users entry is
    // deleted when the folder lets us; enabled: the user entry is written when
    // missing or stale (see RefreshIfStale), an edited one is kept; disabled:
    // the user entry is deleted. True when the user entry is now present
    // exactly when enabled. Nothing is reported to the user either way.
    bool Apply(bool enable) const;

    // Rewrites the user entry when the absolute path it starts no longer
    // exists; any other entry, and no entry, is left as it is. False when a
    // stale entry could not be rewritten.
    bool RefreshIfStale() const;

    // The desktop entry written for the executable, Exec quoted as the desktop
    // entry format asks. Empty when the path cannot be expressed (control
    // characters, not absolute).
    std::string EntryText() const;

    // The running program's path from /proc/self/exe ("" when unknown).
    static std::string RunningExecutable();

private:
    std::string m_userFolder;
    std::string m_allUsersFolder;
    std::string m_executable;
};
