#include "core/find/SearchThread.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <vector>

namespace {

// Collects what the worker reports, from its thread.
struct Collector {
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<SearchResult> found;
    bool finished = false;
    bool stopped = false;

    CSearchThread MakeThread() {
        return CSearchThread(
            [this](const SearchResult& result) {
                std::lock_guard lock(mutex);
                found.push_back(result);
            },
            [this](bool wasStopped) {
                std::lock_guard lock(mutex);
                finished = true;
                stopped = wasStopped;
                changed.notify_all();
            });
    }
    bool WaitFinished(std::chrono::seconds limit) {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, limit, [this] { return finished; });
    }
};

SearchSnapshot Notes() {
    return {
        {1000, "2001/09/09 03:46:40", "2001/09/09 03:46:40", "nothing here"},
        {1001, "Shopping", "2001/09/09 03:46:41", "milk\r\nabc and abc again"},
        {1002, "Capitals", "2001/09/09 03:46:42", "ABC"},
        {1003, "Last", "2001/09/09 03:46:43", "xabc"},
    };
}

} // namespace

TEST(SearchThread, ReportsEachMatchingNoteOnceInOrder) {
    Collector collector;
    CSearchThread worker = collector.MakeThread();
    ASSERT_TRUE(worker.Start(Notes(), "abc"));
    ASSERT_TRUE(collector.WaitFinished(std::chrono::seconds(5)));
    worker.Join();
    EXPECT_FALSE(worker.IsRunning());
    EXPECT_FALSE(collector.stopped);
    ASSERT_EQ(collector.found.size(), 2u);
    EXPECT_EQ(collector.found[0].ID, 1001);
    EXPECT_EQ(collector.found[0].Offset, 6u); // the first of the two
    EXPECT_EQ(collector.found[0].Length, 3u);
    EXPECT_EQ(collector.found[0].Title, "Shopping");
    EXPECT_EQ(collector.found[0].CreationTime, "2001/09/09 03:46:41");
    EXPECT_EQ(collector.found[1].ID, 1003);

    // The same worker runs again; an empty string finds nothing and finishes.
    collector.found.clear();
    collector.finished = false;
    ASSERT_TRUE(worker.Start(Notes(), ""));
    ASSERT_TRUE(collector.WaitFinished(std::chrono::seconds(5)));
    worker.Join();
    EXPECT_TRUE(collector.found.empty());
    EXPECT_FALSE(collector.stopped);
}

TEST(SearchThread, StopReturnsAtOnceAndEndsTheSearchSoon) {
    // 100 notes of 64 KiB where every other place agrees with the pattern up
    // to its last byte, so the search creeps along and never matches.
    std::string text;
    for (int i = 0; i < 32 * 1024; ++i)
        text += "ab";
    SearchSnapshot snapshot;
    for (int i = 0; i < 100; ++i)
        snapshot.push_back({i, "t", "c", text});
    const std::string pattern = text.substr(0, 2001) + "a";

    std::mutex mutex;
    std::condition_variable changed;
    bool finished = false;
    bool stopped = false;
    int found = 0;
    CSearchThread worker([&](const SearchResult&) { ++found; },
                         [&](bool wasStopped) {
                             std::lock_guard lock(mutex);
                             finished = true;
                             stopped = wasStopped;
                             changed.notify_all();
                         });
    ASSERT_TRUE(worker.Start(snapshot, pattern));
    EXPECT_FALSE(worker.Start(snapshot, pattern)); // one search at a time

    const auto before = std::chrono::steady_clock::now();
    worker.RequestStop();
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::milliseconds(500));
    {
        std::unique_lock lock(mutex);
        ASSERT_TRUE(changed.wait_for(lock, std::chrono::seconds(5), [&] { return finished; }));
    }
    worker.Join();
    EXPECT_TRUE(stopped);
    EXPECT_EQ(found, 0);
}

TEST(SearchThread, SearchOnTheCallingThreadStopsBetweenNotes) {
    std::atomic<bool> stop{false};
    std::vector<int> ids;
    EXPECT_TRUE(CSearchThread::Search(Notes(), "a", stop, [&](const SearchResult& r) { ids.push_back(r.ID); }));
    EXPECT_EQ(ids, (std::vector<int>{1001, 1003}));

    ids.clear();
    stop = true;
    EXPECT_FALSE(CSearchThread::Search(Notes(), "a", stop, [&](const SearchResult& r) { ids.push_back(r.ID); }));
    EXPECT_TRUE(ids.empty());

    // Destroying a worker in mid-search stops and joins it.
    Collector collector;
    {
        SearchSnapshot big;
        for (int i = 0; i < 50; ++i)
            big.push_back({i, "t", "c", std::string(64 * 1024, 'a')});
        CSearchThread worker = collector.MakeThread();
        ASSERT_TRUE(worker.Start(big, "b" + std::string(500, 'a')));
    }
    EXPECT_TRUE(collector.finished);
}
