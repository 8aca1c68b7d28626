#include "platform/paths/path_join.h"

#include <gtest/gtest.h>

namespace {

TEST(PathJoin, NamesAreJoinedWithOneSeparator) {
  const struct {
    const char* folder;
    const char* name;
    const char* path;
  } cases[] = {
      {"C:\\Games\\Vantor 3", "vt3.exe", "C:\\Games\\Vantor 3\\vt3.exe"},
      {"D:\\", "vt3.exe", "D:\\vt3.exe"},
      {"D:\\", "", "D:\\"},
      {"C:\\Games\\Vantor 3", "", "C:\\Games\\Vantor 3\\"},
      {"\\\\server\\share", "vt3.exe", "\\\\server\\share\\vt3.exe"},
      // A last byte "\" that is the second half of a character is no root.
      {"C:\\\x95\x5C", "vt3.exe", "C:\\\x95\x5C\\vt3.exe"},
      {"D:", "vt3_x", "D:\\vt3_x"},
      {"", "vt3.exe", ""},  // no folder: refused, the path emptied
  };
  for (const auto& c : cases) {
    char path[260] = "x";
    EXPECT_EQ(JoinInFolder(path, sizeof path, c.folder, c.name), c.path[0] != 0) << c.folder;
    EXPECT_STREQ(path, c.path);
  }
  wchar_t wide[16];
  EXPECT_TRUE(JoinInFolder(wide, 16, L"D:\\", L"Vantor 3"));
  EXPECT_STREQ(wide, L"D:\\Vantor 3");
  EXPECT_FALSE(JoinInFolder(wide, 16, L"D:\\Games", L"Vantor 3"));
  EXPECT_STREQ(wide, L"");  // what does not fit is refused, never cut
}

}  // namespace
