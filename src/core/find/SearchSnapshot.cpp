#include "core/find/SearchSnapshot.h"

#include "core/store/DataBase.h"
#include "core/store/MessageWindow.h"

SearchSnapshot TakeSearchSnapshot(const CDataBase& store) {
    SearchSnapshot snapshot;
    for (const int id : store.GetIds()) {
        const CMessageWindow* window = store.GetMessage(id);
        if (window == nullptr)
            continue;
        snapshot.push_back({id, window->GetDisplayTitle(), window->GetCreationTimeText(), window->GetText()});
    }
    return snapshot;
}
