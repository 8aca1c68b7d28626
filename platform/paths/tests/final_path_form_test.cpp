#include "platform/paths/final_path_form.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Each final path as Windows reports it, and the plain path the update then
// works with ("" for none: the caller keeps the path it had).
TEST(FinalPathForm, PlainWin32FormsOfWhatWindowsReportsThatFitTheBuffer) {
  const std::wstring folder = L"C:\\" + std::wstring(256, L'v');  // 259 characters
  const struct {
    std::wstring finalPath;
    bool trailing;
    std::wstring plain;
    size_t size = 260;
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
      // The terminator and an added separator count: a result one
      // character too long for the buffer is refused whole, never cut.
      {L"\\\\?\\" + folder, false, folder},
      {L"\\\\?\\" + folder, true, L""},
      {L"\\\\?\\" + folder, false, L"", 259},
  };
  for (const auto& c : cases) {
    wchar_t plain[260] = L"untouched";
    EXPECT_EQ(PlainFormOfFinalPath(c.finalPath.c_str(), c.trailing, plain, c.size), !c.plain.empty())
        << c.finalPath.size();
    EXPECT_EQ(std::wstring(plain), c.plain) << c.finalPath.size();
  }
  wchar_t none[1] = {L'x'};
  EXPECT_FALSE(PlainFormOfFinalPath(L"C:\\", false, none, 0));
}

}  // namespace
