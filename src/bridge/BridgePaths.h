#pragma once

#include <string>

// Where the bridge finds the program's instance lock, its port file and the
// program itself. Everything is read from the environment at each call so that
// tests (and scripts) can point the bridge at their own folders.
class CBridgePaths {
public:
    // $QUILLET_INSTANCE_NAME when set and not empty, else the login name of the
    // effective user, else that user's id in decimal.
    static std::string InstanceName();
    // $XDG_RUNTIME_DIR when it is an absolute path to a folder, else /tmp.
    static std::string RuntimeFolder();
    // <runtime folder>/h_Pinlet_PrevInstance_<instance name>; empty when the name
    // holds a slash.
    static std::string LockFile();
    // $HOME when absolute, else the home folder of the password database, else /tmp.
    static std::string HomeFolder();
    // $XDG_CONFIG_HOME when absolute, else <home>/.config.
    static std::string ConfigHome();
    // <config home>/Quillet/localport.ini
    static std::string PortFile();
    // The program to start: $QUILLET_APP_PATH (a name without '/' is looked up on
    // PATH), else the installed program when it is executable, else "quillet" on
    // PATH. Empty when there is none.
    static std::string AppPath();
    // The first executable regular file called `name` in the absolute folders of
    // $PATH (/usr/local/bin:/usr/bin:/bin when unset); empty when there is none.
    static std::string FindOnPath(const std::string& name);
};
