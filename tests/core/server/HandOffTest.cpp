#include "core/net/InboundSlot.h"

#include <gtest/gtest.h>

#include <future>
#include <thread>

using namespace std::chrono_literals;

TEST(InboundSlot, HoldsOneItemAndMakesTheNextProducerWait) {
    CInboundSlot slot;
    std::atomic<int> notified{0};
    slot.SetNotify([&] { ++notified; });

    const char bytes[] = {'a', '\0', 'b'};
    ASSERT_TRUE(slot.PostInbound(bytes, 3, CInboundSlot::kNoteDocument));
    EXPECT_EQ(1, notified);
    EXPECT_TRUE(slot.IsPending());
    // Full: a bounded wait gives up without storing.
    EXPECT_FALSE(slot.PostInbound("late", CInboundSlot::kPlainText, 50ms));

    auto second = std::async(std::launch::async, [&] { return slot.PostInbound("two", CInboundSlot::kPlainText); });
    EXPECT_EQ(std::future_status::timeout, second.wait_for(100ms));

    CInboundSlot::Item item;
    ASSERT_TRUE(slot.Take(item));
    EXPECT_EQ(std::string(bytes, 3), item.Bytes); // a copy of every byte, zero included
    EXPECT_EQ(CInboundSlot::kNoteDocument, item.Command);
    EXPECT_TRUE(second.get());
    ASSERT_TRUE(slot.Take(item));
    EXPECT_EQ("two", item.Bytes);
    EXPECT_EQ(CInboundSlot::kPlainText, item.Command);
    EXPECT_FALSE(slot.Take(item));
    EXPECT_EQ(2, notified);
}

TEST(InboundSlot, ShutdownReleasesWaitingProducers) {
    CInboundSlot slot;
    ASSERT_TRUE(slot.PostInbound("first", CInboundSlot::kPlainText));
    auto waiting = std::async(std::launch::async, [&] { return slot.PostInbound("second", CInboundSlot::kPlainText); });
    EXPECT_EQ(std::future_status::timeout, waiting.wait_for(50ms));
    slot.Shutdown();
    ASSERT_EQ(std::future_status::ready, waiting.wait_for(2s));
    EXPECT_FALSE(waiting.get());
    EXPECT_FALSE(slot.PostInbound("after", CInboundSlot::kPlainText));
    // What was delivered before stays takeable.
    CInboundSlot::Item item;
    ASSERT_TRUE(slot.Take(item));
    EXPECT_EQ("first", item.Bytes);
}

TEST(InboundSlot, NotifyMayTakeOnTheProducersThread) {
    CInboundSlot slot;
    std::vector<std::string> taken;
    slot.SetNotify([&] {
        CInboundSlot::Item item;
        if (slot.Take(item))
            taken.push_back(item.Bytes);
    });
    EXPECT_TRUE(slot.PostInbound("a", CInboundSlot::kPlainText, 1s));
    EXPECT_TRUE(slot.PostInbound("b", CInboundSlot::kPlainText, 1s));
    EXPECT_EQ((std::vector<std::string>{"a", "b"}), taken);
}

// The loop's way in: nothing waits; queued offers go in offer order as the
// slot frees, can be taken back, and learn of a shutdown.
TEST(InboundSlot, OffersQueueWithoutWaitingAndCanBeWithdrawn) {
    CInboundSlot slot;
    std::vector<std::string> outcomes;
    const auto record = [&](const std::string& name) {
        return [&outcomes, name](bool stored) { outcomes.push_back(name + (stored ? " stored" : " dropped")); };
    };
    slot.Offer("one", CInboundSlot::kPlainText, record("one"));
    slot.Offer("two", CInboundSlot::kPlainText, record("two"));
    const CInboundSlot::Ticket three = slot.Offer("three", CInboundSlot::kPlainText, record("three"));
    slot.Offer("four", CInboundSlot::kNoteDocument, record("four"));
    EXPECT_EQ(std::vector<std::string>{"one stored"}, outcomes);

    EXPECT_TRUE(slot.Withdraw(three));
    EXPECT_FALSE(slot.Withdraw(three));
    CInboundSlot::Item item;
    ASSERT_TRUE(slot.Take(item));
    EXPECT_EQ("one", item.Bytes);
    ASSERT_TRUE(slot.Take(item));
    EXPECT_EQ("two", item.Bytes);
    EXPECT_EQ((std::vector<std::string>{"one stored", "two stored", "four stored"}), outcomes);

    slot.Offer("five", CInboundSlot::kPlainText, record("five"));
    slot.Shutdown();
    EXPECT_EQ("five dropped", outcomes.back());
    ASSERT_TRUE(slot.Take(item)); // what was stored stays takeable
    EXPECT_EQ("four", item.Bytes);
    EXPECT_EQ(CInboundSlot::kNoteDocument, item.Command);
}
