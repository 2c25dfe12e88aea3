#pragma once

#include <string>

// Where the note windows and dialogs send their sounds: a WAV file by path, or
// the warning beep. Neither call waits for the sound. The program's port plays
// through the platform's sound adapter; tests install one that records.
class CSoundPort {
public:
    virtual ~CSoundPort() = default;

    virtual void PlayFile(const std::string& path) = 0;
    virtual void Beep() = 0;

    // The installed port, or the platform's when none is installed.
    static CSoundPort& Default();
    // Installs a port (null: back to the platform's). The caller keeps ownership.
    static void SetDefault(CSoundPort* port);
};
