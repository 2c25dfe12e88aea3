#include "core/app/SendBatches.h"

#include <gtest/gtest.h>

// With "delete after sending" the note goes at its first acceptance and only
// then; a refusal deletes nothing, and neither does a second acceptance or an
// outcome of a request that is not a send.
TEST(SendBatches, DeleteAfterSendingWaitsForTheFirstAcceptance) {
    CSendBatches sends;
    const CSendBatches::Batch batch = sends.Begin(7, true);
    for (const int request : {1, 2, 3})
        sends.Add(request, batch);
    EXPECT_EQ(sends.Finish(1, false).DeleteNote, 0);
    const CSendBatches::Outcome first = sends.Finish(2, true);
    EXPECT_TRUE(first.Known);
    EXPECT_EQ(first.DeleteNote, 7);
    EXPECT_EQ(sends.Finish(3, true).DeleteNote, 0);
    EXPECT_FALSE(sends.Finish(2, true).Known);

    const CSendBatches::Batch keep = sends.Begin(8, false);
    sends.Add(4, keep);
    EXPECT_EQ(sends.Finish(4, true).DeleteNote, 0);
}
