#pragma once

#include <string>

// The running program holds an exclusive flock on its instance lock file for
// its whole life. The bridge only looks: it never keeps a lock of its own.
class CInstanceLock {
public:
    // True when some process holds an exclusive lock on `path`. A missing file,
    // a symbolic link, anything but a regular file and a file of another user
    // count as "not running".
    // The shared lock taken to find out is released at once; the program
    // retries its own lock for a while, so the probe never stops it starting.
    static bool IsHeld(const std::string& path);
};
