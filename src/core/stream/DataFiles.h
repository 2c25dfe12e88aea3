#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

// Files on disk: nothing is lost. Every write goes to "<name>_tmp", is flushed
// to the disk and then renamed over the final name, so a failed write leaves the
// previous file as it was. Failures throw CFileError (core/stream/FileError.h)
// carrying errno and the path.

// Writes bytes to path atomically with the given mode. The folder must exist.
// The temporary file is "<path>_tmp" unless another name is given.
void WriteFileAtomically(const std::string& path, std::string_view bytes, mode_t mode);
void WriteFileAtomically(const std::string& path, std::string_view bytes, mode_t mode, const std::string& temporary);

// Reads a whole regular file. False (contents untouched) when it is missing,
// unreadable or not a regular file.
bool ReadWholeFile(const std::string& path, std::string& contents);

// Creates folder with mode (and its missing parents with 0755, before the umask).
// True when it exists as a folder afterwards.
bool EnsureFolder(const std::string& folder, mode_t mode);

// A file that the program cannot understand (or cannot read) is kept as
// "<path>.bad" before the program writes its own over it. Returns true when the
// file was moved aside, false when it is missing or understood; throws CFileError
// when it cannot be moved, so that the caller does not overwrite it.
bool KeepAsBadIfUnparsable(const std::string& path, const std::function<bool(const std::string&)>& parses);

// Note files: "<savePath>/<id>", the ID in decimal, no extension.
inline constexpr mode_t kPrivateFileMode = 0600;
inline constexpr mode_t kPrivateFolderMode = 0700;

std::string NoteFilePath(const std::string& savePath, int id);
// Writes a note's document, creating the save folder (0700) when missing. Throws
// CFileError when the note could not be stored.
void SaveNoteFile(const std::string& savePath, int id, std::string_view document);
// The same through a temporary file of the given name in the save folder.
void SaveNoteFile(const std::string& savePath, int id, std::string_view document, const std::string& temporaryName);
// The file of that name in the save folder.
std::string SaveFolderPath(const std::string& savePath, const std::string& name);
// Removes a note's file; true when it is gone (or was never there).
bool DeleteNoteFile(const std::string& savePath, int id);

struct NoteFile {
    std::string Name;     // the entry's name in the save folder
    std::string Contents; // the whole file
};
// Every readable regular file of the save folder, whatever its name (a left-over
// "_tmp" file too), ordered by name. The folder is created (0700) when missing.
std::vector<NoteFile> LoadNoteFiles(const std::string& savePath);
