#include "platform/paths/final_path_form.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Each final path as Windows reports it, and the plain path the update then
// works with ("" for none: the caller keeps the path it had).
TEST(FinalPathForm, PlainWin32FormsOfWhatWindowsReports) {
  const struct {
    const wchar_t* finalPath;
    bool trailing;
    const wchar_t* plain;
  } cases[] = {
      {L"\\\\?\\D:\\Games\\Vantor 3", false, L"D:\\Games\\Vantor 3"},
      {L"\\\\?\\D:\\Games\\Vantor 3", true, L"D:\\Games\\Vantor 3\\"},
      {L"\\\\?\\C:\\", false, L"C:\\"},
      {L"\\\\?\\C:\\", true, L"C:\\"},
      {L"\\\\?\\c:", false, L"c:\\"},
      {L"\\\\?\\UNC\\server\\share\\Games", false, L"\\\\server\\share\\Games"},
      {L"\\\\?\\UNC\\server\\share\\Temp", true, L"\\\\server\\share\\Temp\\"},
      {L"C:\\Windows\\Temp", false, L"C:\\Windows\\Temp"},
      // No form the Win32 functions take without the prefix.
      {L"\\\\?\\Volume{6f2c1b3e-0000-0000-0000-100000000000}\\Games", false, L""},
      {L"\\\\?\\UNC\\", false, L""},
      {L"\\\\?\\UNC\\\\share", false, L""},
      {L"\\\\?\\C:Games", false, L""},
      {L"\\??\\C:\\Games", false, L""},
      {L"", false, L""},
  };
  for (const auto& c : cases) {
    wchar_t plain[260] = L"untouched";
    bool converted = PlainFormOfFinalPath(c.finalPath, c.trailing, plain, 260);
    EXPECT_EQ(converted, c.plain[0] != 0) << std::wstring(c.finalPath).size();
    EXPECT_EQ(std::wstring(plain), c.plain) << std::wstring(c.finalPath).size();
  }
}

// The terminator and an added separator count: a result one character too
// long for the buffer is refused whole, never cut.
TEST(FinalPathForm, ResultsThatDoNotFitAreRefused) {
  std::wstring folder = L"C:\\" + std::wstring(256, L'v');  // 259 characters
  std::wstring finalPath = L"\\\\?\\" + folder;
  wchar_t plain[260];
  EXPECT_TRUE(PlainFormOfFinalPath(finalPath.c_str(), false, plain, 260));
  EXPECT_EQ(std::wstring(plain), folder);
  EXPECT_FALSE(PlainFormOfFinalPath(finalPath.c_str(), true, plain, 260));
  EXPECT_EQ(plain[0], 0);
  EXPECT_FALSE(PlainFormOfFinalPath(finalPath.c_str(), false, plain, 259));
  EXPECT_EQ(plain[0], 0);
  EXPECT_FALSE(PlainFormOfFinalPath(L"C:\\", false, plain, 0));
}

}  // namespace
