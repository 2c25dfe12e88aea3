#pragma once

#include "core/store/PropParser.h"

#include <string>

// The settings document: application, default sheet and font of new notes,
// network settings and the group list.
class CSettingsFile {
public:
    enum class LoadResult { Loaded, Missing, Unparsable };

    // Reads the settings into model. A missing or unparsable file leaves the
    // model's records as they were. Afterwards an empty SavePath is always the
    // default save folder.
    static LoadResult Load(CPropParser& model);
    static LoadResult Load(const std::string& path, CPropParser& model);

    // Writes the model's application, sheet, font and network records and its
    // group table (never a reminder or a body), creating the folder (0700) when
    // missing; the file gets mode 0600. An existing file that does not parse is
    // first kept as "<path>.bad". Throws CFileError when the file could not be written.
    static void Save(const CPropParser& model);
    static void Save(const std::string& path, const CPropParser& model);

    // True when text is a property document the reader accepts.
    static bool Parses(const std::string& text);
};
