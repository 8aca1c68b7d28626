#include "platform/files/file_helpers.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/support/harness.h"

namespace {

// A path cut to fit its buffer names another file: it is refused instead.
TEST(FormatPath, ATextThatDoesNotFitIsRefusedNotCut) {
  char buffer[8];
  EXPECT_TRUE(FormatPath(buffer, sizeof buffer, "%s\\%s", "abc", "def"));
  EXPECT_STREQ("abc\\def", buffer);
  EXPECT_FALSE(FormatPath(buffer, sizeof buffer, "%s\\%s", "abc", "defg"));
  EXPECT_STREQ("", buffer);
}

// A read-only file of one name loses that flag and keeps every other; a
// second name may be one the player made to a file elsewhere, whose flag
// stays. Catches read-only-cleared-through-a-second-name.
TEST(MakeWritable, ClearsTheFlagOfAFileOfOneNameOnly) {
  const DWORD others = FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN;
  const std::string folder = TempDirectory() + "writable", single = folder + "\\single", shared = folder + "\\shared";
  ASSERT_TRUE(MakeDirectories(folder) && WriteFileBytes(single, "one") && WriteFileBytes(shared, "two"));
  ASSERT_TRUE(CreateHardLinkA((folder + "\\second").c_str(), shared.c_str(), nullptr));
  for (const std::string& file : {single, shared}) {
    ASSERT_TRUE(SetFileAttributesA(file.c_str(), others | FILE_ATTRIBUTE_READONLY));
    MakeWritable(file.c_str());
  }
  EXPECT_EQ(GetFileAttributesA(single.c_str()), others);
  EXPECT_EQ(GetFileAttributesA(shared.c_str()), others | FILE_ATTRIBUTE_READONLY);
  SetFileAttributesA(shared.c_str(), FILE_ATTRIBUTE_NORMAL);
  EXPECT_TRUE(RemoveTree(folder));
}

}  // namespace
