#pragma once

#include <functional>
#include <set>

class CDataBase;
class CServedDocuments;

// Keeps what the receiving server serves in step with the store: told of each
// change, it publishes a new snapshot of the list and of the changed notes'
// documents (unchanged ones are shared with the previous snapshot). Changes
// that come together are published together, once the deferred call runs.
// Nothing is published while no server serves (the default): changes are
// only noted then, and published when serving begins. Lives on the store's
// thread.
class CServedPublisher {
public:
    // Runs a call later on the store's thread; without one, every change is
    // published at once.
    using Defer = std::function<void(std::function<void()>)>;

    CServedPublisher(CDataBase& store, CServedDocuments& served, Defer defer = {});
    CServedPublisher(const CServedPublisher&) = delete;
    CServedPublisher& operator=(const CServedPublisher&) = delete;

    // A note changed (its ID), or only the list or the groups (0).
    void Changed(int id);
    // Serving begins (what changed meanwhile is published now) or ends.
    void SetServing(bool serving);
    // Publishes what changed since the last publication.
    void Publish();

private:
    CDataBase& m_store;
    CServedDocuments& m_served;
    Defer m_defer;
    std::set<int> m_dirty;
    bool m_scheduled = false;
    bool m_serving = false;
};
