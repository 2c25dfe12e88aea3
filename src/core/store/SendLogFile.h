#pragma once

#include <string>

class CDestInfo;

// How reading the send-log file went.
enum class SendLogStatus {
    Loaded,     // the file parsed; the list holds what it lists
    Missing,    // no file: the list is unchanged
    Unreadable, // the file could not be opened or read: the list is unchanged
    NotParsed,  // the file is not a send-log document: the list is unchanged
};

// Reads the send-log file into list. Nothing is reported to the user.
SendLogStatus LoadSendLog(const std::string& path, CDestInfo& list);

// Replaces the send-log file atomically (path + "_tmp", fsync, rename), mode
// 0600. A non-empty file at path that does not parse is first kept as
// path + ".bad" (replacing an older one), so a damaged log is never silently
// lost. Returns false, with the previous file intact, when anything fails.
bool SaveSendLog(const std::string& path, const CDestInfo& list);
