#include "launcher/status_message.h"

#include <gtest/gtest.h>

#include <string>

#include "launcher/status.h"

namespace {

std::string Compose(uint32_t status, int32_t detail, bool* information = nullptr) {
  char buffer[1024];
  bool info = ComposeStatusMessage(status, detail, buffer, sizeof buffer);
  if (information) *information = info;
  return buffer;
}

TEST(StatusMessage, EveryStatusHasItsText) {
  bool information = false;
  EXPECT_EQ(Compose(0, 0, &information), "LT_UPDATE_FIN_OPERATION");
  EXPECT_TRUE(information);
  for (uint32_t status : {1u, 4u, 5u, 6u, 7u, 8u, 9u, 10u, 11u}) {
    Compose(status, 0, &information);
    EXPECT_FALSE(information) << status;
  }
  EXPECT_EQ(Compose(1, 0), "LT_UPDATE_ADMINISTRATEUR");
  EXPECT_EQ(Compose(4, 1), "Extraction failed on file 1: update aborts.");
  EXPECT_EQ(Compose(4, 2), "Extraction failed on file 2: update aborts.");
  EXPECT_EQ(Compose(4, -3), "Extraction failed on file -3: update aborts.");
  EXPECT_EQ(Compose(5, 0), "Extraction failed: update aborts.");
  EXPECT_EQ(Compose(6, 0), "Progress dialog failed: update aborts.");
  EXPECT_EQ(Compose(10, 0), "You need at a 16 bits screen resolution for the update to work: aborting.");
  EXPECT_EQ(Compose(11, 0), "LT_UPDATE_DISQUE_DUR");
}

TEST(StatusMessage, SpawnErrorsAppendWithoutSpace) {
  const std::string base = "Update process does not start: update aborts.";
  EXPECT_EQ(Compose(7, 2), base + "File or path is not found");
  EXPECT_EQ(Compose(7, 7), base + "Argument list exceeds 1024 bytes");
  EXPECT_EQ(Compose(7, 8), base + "Specified file is not executable or has invalid executable-file format");
  EXPECT_EQ(Compose(7, 12), base + "Not enough memory is available to execute new process");
  EXPECT_EQ(Compose(7, 22), base + "mode argument is invalid");
  EXPECT_EQ(Compose(7, 13), base);
  EXPECT_EQ(Compose(7, -1), base);
}

TEST(StatusMessage, DataStageAndWorkerTablesDiffer) {
  const char* stage[] = {nullptr,
                         "Failed to locate VT3 directory: update aborts.",
                         "Vt3.dat file can not be reached: update aborts.",
                         "New data can not be reached: update aborts.",
                         "LT_UPDATE_DISQUE_DUR",
                         "Corrupted data detected: update aborts.",
                         "Update process failed: update aborts.",
                         "Not enough system resource available: update aborts.",
                         "DirectX8 creation failed: update aborts.",
                         "Addition of data failed: update aborts.",
                         "Failed to enter VT3 directory: update aborts.",
                         "Texture data cache is unreachable: update aborts."};
  for (int32_t code = 1; code <= 11; ++code) EXPECT_EQ(Compose(8, code), stage[code]) << code;
  EXPECT_EQ(Compose(8, -5), "Update process failed: update aborts.");
  EXPECT_EQ(Compose(8, 12), "Update process failed: update aborts.");
  EXPECT_EQ(Compose(9, 7), "Corrupted registery data detected: update aborts.");
  EXPECT_EQ(Compose(9, 8), "New data can not be read: update aborts.");
  EXPECT_EQ(Compose(9, 10), "Can not locate directory: update aborts.");
  EXPECT_EQ(Compose(9, 11), "Update is older than your version of VT3.");
  EXPECT_EQ(Compose(9, 12), "Can not upgrade VT3 executable: upgrade aborts.");
  EXPECT_EQ(Compose(9, 13),
            "Your joystick settings may have suffered from the upgrade: please destroy joystick.ini File.");
  for (int32_t other : {-1, 0, 1, 5, 9, 14})
    EXPECT_EQ(Compose(9, other), "Update process failed: update aborts.") << other;
  EXPECT_EQ(Compose(9, kDetailWorkerVanished), "Update process failed: update aborts.");
}

}  // namespace
