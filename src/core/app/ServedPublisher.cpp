#include "core/app/ServedPublisher.h"

#include "core/net/MessageList.h"
#include "core/net/ServedDocuments.h"
#include "core/store/DataBase.h"

#include <memory>

CServedPublisher::CServedPublisher(CDataBase& store, CServedDocuments& served, Defer defer)
    : m_store(store), m_served(served), m_defer(std::move(defer)) {
    for (const int id : store.GetIds())
        m_dirty.insert(id);
}

void CServedPublisher::SetServing(bool serving) {
    m_serving = serving;
    if (serving && !m_dirty.empty())
        Publish();
}

void CServedPublisher::Changed(int id) {
    m_dirty.insert(id);
    if (!m_serving)
        return;
    if (!m_defer) {
        Publish();
        return;
    }
    if (m_scheduled)
        return;
    m_scheduled = true;
    m_defer([this] { Publish(); });
}

void CServedPublisher::Publish() {
    m_scheduled = false;
    if (!m_serving)
        return; // stopped before the deferred call ran
    auto next = std::make_shared<CServedDocuments::Snapshot>(*m_served.Current());
    for (const int id : m_dirty) {
        if (id == 0)
            continue;
        if (m_store.GetNote(id) == nullptr)
            next->Notes.erase(id);
        else
            next->Notes[id] = std::make_shared<const std::string>(m_store.Serialize(id));
    }
    m_dirty.clear();
    next->List = std::make_shared<const std::string>(CMessageList::FromStore(m_store).MakeDocument());
    m_served.Publish(std::move(next));
}
