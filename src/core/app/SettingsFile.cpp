#include "core/app/SettingsFile.h"

#include "core/base/FieldText.h"
#include "core/base/Paths.h"
#include "core/stream/DataFiles.h"
#include "core/stream/FileError.h"
#include "core/xml/SimpleXMLParser.h"

#include <cerrno>
#include <cstring>

namespace {

std::string ParentFolder(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

} // namespace

bool CSettingsFile::Parses(const std::string& text) {
    CPropParser probe;
    return probe.Parse(text.c_str()) == CSimpleXMLParser::kParsed;
}

CSettingsFile::LoadResult CSettingsFile::Load(CPropParser& model) {
    return Load(CPaths::SettingsFile(), model);
}

CSettingsFile::LoadResult CSettingsFile::Load(const std::string& path, CPropParser& model) {
    std::string text;
    LoadResult result = LoadResult::Missing;
    if (ReadWholeFile(path, text))
        result = model.Parse(text.c_str()) == CSimpleXMLParser::kParsed ? LoadResult::Loaded : LoadResult::Unparsable;
    // Notes need somewhere to go even when the settings do not say where.
    if (model.m_application.SavePath[0] == '\0')
        CopyField(model.m_application.SavePath, CPaths::DefaultSavePath());
    return result;
}

void CSettingsFile::Save(const CPropParser& model) {
    Save(CPaths::SettingsFile(), model);
}

void CSettingsFile::Save(const std::string& path, const CPropParser& model) {
    CPropParser settings = model;
    settings.m_hasApplication = settings.m_hasSheet = settings.m_hasFont = settings.m_hasNetwork = true;
    settings.m_hasGroupList = true;
    settings.m_hasInform = false;
    settings.m_body.clear();

    const std::string folder = ParentFolder(path);
    if (!EnsureFolder(folder, kPrivateFolderMode))
        throw CFileError("Cannot create the folder " + folder + ": " + std::strerror(errno), errno);
    KeepAsBadIfUnparsable(path, &CSettingsFile::Parses);
    WriteFileAtomically(path, settings.MakeDocument(), kPrivateFileMode);
}
