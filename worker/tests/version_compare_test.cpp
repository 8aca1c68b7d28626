#include "worker/version_compare.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "worker/tests/joystick_table.h"

namespace {

TEST(VersionCompare, ComparesTextByteByByte) {
  // 1.1.74.3 against 1.0.0.0 and itself shows in every update.
  EXPECT_FALSE(VersionTextIsNewer("1.10.0.0", "1.9.0.0"));
  EXPECT_TRUE(VersionTextIsNewer("1.1.0", "1.1"));
  // Separators are bytes too: ',' (0x2C) sorts below '.' (0x2E).
  EXPECT_FALSE(VersionTextIsNewer("1, 1, 0, 0", "1.0.0.0"));
  EXPECT_TRUE(VersionTextIsNewer("1.0\xE9", "1.0z"));  // unsigned bytes
}

}  // namespace

TEST(DefaultJoystickSettings, TheShippedFileIsTheTableByteForByte) {
  std::ifstream file(VT3_JOYSTICK_FILE, std::ios::binary);
  ASSERT_TRUE(file.good());
  std::string shipped((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  EXPECT_EQ(shipped.size(), 550u);
  EXPECT_EQ(shipped, DefaultJoystickSettings());
}
