#pragma once

#include "core/net/InboundSlot.h"

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

class CDataBase;
class CPromptPort;

// The program's rules for keeping notes, shared by the desktop program and the
// headless server: what start-up loads from the save folder, what a received
// item becomes, the 100-note limit, and saving and deleting the files.
//
// A note file is "<id>" in the save folder. Start-up reads every file there;
// a note read from a file of another name (a copy, a left-over temporary file,
// one whose ID was taken) is written under its ID and the file it came from is
// removed once that write succeeded. Files that do not parse are never written
// or removed, and the IDs their names spell are given to no note.
class CNoteKeeper {
public:
    // At most this many notes; creating refuses beyond it.
    static constexpr int kMaxMessages = 100;

    using Log = std::function<void(const std::string&)>;

    // Questions and reports go to prompt (none: nothing is shown); log takes
    // what is only logged.
    CNoteKeeper(CDataBase& store, CPromptPort* prompt, Log log = {});
    CNoteKeeper(const CNoteKeeper&) = delete;
    CNoteKeeper& operator=(const CNoteKeeper&) = delete;

    void SetSavePath(const std::string& savePath) { m_savePath = savePath; }
    // A new save folder: every note is written there now, not only those
    // edited before the next exit. The old folder is left as it is.
    bool MoveTo(const std::string& savePath);
    const std::string& SavePath() const { return m_savePath; }
    // Not interactive (a signal, the session ending): failures are only logged.
    void SetInteractive(bool interactive) { m_interactive = interactive; }
    bool IsInteractive() const { return m_interactive; }

    // Start-up: every note of the save folder into the store. Returns the IDs
    // of the notes loaded, in load order.
    std::vector<int> LoadAll();

    // A new note with the text; 0 and message 57670 when the store is full.
    int Create(const std::string& text);
    // A received text or note document as a new note, written at once. No
    // limit: the sender was already told it arrived. 0 when it does not parse.
    int Receive(const CInboundSlot::Item& item);

    // Writes the note's file; false (nothing shown) when it could not be written.
    // The note is then tried again by SaveModified.
    bool Save(int id);
    // Save, showing message 57695 when it fails.
    bool SaveReporting(int id);
    // Writes every note that has changes not on disk yet; goes on past a note
    // that fails and reports the failure once.
    bool SaveModified();
    // Notes whose last save failed.
    bool HasUnsaved() const { return !m_unsaved.empty(); }
    // Message 57695, one box at a time; only logged when not interactive.
    void ReportSaveFailure();

    // The note has left the store: its file goes, and so does a file it was
    // read from under another name.
    void Forget(int id);

private:
    std::string TemporaryName(int id) const;
    bool IsProtected(const std::string& name) const;
    void Remove(const std::string& name);

    CDataBase& m_store;
    CPromptPort* m_prompt;
    Log m_log;
    std::string m_savePath;
    bool m_interactive = true;
    bool m_saving = false;
    bool m_reporting = false;
    std::set<int> m_unsaved;
    int m_lastSaved = 0; // the note the last successful save wrote
    // Notes read from a file not named by their ID, until written under it.
    std::map<int, std::string> m_origins;
    // Files of the save folder that did not parse.
    std::set<std::string> m_unparsable;
};
