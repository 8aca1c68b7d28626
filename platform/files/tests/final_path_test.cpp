#include "platform/files/final_path.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/host_link.h"

namespace {

// A folder reached through a link, whose final name the code page holds
// only as a look-alike (best fit: "Ł" becomes "L" under 1252, and no
// default character is reported): the path stays as given, and never
// becomes the look-alike, which may be another folder altogether.
TEST(FinalPath, ALookAlikeOfTheFinalNameIsNeverTaken) {
  const std::wstring behind = L"C:\\\x0141odz";
  char lookAlike[MAX_PATH] = {};
  wchar_t back[MAX_PATH] = {};
  WideCharToMultiByte(CP_ACP, 0, behind.c_str(), -1, lookAlike, MAX_PATH, nullptr, nullptr);
  MultiByteToWideChar(CP_ACP, 0, lookAlike, -1, back, MAX_PATH);
  if (behind == back) GTEST_SKIP() << "code page " << GetACP() << " holds the name itself";
  ASSERT_TRUE(CreateDirectoryW(behind.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
  ASSERT_TRUE(CreateDirectoryA(lookAlike, nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
  const std::string link = "C:\\link_to_the_name";
  ASSERT_TRUE(MakeHostLink(behind, link));
  wchar_t wide[MAX_PATH] = L"C:\\link_to_the_name";
  char path[MAX_PATH] = "C:\\link_to_the_name";
  EXPECT_TRUE(ResolveFinalPathW(wide, MAX_PATH) && wide == behind) << "the link not resolved: the check not reached";
  EXPECT_FALSE(ResolveFinalPath(path, MAX_PATH));
  EXPECT_STREQ(path, link.c_str());
  EXPECT_TRUE(RemoveHostLink(link));
  RemoveDirectoryW(behind.c_str());
  RemoveDirectoryA(lookAlike);
}

}  // namespace
