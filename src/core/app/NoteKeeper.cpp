#include "core/app/NoteKeeper.h"

#include "core/base/PromptPort.h"
#include "core/base/Strings.h"
#include "core/store/DataBase.h"
#include "core/stream/DataFiles.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <unistd.h>

namespace {

// The ID a file name spells as the program writes it ("12", "-5"), else 0.
int IdOfName(const std::string& name) {
    if (name.empty() || name.size() > 11)
        return 0;
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(name.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || value < INT32_MIN || value > INT32_MAX)
        return 0;
    const int id = static_cast<int>(value);
    return std::to_string(id) == name ? id : 0;
}

} // namespace

CNoteKeeper::CNoteKeeper(CDataBase& store, CPromptPort* prompt, Log log)
    : m_store(store), m_prompt(prompt), m_log(std::move(log)) {}

std::vector<int> CNoteKeeper::LoadAll() {
    std::vector<NoteFile> files = LoadNoteFiles(m_savePath);
    // Files named by an ID hold their notes already: they load first and keep
    // that ID, and no note read from elsewhere may take it.
    std::stable_partition(files.begin(), files.end(), [](const NoteFile& file) { return IdOfName(file.Name) != 0; });
    for (const NoteFile& file : files)
        if (const int own = IdOfName(file.Name))
            m_store.ReserveId(own);

    std::vector<int> loaded;
    for (const NoteFile& file : files) {
        const int own = IdOfName(file.Name);
        if (own != 0)
            m_store.ReleaseId(own);
        const int id = m_store.LoadMessage(file.Contents.data(), static_cast<int>(file.Contents.size()), false);
        if (id == 0) {
            if (own != 0)
                m_store.ReserveId(own);
            m_unparsable.insert(file.Name);
            if (m_log)
                m_log("not a note, left as it is: " + file.Name);
            continue;
        }
        loaded.push_back(id);
        if (id != own) {
            // Its file stays until the note is written under its own name.
            if (own != 0)
                m_store.ReserveId(own);
            m_origins[id] = file.Name;
        }
    }
    // Only now: a note's new file or temporary file may have the name of a
    // file that had not been read yet.
    for (const int id : loaded)
        if (m_origins.count(id) != 0)
            Save(id);
    m_store.RaiseTopmost();
    return loaded;
}

int CNoteKeeper::Create(const std::string& text) {
    if (m_store.GetCount() >= kMaxMessages) {
        if (m_prompt != nullptr)
            m_prompt->ShowMessage(strings::kMessageLimit, {}, CPromptPort::Icon::Stop);
        return 0;
    }
    return m_store.AddMessage(text);
}

int CNoteKeeper::Receive(const CInboundSlot::Item& item) {
    int id = 0;
    m_lastSaved = 0;
    if (item.Command == CInboundSlot::kPlainText) {
        id = m_store.AddMessage(item.Bytes);
    } else if (item.Command == CInboundSlot::kNoteDocument) {
        id = m_store.LoadMessage(item.Bytes.data(), static_cast<int>(item.Bytes.size()), true);
        if (id != 0)
            m_store.RaiseTopmost();
    }
    // On disk before anything else can happen to it. Showing a note window
    // reports it changed, which saves it already: a second write would only
    // leave a window for a crash to find its temporary file in.
    if (id != 0 && m_lastSaved != id)
        SaveReporting(id);
    return id;
}

bool CNoteKeeper::Save(int id) {
    const std::string document = m_store.Serialize(id);
    if (document.empty())
        return true;
    try {
        SaveNoteFile(m_savePath, id, document, TemporaryName(id));
    } catch (const std::exception& error) {
        // The note stays in memory and is tried again with the next save.
        if (m_log)
            m_log("note " + std::to_string(id) + " not saved: " + error.what());
        m_unsaved.insert(id);
        return false;
    }
    m_unsaved.erase(id);
    m_lastSaved = id;
    if (const auto origin = m_origins.find(id); origin != m_origins.end()) {
        const std::string name = origin->second;
        m_origins.erase(origin);
        Remove(name);
    }
    return true;
}

bool CNoteKeeper::SaveReporting(int id) {
    if (Save(id))
        return true;
    ReportSaveFailure();
    return false;
}

bool CNoteKeeper::SaveModified() {
    if (m_saving)
        return true;
    m_saving = true;
    EnsureFolder(m_savePath, kPrivateFolderMode);
    bool saved = true;
    for (const int id : m_store.GetIds())
        if (m_store.IsModified(id) || m_unsaved.count(id) != 0 || m_origins.count(id) != 0)
            saved = Save(id) && saved;
    if (!saved)
        ReportSaveFailure();
    m_saving = false;
    return saved;
}

void CNoteKeeper::ReportSaveFailure() {
    if (!m_interactive || m_prompt == nullptr) {
        if (m_log)
            m_log(strings::EnglishText(strings::kSaveFailed));
        return;
    }
    // One box at a time: saves go on while it is open.
    if (m_reporting)
        return;
    m_reporting = true;
    m_prompt->ShowMessage(strings::kSaveFailed, {}, CPromptPort::Icon::Stop);
    m_reporting = false;
}

bool CNoteKeeper::MoveTo(const std::string& savePath) {
    m_savePath = savePath;
    // Those files lie in the old folder.
    m_origins.clear();
    m_unparsable.clear();
    for (const int id : m_store.GetIds())
        m_unsaved.insert(id);
    return SaveModified();
}

void CNoteKeeper::Forget(int id) {
    m_unsaved.erase(id);
    if (!DeleteNoteFile(m_savePath, id) && m_log)
        m_log("note file not deleted: " + NoteFilePath(m_savePath, id));
    if (const auto origin = m_origins.find(id); origin != m_origins.end()) {
        const std::string name = origin->second;
        m_origins.erase(origin);
        Remove(name);
    }
}

std::string CNoteKeeper::TemporaryName(int id) const {
    // A left-over "<id>_tmp" may hold the only copy of a note: never truncate it.
    const std::string base = std::to_string(id) + "_tmp";
    std::string name = base;
    for (int k = 1; IsProtected(name); ++k)
        name = base + "." + std::to_string(k);
    return name;
}

bool CNoteKeeper::IsProtected(const std::string& name) const {
    if (m_unparsable.count(name) != 0)
        return true;
    return std::any_of(m_origins.begin(), m_origins.end(), [&](const auto& origin) { return origin.second == name; });
}

void CNoteKeeper::Remove(const std::string& name) {
    const std::string path = SaveFolderPath(m_savePath, name);
    if (unlink(path.c_str()) != 0 && errno != ENOENT) {
        if (m_log)
            m_log("cannot remove " + path + ": " + std::strerror(errno));
        return;
    }
    if (const int own = IdOfName(name))
        m_store.ReleaseId(own);
}
