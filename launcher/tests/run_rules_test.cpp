#include "launcher/run_rules.h"

#include <gtest/gtest.h>

#include "launcher/status.h"

namespace {

TEST(RunRules, ProgressFollowsTheBlockAndSurvivesBadTotals) {
  EXPECT_EQ(ProgressPosition(0, 1, 0), 0);
  EXPECT_EQ(ProgressPosition(9, 1000, 0), 0);
  EXPECT_EQ(ProgressPosition(10, 1000, 0), 1);
  EXPECT_EQ(ProgressPosition(629, 1000, 0), 62);
  EXPECT_EQ(ProgressPosition(1000, 1000, 0), 100);
  EXPECT_EQ(ProgressPosition(5, 0, 37), 37);
  EXPECT_EQ(ProgressPosition(5, -4, 37), 37);
  EXPECT_EQ(ProgressPosition(2147483647, 1000, 0), 100);  // no overflow
  EXPECT_EQ(ProgressPosition(-50, 1000, 20), 0);
}

TEST(RunRules, ErrorTableDependsOnCountAndCode) {
  EXPECT_EQ(StatusForReportedError(7, 9), kStatusUpdateFailed);
  EXPECT_EQ(StatusForReportedError(7, 10), kStatusDataStageFailed);
  EXPECT_EQ(StatusForReportedError(11, 1000), kStatusDataStageFailed);
  EXPECT_EQ(StatusForReportedError(12, 10), kStatusUpdateFailed);
  EXPECT_EQ(StatusForReportedError(12, 0), kStatusUpdateFailed);
  EXPECT_EQ(StatusForReportedError(-3, 500), kStatusDataStageFailed);
  EXPECT_EQ(StatusForReportedError(5, -1), kStatusUpdateFailed);
}

TEST(RunRules, DiskSpaceInSixtyFourBitsAndColours) {
  EXPECT_TRUE(DiskSpaceSuffices(0, 4096, 1));
  EXPECT_FALSE(DiskSpaceSuffices(0, 4096, 0));
  EXPECT_TRUE(DiskSpaceSuffices(4096 * 9, 4096, 10));
  EXPECT_FALSE(DiskSpaceSuffices(4096 * 10, 4096, 10));
  // 1.5 GB of game data needs 4.5 GB: a 32-bit product would wrap to 0.2 GB.
  uint64_t required = RequiredDiskSpace(1500000000u);
  EXPECT_EQ(required, 4500000000ull);
  EXPECT_FALSE(DiskSpaceSuffices(required, 4096, 300000));
  EXPECT_TRUE(DiskSpaceSuffices(required, 4096, 1200000));
  EXPECT_TRUE(ColoursSuffice(-1));
  EXPECT_FALSE(ColoursSuffice(256));
  EXPECT_FALSE(ColoursSuffice(16));
}

}  // namespace
