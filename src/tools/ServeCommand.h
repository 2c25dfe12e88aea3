#pragma once

// quillet-cli serve: answers the note protocol like a running Quillet, from
// the note files of a folder, and stores what it receives there. argv[0] is
// the command as typed, the options follow. Runs until SIGINT or SIGTERM;
// returns the exit code (0 after a clean stop, 1 on failure, 2 on bad usage).
int RunServe(int argc, char** argv);
