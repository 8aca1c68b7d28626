#include "launcher/run_rules.h"

#include <gtest/gtest.h>

#include "launcher/status.h"

namespace {

// A code the block reports is the data stage's (status 8, its own text)
// from ten counts on, when it is one of the data stage's (up to 11); before
// that, or beyond 11, the worker failed (status 9). Both comparisons are
// signed: a negative code or count is no exception.
TEST(RunRules, ReportedErrorBelongsToTheDataStageOnlyOnceItHasWorked) {
  EXPECT_EQ(StatusForReportedError(7, 9), kStatusUpdateFailed);
  EXPECT_EQ(StatusForReportedError(7, 10), kStatusDataStageFailed);
  EXPECT_EQ(StatusForReportedError(11, 1000), kStatusDataStageFailed);
  EXPECT_EQ(StatusForReportedError(12, 10), kStatusUpdateFailed);
  EXPECT_EQ(StatusForReportedError(-3, 500), kStatusDataStageFailed);
  EXPECT_EQ(StatusForReportedError(5, -1), kStatusUpdateFailed);
}

// Whatever the block holds, the bar stays within 0 to 100; a total that
// gives no position keeps the last one.
TEST(RunRules, ProgressStaysOnTheBarWhateverTheBlockHolds) {
  EXPECT_EQ(ProgressPosition(629, 1000, 0), 62);
  EXPECT_EQ(ProgressPosition(2147483647, 1000, 0), 100);  // the product does not overflow
  EXPECT_EQ(ProgressPosition(-50, 1000, 20), 0);
  EXPECT_EQ(ProgressPosition(5, 0, 37), 37);
  EXPECT_EQ(ProgressPosition(5, -4, 37), 37);
}

// Three times the game data must be free. A game of 1.5 GB needs 4.5 GB,
// which 32 bits would wrap to 0.2 GB and let a drive of 1.2 GB pass; an
// exact fit is not enough.
TEST(RunRules, DiskSpaceOfALargeGameIsNotWrapped) {
  EXPECT_EQ(RequiredDiskSpace(1500000000u), 4500000000ull);
  EXPECT_FALSE(DiskSpaceSuffices(RequiredDiskSpace(1500000000u), 4096, 300000));
  EXPECT_TRUE(DiskSpaceSuffices(4096 * 9, 4096, 10));
  EXPECT_FALSE(DiskSpaceSuffices(4096 * 10, 4096, 10));
}

}  // namespace
