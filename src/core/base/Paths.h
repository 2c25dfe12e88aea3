#pragma once

#include <string>

// Where the program keeps its files, taken from the environment at each call so
// that tests can point everything at temporary folders.
class CPaths {
public:
    // $HOME, else the home folder of the password database.
    static std::string HomeFolder();
    // $XDG_CONFIG_HOME (when absolute), else $HOME/.config.
    static std::string ConfigHome();
    // <config home>/Quillet: settings, send log and local port file.
    static std::string ConfigFolder();
    static std::string SettingsFile();  // <config folder>/Quillet.ini
    static std::string SendLogFile();   // <config folder>/SendLog.ini
    static std::string LocalPortFile(); // <config folder>/localport.ini
    // $XDG_DOCUMENTS_DIR, else XDG_DOCUMENTS_DIR of <config home>/user-dirs.dirs,
    // else $HOME/Documents.
    static std::string DocumentsFolder();
    // <documents folder>/Quillet: where note files go unless the settings say otherwise.
    static std::string DefaultSavePath();
};
