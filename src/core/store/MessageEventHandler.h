#pragma once

#include <string>
#include <vector>

// What a note window reports about its note. The store's proxy does its own
// bookkeeping and passes each event on to the application's handler.
class CMessageEventHandler {
public:
    // OnRequest kinds.
    static constexpr int kRequestForeground = 0;
    static constexpr int kRequestSave = 1;
    static constexpr int kRequestGroupSettings = 2;

    virtual ~CMessageEventHandler() = default;

    virtual void OnShowChanged(int id, bool shown) = 0;
    virtual void OnDelete(int id) = 0;
    virtual void OnTitleChanged(int id, const std::string& title) = 0;
    virtual void OnSend(int id) = 0;
    virtual void OnRequest(int id, int kind) = 0;
    virtual void OnAddToGroup(int id, const std::string& group) = 0;
    virtual void OnRemoveFromGroup(int id, const std::string& group) = 0;
    virtual void GetGroupNames(std::vector<std::string>& out) = 0;
    // Appends the note's group names to out and returns how many it has.
    virtual int GetMessageGroups(int id, std::vector<std::string>& out) = 0;
    virtual void OnSetGroups(int id, const std::vector<std::string>& groups) = 0;
    virtual void OnChanged(int id) = 0;
};
