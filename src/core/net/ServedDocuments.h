#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>

// What the receiving server hands out, as of the store's last change: the note
// list document and each note's document. The store's thread publishes a new
// snapshot on every change; the server's loop reads whichever is current
// without waiting for that thread. Snapshots never change once published.
class CServedDocuments {
public:
    struct Snapshot {
        std::shared_ptr<const std::string> List;
        std::map<int, std::shared_ptr<const std::string>> Notes;
    };

    CServedDocuments();

    std::shared_ptr<const Snapshot> Current() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_current;
    }
    void Publish(std::shared_ptr<const Snapshot> snapshot) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_current = std::move(snapshot);
    }

private:
    mutable std::mutex m_mutex;
    std::shared_ptr<const Snapshot> m_current;
};
