// The shipped launcher's resources, read from the file itself.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/support/harness.h"

namespace {

// The payloads show in every update; the manifest (administrator rights)
// and the version information only here.
TEST(LauncherResources, ManifestAndVersion) {
  std::string path = Sibling("Vt3update.exe");
  HMODULE module = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(module, nullptr);
  HRSRC manifest = FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
  ASSERT_NE(manifest, nullptr);
  std::string text(static_cast<const char*>(LockResource(LoadResource(module, manifest))), SizeofResource(module, manifest));
  EXPECT_NE(text.find("requireAdministrator"), std::string::npos);
  FreeLibrary(module);
  DWORD handle = 0, size = GetFileVersionInfoSizeA(path.c_str(), &handle);
  std::string block(size, '\0');
  ASSERT_TRUE(size && GetFileVersionInfoA(path.c_str(), handle, size, &block[0]));
  char* version = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(block.data(), "\\StringFileInfo\\040904b0\\FileVersion",
                             reinterpret_cast<void**>(&version), &length));
  EXPECT_STREQ(version, "1.1.74.3");
}

// The dialog as the player sees it: a bar of 0 to 100 under the text.
TEST(LauncherResources, ProgressDialogBuildsFromItsTemplate) {
  HMODULE module = LoadLibraryExA(Sibling("Vt3update.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&classes);
  HWND dialog = CreateDialogParamA(module, MAKEINTRESOURCEA(145), nullptr, reinterpret_cast<DLGPROC>(DefWindowProcA), 0);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(GetWindowLongA(dialog, GWL_STYLE) & (WS_POPUP | WS_CAPTION), LONG(WS_POPUP | WS_BORDER));
  HWND bar = GetDlgItem(dialog, 1004);
  EXPECT_EQ(SendMessageA(bar, PBM_GETRANGE, FALSE, 0), 100);
  EXPECT_EQ(SendMessageA(bar, PBM_GETRANGE, TRUE, 0), 0);
  char text[64] = {};
  GetWindowTextA(FindWindowExA(dialog, nullptr, "Static", nullptr), text, sizeof text);
  EXPECT_STREQ(text, "Vantor 3 - 1.1.74.3 - Please wait ...");
  DestroyWindow(dialog);
  FreeLibrary(module);
}

}  // namespace
