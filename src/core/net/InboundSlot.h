#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>

// The hand-off of received items from the network threads to the thread that
// owns the note store. One item is pending at a time: a producer waits until
// the slot is free, stores a copy and tells the consumer; the consumer takes
// the item, which frees the slot for the next producer.
//
// The producer's wait is bounded by its time-out and by Shutdown, so no
// network thread can hang on a consumer that has gone away.
class CInboundSlot {
public:
    // What the bytes are; the values are the commands the desktop program posts.
    static constexpr int kPlainText = 33068;    // the text of a new note
    static constexpr int kNoteDocument = 33069; // a note document

    static constexpr std::chrono::milliseconds kWaitForever{-1};

    struct Item {
        std::string Bytes;
        int Command = 0;
    };

    // Called once per stored item, on the producer's thread, with no lock held:
    // it may call Take directly (a headless consumer) or queue a call to the
    // consumer's thread (the desktop program).
    using Notify = std::function<void()>;

    explicit CInboundSlot(Notify notify = {}) : m_notify(std::move(notify)) {}
    CInboundSlot(const CInboundSlot&) = delete;
    CInboundSlot& operator=(const CInboundSlot&) = delete;

    // Set before the first producer runs.
    void SetNotify(Notify notify);

    // Producer: waits until the slot is free, stores a copy of the bytes with
    // the command and notifies. False when the time-out passed or the slot was
    // shut down first (nothing stored).
    bool PostInbound(std::string_view bytes, int command, std::chrono::milliseconds timeout = kWaitForever);
    bool PostInbound(const void* data, int length, int command, std::chrono::milliseconds timeout = kWaitForever) {
        return PostInbound(std::string_view(static_cast<const char*>(data), length > 0 ? length : 0), command, timeout);
    }

    // Producer that must not wait (an event loop): stores the item at once when
    // the slot is free, else queues it; a queued item is stored as soon as the
    // slot frees, in the order offered. done(true) follows the store (on this
    // thread when at once, else on the consumer's thread after Take);
    // done(false) follows Shutdown. No lock is held while done runs.
    using Ticket = std::uint64_t;
    using Done = std::function<void(bool stored)>;
    Ticket Offer(std::string bytes, int command, Done done);
    // Takes back a queued item; false when it was stored or ended already.
    bool Withdraw(Ticket ticket);

    // Consumer: moves the pending item out and frees the slot. False when
    // nothing is pending.
    bool Take(Item& item);
    bool IsPending() const;

    // Wakes every waiting producer with failure; later posts fail at once.
    // A pending item stays takeable.
    void Shutdown();
    bool IsShutDown() const;

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_freed;
    bool m_pending = false;
    bool m_shutDown = false;
    Item m_item;
    Notify m_notify;
    struct Offered {
        Ticket Id = 0;
        Item Bytes;
        Done Finish;
    };
    std::deque<Offered> m_offers;
    Ticket m_nextTicket = 1;
};
