#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "worker/tests/joystick_table.h"

namespace {

TEST(DefaultJoystickSettings, TheShippedFileIsTheTableByteForByte) {
  std::ifstream file(VT3_JOYSTICK_FILE, std::ios::binary);
  ASSERT_TRUE(file.good());
  std::string shipped((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  EXPECT_EQ(shipped.size(), 550u);
  EXPECT_EQ(shipped, DefaultJoystickSettings());
}

}  // namespace
