#pragma once

#include "core/base/Properties.h"
#include "core/base/Rect.h"
#include "core/store/Group.h"
#include "core/store/MessageEventHandler.h"
#include "core/store/MessageWindow.h"

#include <ctime>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

class CPromptPort;

// The note store: owns the notes, indexed by ID, each shown by a note window
// made for it; keeps the group table, and is the hub through which note
// windows report to the application. Only the user-interface thread touches it.
class CDataBase {
public:
    // Makes the window that shows a note (it shares the note with the store).
    using WindowFactory = std::function<MessageWindowPtr(std::shared_ptr<CNote>)>;
    using Clock = std::function<std::time_t()>;

    struct MessageEntry {
        std::shared_ptr<CNote> Note;
        MessageWindowPtr Window;
        int Command = 0; // menu command of the note's Display item, 0 until set
        std::vector<std::string> Groups;
    };

    struct SortedItem {
        int Flags = 0;
        std::string Title;
        int ID = 0;
    };

    // BuildSortedList flag bits.
    static constexpr int kSortAscending = 1;
    static constexpr int kSortById = 2;
    static constexpr int kSortGrouped = 8;

    // Updates the store for each report of a note window, then passes it on to
    // the application's handler.
    class CProxyEventHandler : public CMessageEventHandler {
    public:
        explicit CProxyEventHandler(CDataBase& store) : m_store(store) {}

        void OnShowChanged(int id, bool shown) override;
        void OnDelete(int id) override;
        void OnTitleChanged(int id, const std::string& title) override;
        void OnSend(int id) override;
        void OnRequest(int id, int kind) override;
        void OnAddToGroup(int id, const std::string& group) override;
        void OnRemoveFromGroup(int id, const std::string& group) override;
        void GetGroupNames(std::vector<std::string>& out) override;
        int GetMessageGroups(int id, std::vector<std::string>& out) override;
        void OnSetGroups(int id, const std::vector<std::string>& groups) override;
        void OnChanged(int id) override;

    private:
        CMessageEventHandler* Application() const { return m_store.m_application; }
        CDataBase& m_store;
    };

    // The program's store, created on first use (with headless notes unless
    // SetInstance installed another one first).
    static CDataBase& GetInstance();
    static void SetInstance(std::unique_ptr<CDataBase> store);
    static void DeleteInstance();

    explicit CDataBase(
        WindowFactory factory, Clock clock = [] { return std::time(nullptr); });
    ~CDataBase();
    CDataBase(const CDataBase&) = delete;
    CDataBase& operator=(const CDataBase&) = delete;

    // Told of every change of a note (its ID) or of the list or groups only (0),
    // after the store has taken it in.
    void SetChangeListener(std::function<void(int id)> listener) { m_changed = std::move(listener); }

    // The application's handler; the proxy forwards to it.
    void SetEventHandler(CMessageEventHandler* handler) { m_application = handler; }
    // Where questions to the user go; without one every question is answered No.
    void SetPromptPort(CPromptPort* prompt) { m_prompt = prompt; }
    void SetDefaultSheet(const SheetProperty& sheet) { m_defaultSheet = sheet; }
    void SetDefaultFont(const FontProperty& font) { m_defaultFont = font; }

    // New notes: the default sheet and font, a fresh ID, shown without activation.
    int AddMessage(const std::string& text);
    int NewMessage() { return AddMessage(std::string()); }
    // A stored or received note document; 0 when it does not parse. The ID of the
    // document is kept unless it is taken. Received notes are centred and shown.
    int LoadMessage(const char* data, int length, bool received);

    // IDs no note may take: they name files that hold something the store could
    // not load, which a note of that ID would overwrite.
    void ReserveId(int id) { m_reserved.insert(id); }
    void ReleaseId(int id) { m_reserved.erase(id); }

    // Tells the application, then removes the note.
    void DeleteMessage(int id);
    void DeleteAll();
    // Unlinks the note from the maps and every group and destroys its window.
    void RemoveEntry(int id);

    // One note, or every note when id is 0.
    void ShowMessage(int id, ShowCommand command);
    void ShowGroup(const std::string& name, ShowCommand command);
    bool IsVisible(int id) const;
    std::string GetTitle(int id) const;
    Rect GetWindowRect(int id) const;
    void MoveMessage(int id, int x, int y);
    bool IsModified(int id) const;
    CMessageWindow* GetMessage(int id) const;
    // The note as of the last change its window reported; null for an unknown ID.
    const CNote* GetNote(int id) const;

    int GetMenuCommand(int id) const;
    void SetMenuCommand(int id, int command);
    int IdFromCommand(int command) const;
    int GetGroupCommand(const std::string& name) const;
    void SetGroupCommand(const std::string& name, int command);

    // IDs in ascending order.
    std::vector<int> GetIds() const;
    int GetCount() const { return static_cast<int>(m_messages.size()); }

    // True when every member is visible, when the group is empty or unknown.
    bool IsGroupShown(const std::string& name) const;
    // -1 for an unknown group.
    int GetGroupMemberCount(const std::string& name) const;
    int GetGroupMemberIds(const std::string& name, std::vector<int>& out) const;
    // Appends the note's groups to out and returns how many it has.
    int GetMessageGroups(int id, std::vector<std::string>& out) const;
    const CGroup& GetGroups() const { return m_groups; }

    void AddToGroup(int id, const std::string& name);
    void RemoveFromGroup(int id, const std::string& name);
    // Replaces the group table, dropping members that are not notes here. With
    // askApply, notes new to a group may take on its property.
    void SetGroups(const CGroup& table, bool askApply);
    void ApplyGroupProperty(const std::string& name);

    void RaiseTopmost();
    // Moves every note that lies wholly off all screens back onto the primary one.
    void RelocateIntoScreen(const Rect& primary, const std::vector<Rect>& screens);
    std::vector<SortedItem> BuildSortedList(int flags) const;

    // The note's document; empty for an unknown ID.
    std::string Serialize(int id) const;
    std::string GetText(int id) const;
    void SelectRange(int id, int start, int length);

private:
    MessageEntry* Find(int id);
    const MessageEntry* Find(int id) const;
    int FreeId(int id) const;
    int Insert(std::shared_ptr<CNote> note, MessageWindowPtr window, int id);
    // Gives the note the group's property when it differs from the note's font,
    // asking first when the note is in more than one group.
    void OfferGroupProperty(int id, MessageEntry& entry, const std::string& name);
    void SetFontAndReport(int id, CMessageWindow& window, const FontProperty& font);
    void Changed(int id) const {
        if (m_changed)
            m_changed(id);
    }

    WindowFactory m_factory;
    Clock m_clock;
    std::map<int, MessageEntry> m_messages;
    std::map<int, int> m_commands; // menu command -> ID
    std::set<int> m_reserved;
    CGroup m_groups;
    std::map<std::string, int> m_groupCommands;
    SheetProperty m_defaultSheet;
    FontProperty m_defaultFont;
    CMessageEventHandler* m_application = nullptr;
    CProxyEventHandler m_proxy{*this};
    CPromptPort* m_prompt = nullptr;
    std::function<void(int)> m_changed;
};
