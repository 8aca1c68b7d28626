#include "worker/version_compare.h"

#include <gtest/gtest.h>

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
