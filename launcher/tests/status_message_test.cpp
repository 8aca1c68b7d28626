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

const std::string kFailed = "Update process failed: update aborts.";
const std::string kSpawn = "Update process does not start: update aborts.";

TEST(StatusMessage, EveryStatusAndDetailHasItsText) {
  struct Case {
    uint32_t status;
    int32_t detail;
    std::string text;
  } const cases[] = {
      {0, 0, "LT_UPDATE_FIN_OPERATION"}, {1, 0, "LT_UPDATE_ADMINISTRATEUR"},
      {4, 2, "Extraction failed on file 2: update aborts."}, {4, -3, "Extraction failed on file -3: update aborts."},
      {5, 0, "Extraction failed: update aborts."}, {6, 0, "Progress dialog failed: update aborts."},
      {10, 0, "You need at a 16 bits screen resolution for the update to work: aborting."},
      {11, 0, "LT_UPDATE_DISQUE_DUR"},
      // The runtime's spawn error is appended without a space.
      {7, 2, kSpawn + "File or path is not found"}, {7, 7, kSpawn + "Argument list exceeds 1024 bytes"},
      {7, 8, kSpawn + "Specified file is not executable or has invalid executable-file format"},
      {7, 12, kSpawn + "Not enough memory is available to execute new process"},
      {7, 22, kSpawn + "mode argument is invalid"}, {7, 13, kSpawn},
      // The data stage's (8) and the worker's (9) codes that no end-to-end test shows.
      {8, 1, "Failed to locate VT3 directory: update aborts."},
      {8, 2, "Vt3.dat file can not be reached: update aborts."}, {8, 3, "New data can not be reached: update aborts."},
      {8, 5, "Corrupted data detected: update aborts."}, {8, 6, kFailed},
      {8, 8, "DirectX8 creation failed: update aborts."}, {8, 10, "Failed to enter VT3 directory: update aborts."},
      {8, -5, kFailed}, {8, 12, kFailed}, {9, 10, "Can not locate directory: update aborts."}, {9, 5, kFailed},
      {9, 14, kFailed}, {9, kDetailWorkerVanished, kFailed},
  };
  for (const Case& c : cases) {
    bool information = true;
    EXPECT_EQ(Compose(c.status, c.detail, &information), c.text) << c.status << "/" << c.detail;
    EXPECT_EQ(information, c.status == 0) << c.status;
  }
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
  EXPECT_FALSE(DiskSpaceSuffices(0, 4096, 0));
  // 1.5 GB of game data needs 4.5 GB: in 32 bits it would wrap to 0.2 GB.
  EXPECT_EQ(RequiredDiskSpace(1500000000u), 4500000000ull);
  EXPECT_FALSE(DiskSpaceSuffices(RequiredDiskSpace(1500000000u), 4096, 300000));
  EXPECT_TRUE(DiskSpaceSuffices(RequiredDiskSpace(1500000000u), 4096, 1200000));
  EXPECT_TRUE(ColoursSuffice(-1));
  EXPECT_FALSE(ColoursSuffice(256));
}

}  // namespace
