#pragma once

#include "core/app/SettingsFile.h"
#include "core/base/Properties.h"

#include <string>
#include <vector>

class CDataBase;
class CGroup;
class CNoteKeeper;
class CPromptPort;

// The program's settings and the rules for changing them: the application and
// network records, the defaults of new notes, and the group table that the
// store keeps. Every change is written to the settings file when it is made,
// so a crash or a power cut loses none of them.
class CSettingsKeeper {
public:
    struct Settings {
        ApplicationProperty Application;
        SheetProperty DefaultSheet;
        FontProperty DefaultFont;
        NetworkProperty Network;
    };

    // Questions go to prompt (none: every question is answered No); failures
    // to write are reported through notes, once with the notes' own.
    CSettingsKeeper(CDataBase& store, CNoteKeeper& notes, CPromptPort* prompt);
    CSettingsKeeper(const CSettingsKeeper&) = delete;
    CSettingsKeeper& operator=(const CSettingsKeeper&) = delete;

    // Start-up: reads the settings file (what is missing or unreadable keeps
    // its default), then every note of the save folder, then the group table,
    // which keeps only members that are notes. The store takes the defaults of
    // new notes, the note keeper the save folder. Returns the IDs loaded.
    std::vector<int> StartUp(CSettingsFile::LoadResult* result = nullptr);
    // Writes the settings file; false (nothing shown) when it could not be written.
    bool Write();
    // Write, showing message 57695 when it fails.
    bool Save();

    const Settings& Get() const { return m_settings; }
    const ApplicationProperty& Application() const { return m_settings.Application; }
    const NetworkProperty& Network() const { return m_settings.Network; }
    std::string SavePath() const;

    // New settings (the property sheet's OK): notes created from now on take the
    // new defaults, a new save folder gets every note at once, and the file is
    // written. True when the save folder changed.
    bool Apply(const Settings& settings);

    // A new group table (the group dialog's OK). Notes new to a group may take
    // its property; where the table says so, the members of each group whose
    // property changed take it after a question (57700).
    void ChangeGroups(const CGroup& table);
    // The groups a note belongs to, as its own dialog chose them.
    void SetNoteGroups(int id, const std::vector<std::string>& groups);
    // The store changed a membership itself (a note's group menu).
    void GroupsChanged() { Save(); }

private:
    CDataBase& m_store;
    CNoteKeeper& m_notes;
    CPromptPort* m_prompt;
    Settings m_settings;
};
