#include "launcher/status_message.h"

#include <gtest/gtest.h>

#include <string>

#include "launcher/status.h"

namespace {

// The text, marked "(information) " where it is shown as information.
std::string Compose(uint32_t status, int32_t detail) {
  char buffer[1024];
  return ComposeStatusMessage(status, detail, buffer, sizeof buffer) ? std::string("(information) ") + buffer : buffer;
}

// The texts themselves show end to end; these are the composition rules:
// only success is information, the file number and the runtime's spawn
// error are appended, and a code a table lacks is the general failure.
TEST(StatusMessage, CompositionRules) {
  const std::string failed = "Update process failed: update aborts.";
  EXPECT_EQ(Compose(0, 0), "(information) LT_UPDATE_FIN_OPERATION");
  EXPECT_EQ(Compose(4, -3), "Extraction failed on file -3: update aborts.");
  EXPECT_EQ(Compose(7, 2), "Update process does not start: update aborts.File or path is not found");
  EXPECT_EQ(Compose(7, 13), "Update process does not start: update aborts.");
  for (int32_t code : {-5, 6, 12}) EXPECT_EQ(Compose(8, code), failed) << code;
  for (int32_t code : {5, 14, kDetailWorkerVanished}) EXPECT_EQ(Compose(9, code), failed) << code;
}

}  // namespace
