#include "platform/files/file_helpers.h"

#include <gtest/gtest.h>

namespace {

// A path cut to fit its buffer names another file: it is refused instead.
TEST(FormatPath, ATextThatDoesNotFitIsRefusedNotCut) {
  char buffer[8];
  EXPECT_TRUE(FormatPath(buffer, sizeof buffer, "%s\\%s", "abc", "def"));
  EXPECT_STREQ("abc\\def", buffer);
  EXPECT_FALSE(FormatPath(buffer, sizeof buffer, "%s\\%s", "abc", "defg"));
  EXPECT_STREQ("", buffer);
}

}  // namespace
