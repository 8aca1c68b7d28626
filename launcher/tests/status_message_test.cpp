#include "launcher/status_message.h"

#include <gtest/gtest.h>

#include <string>

#include "launcher/run_rules.h"
#include "launcher/status.h"

namespace {

std::string Compose(uint32_t status, int32_t detail, bool* information = nullptr) {
  char buffer[1024];
  bool info = ComposeStatusMessage(status, detail, buffer, sizeof buffer);
  if (information) *information = info;
  return buffer;
}

// The texts themselves show end to end; these are the composition rules:
// only success is information, the file number and the runtime's spawn
// error are appended, and a code a table lacks is the general failure.
TEST(StatusMessage, CompositionRules) {
  const std::string failed = "Update process failed: update aborts.";
  const std::string spawn = "Update process does not start: update aborts.";
  bool information = false;
  EXPECT_EQ(Compose(0, 0, &information), "LT_UPDATE_FIN_OPERATION");
  EXPECT_TRUE(information);
  EXPECT_EQ(Compose(4, -3, &information), "Extraction failed on file -3: update aborts.");
  EXPECT_FALSE(information);
  EXPECT_EQ(Compose(7, 2), spawn + "File or path is not found");
  EXPECT_EQ(Compose(7, 13), spawn);
  for (int32_t code : {-5, 6, 12}) EXPECT_EQ(Compose(8, code), failed) << code;
  for (int32_t code : {5, 14, kDetailWorkerVanished}) EXPECT_EQ(Compose(9, code), failed) << code;
}

// A code the block reports belongs to the data stage from ten counts on,
// when it is one of the data stage's (up to 11); else it is the worker's.
TEST(RunRules, ReportedErrorsProgressDiskSpaceAndColours) {
  EXPECT_EQ(StatusForReportedError(7, 9), kStatusUpdateFailed);
  EXPECT_EQ(StatusForReportedError(7, 10), kStatusDataStageFailed);
  EXPECT_EQ(StatusForReportedError(11, 1000), kStatusDataStageFailed);
  EXPECT_EQ(StatusForReportedError(12, 10), kStatusUpdateFailed);
  EXPECT_EQ(StatusForReportedError(-3, 500), kStatusDataStageFailed);
  EXPECT_EQ(StatusForReportedError(5, -1), kStatusUpdateFailed);

  EXPECT_EQ(ProgressPosition(629, 1000, 0), 62);
  EXPECT_EQ(ProgressPosition(5, 0, 37), 37);
  EXPECT_EQ(ProgressPosition(5, -4, 37), 37);
  EXPECT_EQ(ProgressPosition(2147483647, 1000, 0), 100);  // no overflow
  EXPECT_EQ(ProgressPosition(-50, 1000, 20), 0);

  EXPECT_TRUE(DiskSpaceSuffices(4096 * 9, 4096, 10));
  EXPECT_FALSE(DiskSpaceSuffices(4096 * 10, 4096, 10));
  // 1.5 GB of game data needs 4.5 GB: in 32 bits it would wrap to 0.2 GB.
  EXPECT_EQ(RequiredDiskSpace(1500000000u), 4500000000ull);
  EXPECT_FALSE(DiskSpaceSuffices(RequiredDiskSpace(1500000000u), 4096, 300000));
  EXPECT_TRUE(ColoursSuffice(-1));
  EXPECT_FALSE(ColoursSuffice(256));
}

}  // namespace
