#include "core/app/SettingsKeeper.h"

#include "core/app/NoteKeeper.h"
#include "core/base/FieldText.h"
#include "core/base/PromptPort.h"
#include "core/base/Strings.h"
#include "core/store/DataBase.h"
#include "core/store/PropParser.h"

#include <exception>

CSettingsKeeper::CSettingsKeeper(CDataBase& store, CNoteKeeper& notes, CPromptPort* prompt)
    : m_store(store), m_notes(notes), m_prompt(prompt) {}

std::vector<int> CSettingsKeeper::StartUp(CSettingsFile::LoadResult* result) {
    CPropParser model;
    const CSettingsFile::LoadResult loaded = CSettingsFile::Load(model);
    if (result != nullptr)
        *result = loaded;
    // Whatever was found; the parser's defaults otherwise.
    m_settings.Application = model.m_application;
    m_settings.DefaultSheet = model.m_sheet;
    m_settings.DefaultFont = model.m_font;
    m_settings.Network = model.m_network;
    m_store.SetDefaultSheet(m_settings.DefaultSheet);
    m_store.SetDefaultFont(m_settings.DefaultFont);
    m_notes.SetSavePath(SavePath());
    const std::vector<int> ids = m_notes.LoadAll();
    m_store.SetGroups(model.m_groups, false);
    return ids;
}

bool CSettingsKeeper::Write() {
    CPropParser model;
    model.m_application = m_settings.Application;
    model.m_sheet = m_settings.DefaultSheet;
    model.m_font = m_settings.DefaultFont;
    model.m_network = m_settings.Network;
    model.SetGroupList(m_store.GetGroups());
    try {
        CSettingsFile::Save(model);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

bool CSettingsKeeper::Save() {
    if (Write())
        return true;
    m_notes.ReportSaveFailure();
    return false;
}

std::string CSettingsKeeper::SavePath() const {
    return std::string(FieldText(m_settings.Application.SavePath));
}

bool CSettingsKeeper::Apply(const Settings& settings) {
    const std::string oldSavePath = SavePath();
    m_settings = settings;
    m_store.SetDefaultSheet(m_settings.DefaultSheet);
    m_store.SetDefaultFont(m_settings.DefaultFont);
    // Notes are loaded from the save folder at start-up: every note goes into
    // a new folder now, not only the ones edited before the next exit.
    const bool moved = SavePath() != oldSavePath;
    if (moved)
        m_notes.MoveTo(SavePath());
    Save();
    return moved;
}

void CSettingsKeeper::ChangeGroups(const CGroup& table) {
    const CGroup before = m_store.GetGroups();
    m_store.SetGroups(table, true);
    if (table.GetChangeEntireMessage() == 1) {
        for (const std::string& name : table.GetGroupNames()) {
            const auto property = table.GetProperty(name);
            if (property && property != before.GetProperty(name) && m_prompt != nullptr &&
                m_prompt->AskYesNo(strings::kChangeGroupProperty, {name}) == CPromptPort::Answer::Yes)
                m_store.ApplyGroupProperty(name);
        }
    }
    Save();
}

void CSettingsKeeper::SetNoteGroups(int id, const std::vector<std::string>& groups) {
    CGroup table = m_store.GetGroups();
    table.RemoveMemberEverywhere(id);
    const std::string title = m_store.GetTitle(id);
    for (const std::string& name : groups)
        if (table.HasGroup(name))
            table.AddMember(name, id, title);
    m_store.SetGroups(table, true);
    Save();
}
