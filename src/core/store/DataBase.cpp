#include "core/store/DataBase.h"

#include "core/base/PromptPort.h"
#include "core/base/Strings.h"
#include "core/note/Arrangement.h"
#include "core/store/HeadlessMessage.h"

#include <algorithm>
#include <cstdint>
#include <utility>

namespace {

std::unique_ptr<CDataBase>& Instance() {
    static std::unique_ptr<CDataBase> instance;
    return instance;
}

// Byte order with only A-Z folded to lower case.
int CompareFolded(const std::string& a, const std::string& b) {
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        auto ca = static_cast<unsigned char>(a[i]);
        auto cb = static_cast<unsigned char>(b[i]);
        if (ca >= 'A' && ca <= 'Z')
            ca = static_cast<unsigned char>(ca - 'A' + 'a');
        if (cb >= 'A' && cb <= 'Z')
            cb = static_cast<unsigned char>(cb - 'A' + 'a');
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

void SortItems(std::vector<CDataBase::SortedItem>& items, int flags) {
    const bool ascending = (flags & CDataBase::kSortAscending) != 0;
    const bool byId = (flags & CDataBase::kSortById) != 0;
    std::stable_sort(items.begin(), items.end(), [&](const auto& a, const auto& b) {
        const int order = byId ? (a.ID < b.ID ? -1 : (a.ID > b.ID ? 1 : 0)) : CompareFolded(a.Title, b.Title);
        return ascending ? order < 0 : order > 0;
    });
}

} // namespace

CDataBase& CDataBase::GetInstance() {
    auto& instance = Instance();
    if (!instance)
        instance = std::make_unique<CDataBase>(&CreateHeadlessMessage);
    return *instance;
}

void CDataBase::SetInstance(std::unique_ptr<CDataBase> store) {
    Instance() = std::move(store);
}

void CDataBase::DeleteInstance() {
    Instance().reset();
}

CDataBase::CDataBase(WindowFactory factory, Clock clock) : m_factory(std::move(factory)), m_clock(std::move(clock)) {}

CDataBase::~CDataBase() {
    // Windows go first: they may still report while being destroyed.
    for (auto& [id, entry] : m_messages)
        entry.Window->SetEventHandler(nullptr);
    m_messages.clear();
}

CDataBase::MessageEntry* CDataBase::Find(int id) {
    const auto it = m_messages.find(id);
    return it == m_messages.end() ? nullptr : &it->second;
}

const CDataBase::MessageEntry* CDataBase::Find(int id) const {
    const auto it = m_messages.find(id);
    return it == m_messages.end() ? nullptr : &it->second;
}

int CDataBase::FreeId(int id) const {
    // 0 means "no note" to every caller, so a note must never carry it.
    while (id == 0 || m_messages.count(id) != 0 || m_reserved.count(id) != 0)
        id = static_cast<int>(static_cast<std::uint32_t>(id) + 1u);
    return id;
}

int CDataBase::Insert(std::shared_ptr<CNote> note, MessageWindowPtr window, int id) {
    id = FreeId(id);
    window->SetId(id);
    CMessageWindow* raw = window.get();
    MessageEntry& entry = m_messages[id];
    entry.Note = std::move(note);
    entry.Window = std::move(window);
    raw->SetEventHandler(&m_proxy);
    Changed(id);
    return id;
}

int CDataBase::AddMessage(const std::string& text) {
    auto note = std::make_shared<CNote>();
    MessageWindowPtr window = m_factory(note);
    if (!window)
        return 0;
    window->SetSheet(m_defaultSheet);
    window->SetFont(m_defaultFont);
    const int id = Insert(note, std::move(window), static_cast<int>(static_cast<std::uint32_t>(m_clock())));
    CMessageWindow& view = *m_messages.at(id).Window;
    view.SetBody(text, BodyFormat::PlainText);
    view.Show(ShowCommand::ShowNoActivate);
    RaiseTopmost();
    return id;
}

int CDataBase::LoadMessage(const char* data, int length, bool received) {
    if (data == nullptr || length <= 0)
        return 0;
    auto note = std::make_shared<CNote>();
    // The document ends at its first zero byte.
    const std::string text(data, static_cast<size_t>(length));
    if (!note->Parse(text.c_str()))
        return 0;
    note->Modified = false;
    MessageWindowPtr window = m_factory(note);
    if (!window)
        return 0;
    // Shown before it has a handler: what it repairs is reported afterwards.
    window->Present(received);
    return Insert(note, std::move(window), note->Sheet.ID);
}

void CDataBase::DeleteMessage(int id) {
    if (Find(id) == nullptr)
        return;
    if (m_application != nullptr)
        m_application->OnDelete(id);
    RemoveEntry(id);
}

void CDataBase::DeleteAll() {
    for (const int id : GetIds())
        DeleteMessage(id);
}

void CDataBase::RemoveEntry(int id) {
    const auto it = m_messages.find(id);
    if (it == m_messages.end())
        return;
    for (auto command = m_commands.begin(); command != m_commands.end();)
        command = command->second == id ? m_commands.erase(command) : std::next(command);
    m_groups.RemoveMemberEverywhere(id);
    MessageWindowPtr window = std::move(it->second.Window);
    m_messages.erase(it);
    window->SetEventHandler(nullptr);
    Changed(id);
}

void CDataBase::ShowMessage(int id, ShowCommand command) {
    if (id == 0) {
        for (const int each : GetIds())
            ShowMessage(each, command);
        return;
    }
    if (MessageEntry* entry = Find(id))
        entry->Window->Show(command);
}

void CDataBase::ShowGroup(const std::string& name, ShowCommand command) {
    std::vector<int> ids;
    GetGroupMemberIds(name, ids);
    for (const int id : ids)
        ShowMessage(id, command);
}

bool CDataBase::IsVisible(int id) const {
    const MessageEntry* entry = Find(id);
    return entry != nullptr && entry->Window->GetSheet().Hidden == 0;
}

std::string CDataBase::GetTitle(int id) const {
    const MessageEntry* entry = Find(id);
    return entry ? entry->Window->GetDisplayTitle() : std::string();
}

Rect CDataBase::GetWindowRect(int id) const {
    const MessageEntry* entry = Find(id);
    return entry ? entry->Window->GetWindowRect() : Rect{};
}

void CDataBase::MoveMessage(int id, int x, int y) {
    if (MessageEntry* entry = Find(id))
        entry->Window->Move(x, y);
}

bool CDataBase::IsModified(int id) const {
    const MessageEntry* entry = Find(id);
    return entry != nullptr && entry->Window->IsModified();
}

CMessageWindow* CDataBase::GetMessage(int id) const {
    const MessageEntry* entry = Find(id);
    return entry ? entry->Window.get() : nullptr;
}

const CNote* CDataBase::GetNote(int id) const {
    const MessageEntry* entry = Find(id);
    return entry ? entry->Note.get() : nullptr;
}

int CDataBase::GetMenuCommand(int id) const {
    const MessageEntry* entry = Find(id);
    return entry ? entry->Command : 0;
}

void CDataBase::SetMenuCommand(int id, int command) {
    MessageEntry* entry = Find(id);
    if (entry == nullptr)
        return;
    if (entry->Command != 0)
        m_commands.erase(entry->Command);
    entry->Command = command;
    if (command != 0)
        m_commands[command] = id;
}

int CDataBase::IdFromCommand(int command) const {
    const auto it = m_commands.find(command);
    return it == m_commands.end() ? 0 : it->second;
}

int CDataBase::GetGroupCommand(const std::string& name) const {
    const auto it = m_groupCommands.find(name);
    return it == m_groupCommands.end() ? 0 : it->second;
}

void CDataBase::SetGroupCommand(const std::string& name, int command) {
    m_groupCommands[name] = command;
}

std::vector<int> CDataBase::GetIds() const {
    std::vector<int> ids;
    ids.reserve(m_messages.size());
    for (const auto& [id, entry] : m_messages)
        ids.push_back(id);
    return ids;
}

bool CDataBase::IsGroupShown(const std::string& name) const {
    const auto* members = m_groups.GetMembers(name);
    if (members == nullptr)
        return true;
    return std::all_of(members->begin(), members->end(), [&](const GroupMember& m) { return IsVisible(m.ID); });
}

int CDataBase::GetGroupMemberCount(const std::string& name) const {
    const auto* members = m_groups.GetMembers(name);
    return members ? static_cast<int>(members->size()) : -1;
}

int CDataBase::GetGroupMemberIds(const std::string& name, std::vector<int>& out) const {
    const auto* members = m_groups.GetMembers(name);
    if (members == nullptr)
        return 0;
    for (const GroupMember& member : *members)
        out.push_back(member.ID);
    return static_cast<int>(members->size());
}

int CDataBase::GetMessageGroups(int id, std::vector<std::string>& out) const {
    const MessageEntry* entry = Find(id);
    if (entry == nullptr)
        return 0;
    out.insert(out.end(), entry->Groups.begin(), entry->Groups.end());
    return static_cast<int>(entry->Groups.size());
}

void CDataBase::SetFontAndReport(int id, CMessageWindow& window, const FontProperty& font) {
    window.SetFont(font);
    Changed(id);
    // A font taken from a group is a change of the note: save it like any other.
    if (m_application != nullptr)
        m_application->OnChanged(id);
}

void CDataBase::OfferGroupProperty(int id, MessageEntry& entry, const std::string& name) {
    const auto property = m_groups.GetProperty(name);
    if (!property || *property == entry.Window->GetFont())
        return;
    if (entry.Groups.size() > 1) {
        const auto answer =
            m_prompt ? m_prompt->AskYesNo(strings::kApplyGroupProperty, {entry.Window->GetDisplayTitle(), name})
                     : CPromptPort::Answer::No;
        // The note may have been deleted while the question was open.
        if (answer != CPromptPort::Answer::Yes || Find(id) != &entry)
            return;
    }
    SetFontAndReport(id, *entry.Window, *property);
}

void CDataBase::AddToGroup(int id, const std::string& name) {
    MessageEntry* entry = Find(id);
    if (entry == nullptr || !m_groups.HasGroup(name) || m_groups.HasMember(name, id))
        return;
    m_groups.AddMember(name, id, entry->Window->GetDisplayTitle());
    entry->Groups.push_back(name);
    Changed(0);
    if (m_groups.GetChangeGroupProp() == 1)
        OfferGroupProperty(id, *entry, name);
}

void CDataBase::RemoveFromGroup(int id, const std::string& name) {
    MessageEntry* entry = Find(id);
    if (entry == nullptr)
        return;
    m_groups.RemoveMember(name, id);
    const auto it = std::find(entry->Groups.begin(), entry->Groups.end(), name);
    if (it != entry->Groups.end())
        entry->Groups.erase(it);
    Changed(0);
}

void CDataBase::SetGroups(const CGroup& table, bool askApply) {
    std::map<int, std::vector<std::string>> before;
    for (auto& [id, entry] : m_messages)
        before[id] = std::exchange(entry.Groups, {});

    CGroup rebuilt = table;
    m_groups = rebuilt; // properties and flags as given; members rebuilt below
    for (const std::string& name : table.GetGroupNames()) {
        std::vector<GroupMember> kept;
        for (const GroupMember& member : *table.GetMembers(name)) {
            MessageEntry* entry = Find(member.ID);
            if (entry == nullptr)
                continue;
            entry->Groups.push_back(name);
            kept.push_back({member.ID, entry->Window->GetDisplayTitle()});
        }
        m_groups.SetMembers(name, kept);
    }
    Changed(0);
    if (!askApply || m_groups.GetChangeGroupProp() != 1)
        return;
    // A question runs an event loop, in which notes may go and the table may be
    // replaced: each offer works from a copy and looks its note and group up again.
    for (const std::string& name : m_groups.GetGroupNames()) {
        const auto* current = m_groups.GetMembers(name);
        if (current == nullptr)
            continue;
        const std::vector<GroupMember> members = *current;
        for (const GroupMember& member : members) {
            MessageEntry* entry = Find(member.ID);
            if (entry == nullptr || !m_groups.HasMember(name, member.ID))
                continue;
            const auto& old = before[member.ID];
            if (std::find(old.begin(), old.end(), name) == old.end())
                OfferGroupProperty(member.ID, *entry, name);
        }
    }
}

void CDataBase::ApplyGroupProperty(const std::string& name) {
    const auto property = m_groups.GetProperty(name);
    if (!property)
        return;
    std::vector<int> ids;
    GetGroupMemberIds(name, ids);
    for (const int id : ids)
        if (MessageEntry* entry = Find(id))
            SetFontAndReport(id, *entry->Window, *property);
}

void CDataBase::RaiseTopmost() {
    for (auto& [id, entry] : m_messages)
        if (entry.Window->GetSheet().TopWindow == 1)
            entry.Window->RaiseTopmost();
}

void CDataBase::RelocateIntoScreen(const Rect& primary, const std::vector<Rect>& screens) {
    for (auto& [id, entry] : m_messages) {
        if (const auto moved = arrangement::RelocateIntoScreen(entry.Window->GetWindowRect(), primary, screens))
            entry.Window->SetWindowRect(*moved);
    }
}

std::vector<CDataBase::SortedItem> CDataBase::BuildSortedList(int flags) const {
    auto item = [&](int id) { return SortedItem{flags, GetTitle(id), id}; };
    std::vector<SortedItem> list;
    if ((flags & kSortGrouped) == 0) {
        for (const int id : GetIds())
            list.push_back(item(id));
        SortItems(list, flags);
        return list;
    }

    std::vector<std::string> names = m_groups.GetGroupNames();
    std::stable_sort(names.begin(), names.end(), [&](const std::string& a, const std::string& b) {
        const int order = CompareFolded(a, b);
        return (flags & kSortAscending) ? order < 0 : order > 0;
    });
    std::map<int, bool> seen;
    for (const std::string& name : names) {
        std::vector<SortedItem> members;
        for (const GroupMember& member : *m_groups.GetMembers(name)) {
            if (Find(member.ID) != nullptr && !seen[member.ID]) {
                seen[member.ID] = true;
                members.push_back(item(member.ID));
            }
        }
        SortItems(members, flags);
        list.insert(list.end(), members.begin(), members.end());
    }
    std::vector<SortedItem> rest;
    for (const auto& [id, entry] : m_messages)
        if (!seen[id])
            rest.push_back(item(id));
    SortItems(rest, flags);
    list.insert(list.end(), rest.begin(), rest.end());
    return list;
}

std::string CDataBase::Serialize(int id) const {
    const MessageEntry* entry = Find(id);
    return entry ? entry->Window->Serialize() : std::string();
}

std::string CDataBase::GetText(int id) const {
    const MessageEntry* entry = Find(id);
    return entry ? entry->Window->GetText() : std::string();
}

void CDataBase::SelectRange(int id, int start, int length) {
    if (MessageEntry* entry = Find(id))
        entry->Window->SelectRange(start, length);
}

// --- proxy -------------------------------------------------------------------

void CDataBase::CProxyEventHandler::OnShowChanged(int id, bool shown) {
    if (MessageEntry* entry = m_store.Find(id)) {
        if ((entry->Window->GetSheet().Hidden != 0) == shown)
            entry->Window->Show(shown ? ShowCommand::Show : ShowCommand::Hide);
        m_store.Changed(id);
    }
    if (Application())
        Application()->OnShowChanged(id, shown);
}

void CDataBase::CProxyEventHandler::OnDelete(int id) {
    if (Application())
        Application()->OnDelete(id);
    m_store.RemoveEntry(id);
}

void CDataBase::CProxyEventHandler::OnTitleChanged(int id, const std::string& title) {
    m_store.m_groups.RenameMember(id, title);
    m_store.Changed(id);
    if (Application())
        Application()->OnTitleChanged(id, title);
}

void CDataBase::CProxyEventHandler::OnSend(int id) {
    if (Application())
        Application()->OnSend(id);
}

void CDataBase::CProxyEventHandler::OnRequest(int id, int kind) {
    if (Application())
        Application()->OnRequest(id, kind);
}

void CDataBase::CProxyEventHandler::OnAddToGroup(int id, const std::string& group) {
    m_store.AddToGroup(id, group);
    if (Application())
        Application()->OnAddToGroup(id, group);
}

void CDataBase::CProxyEventHandler::OnRemoveFromGroup(int id, const std::string& group) {
    m_store.RemoveFromGroup(id, group);
    if (Application())
        Application()->OnRemoveFromGroup(id, group);
}

void CDataBase::CProxyEventHandler::GetGroupNames(std::vector<std::string>& out) {
    if (Application())
        Application()->GetGroupNames(out);
}

int CDataBase::CProxyEventHandler::GetMessageGroups(int id, std::vector<std::string>& out) {
    return m_store.GetMessageGroups(id, out);
}

void CDataBase::CProxyEventHandler::OnSetGroups(int id, const std::vector<std::string>& groups) {
    if (Application())
        Application()->OnSetGroups(id, groups);
}

void CDataBase::CProxyEventHandler::OnChanged(int id) {
    m_store.Changed(id);
    if (Application())
        Application()->OnChanged(id);
}
