#pragma once

#include <string>
#include <sys/types.h>

// Starts the program the way a desktop launcher would: in a session of its
// own, with /dev/null for its standard streams, none of the caller's other
// descriptors, default signal handling and the caller's environment. The
// program is a grandchild that is handed to the system at once, so the caller
// is never left with a child to reap and never sees the program's SIGCHLD.
class CProgramStarter {
public:
    // Starts `path` with no arguments in `workingFolder` (kept when it cannot be
    // entered). Returns the program's process id once it has been executed, or
    // -1 with errno set when it could not be started (missing, not executable,
    // no resources). Waits at most `timeoutMs` for the outcome of the exec.
    static pid_t Start(const std::string& path, const std::string& workingFolder, int timeoutMs);
    // True while process `pid` exists and has not ended (a zombie has ended).
    static bool IsAlive(pid_t pid);
};
