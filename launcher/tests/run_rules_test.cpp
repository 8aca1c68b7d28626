#include "launcher/run_rules.h"

#include <gtest/gtest.h>

#include "launcher/status.h"

namespace {

// A code the block reports is the data stage's (status 8, its own text)
// from ten counts on, when it is one of the data stage's (up to 11); before
// that, or beyond 11, the worker failed (status 9). Both comparisons are
// signed: a negative code or count is no exception.
TEST(RunRules, ReportedErrorBelongsToTheDataStageOnlyOnceItHasWorked) {
  // Code and count: the data stage's, then the worker's.
  const int32_t dataStage[][2] = {{7, 10}, {11, 1000}, {-3, 500}}, worker[][2] = {{7, 9}, {12, 10}, {5, -1}};
  for (const auto& row : dataStage) EXPECT_EQ(StatusForReportedError(row[0], row[1]), kStatusDataStageFailed) << row[0];
  for (const auto& row : worker) EXPECT_EQ(StatusForReportedError(row[0], row[1]), kStatusUpdateFailed) << row[0];
}

// Whatever the block holds, the bar stays within 0 to 100; a total that
// gives no position keeps the last one.
TEST(RunRules, ProgressStaysOnTheBarWhateverTheBlockHolds) {
  // Count, total, the last position, the position; the second a product that must not overflow.
  const int32_t rows[][4] = {{629, 1000, 0, 62}, {2147483647, 1000, 0, 100}, {-50, 1000, 20, 0}, {5, 0, 37, 37},
                             {5, -4, 37, 37}};
  for (const auto& row : rows) EXPECT_EQ(ProgressPosition(row[0], row[1], row[2]), row[3]) << row[0] << " " << row[1];
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
