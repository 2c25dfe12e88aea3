#include "core/net/HostAnswers.h"
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

TEST(HostAnswers, WaitsForTheAnswerTheTimeOrTheCancel) {
    CHostAnswers answers;
    int value = 0;
    // Answered at once, inside ask.
    EXPECT_EQ(CHostAnswers::EWait::Answered,
              answers.Wait<int>([](std::function<void(int)> reply) { reply(7); }, 1s, value));
    EXPECT_EQ(7, value);

    // Answered later from another thread; only the first answer counts.
    std::thread answerer;
    EXPECT_EQ(CHostAnswers::EWait::Answered, answers.Wait<int>(
                                                 [&](std::function<void(int)> reply) {
                                                     answerer = std::thread([reply] {
                                                         std::this_thread::sleep_for(20ms);
                                                         reply(8);
                                                         reply(9);
                                                     });
                                                 },
                                                 5s, value));
    answerer.join();
    EXPECT_EQ(8, value);

    // Never answered: the time passes, and a late reply is harmless.
    std::function<void(int)> kept;
    EXPECT_EQ(CHostAnswers::EWait::TimedOut,
              answers.Wait<int>([&](std::function<void(int)> reply) { kept = reply; }, 30ms, value));
    kept(10);
    EXPECT_EQ(8, value);

    // Cancel ends a wait without a time limit; later waits work again.
    auto waiting = std::async(std::launch::async, [&] {
        int unused = 0;
        return answers.Wait<int>([](std::function<void(int)>) {}, CHostAnswers::kNoTimeout, unused);
    });
    EXPECT_EQ(std::future_status::timeout, waiting.wait_for(50ms));
    answers.Cancel();
    ASSERT_EQ(std::future_status::ready, waiting.wait_for(2s));
    EXPECT_EQ(CHostAnswers::EWait::Cancelled, waiting.get());
    EXPECT_EQ(CHostAnswers::EWait::Answered,
              answers.Wait<int>([](std::function<void(int)> reply) { reply(11); }, 1s, value));

    // Close: every later wait ends at once, without asking.
    answers.Close();
    bool asked = false;
    EXPECT_EQ(CHostAnswers::EWait::Cancelled,
              answers.Wait<int>([&](std::function<void(int)>) { asked = true; }, CHostAnswers::kNoTimeout, value));
    EXPECT_FALSE(asked);
}
