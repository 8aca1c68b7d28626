// The shipped launcher's resources, read from the file itself.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/support/harness.h"

namespace {

TEST(LauncherResources, PayloadsTableManifestAndVersion) {
  HMODULE module = LoadLibraryExA(Sibling("Vt3update.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(module, nullptr);
  auto bytes = [module](const char* type, int id) {
    HRSRC info = FindResourceA(module, MAKEINTRESOURCEA(id), type);
    return info ? std::string(static_cast<const char*>(LockResource(LoadResource(module, info))),
                              SizeofResource(module, info))
                : std::string();
  };
  std::string table;
  ASSERT_TRUE(ReadFileBytes(VT3_SHIPPED_TABLE, &table));
  EXPECT_EQ(bytes("BINARY", 130).size(), 3591199u);
  EXPECT_EQ(bytes("BINARY", 134).size(), 3741719u);
  EXPECT_EQ(bytes("BINARY", 150).substr(0, 4), "COMP");
  EXPECT_TRUE(bytes("LOCALISE", 151) == table);
  EXPECT_NE(bytes(MAKEINTRESOURCEA(24), 1), "");  // the manifest
  FreeLibrary(module);

  std::string path = Sibling("Vt3update.exe");
  DWORD handle = 0, size = GetFileVersionInfoSizeA(path.c_str(), &handle);
  std::string block(size, '\0');
  ASSERT_TRUE(size && GetFileVersionInfoA(path.c_str(), handle, size, &block[0]));
  VS_FIXEDFILEINFO* fixed = nullptr;
  char* text = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwFileVersionMS, 0x00010001u);
  EXPECT_EQ(fixed->dwFileVersionLS, 0x004A0003u);
  ASSERT_TRUE(VerQueryValueA(block.data(), "\\StringFileInfo\\040904b0\\FileVersion", reinterpret_cast<void**>(&text),
                             &length));
  EXPECT_STREQ(text, "1.1.74.3");
}

TEST(LauncherResources, ProgressDialogBuildsFromItsTemplate) {
  HMODULE module = LoadLibraryExA(Sibling("Vt3update.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&classes);
  HWND dialog = CreateDialogParamA(module, MAKEINTRESOURCEA(145), nullptr, reinterpret_cast<DLGPROC>(DefWindowProcA), 0);
  ASSERT_NE(dialog, nullptr);
  // A bordered popup without a caption, 255 by 50 dialog units.
  DWORD style = GetWindowLongA(dialog, GWL_STYLE), exStyle = GetWindowLongA(dialog, GWL_EXSTYLE);
  DWORD expected = WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_BORDER;
  EXPECT_EQ(style & (expected | WS_CAPTION), expected);
  EXPECT_EQ(exStyle & (WS_EX_CONTROLPARENT | WS_EX_CLIENTEDGE), DWORD(WS_EX_CONTROLPARENT | WS_EX_CLIENTEDGE));
  RECT units = {0, 0, 255, 50}, client;
  MapDialogRect(dialog, &units);
  GetClientRect(dialog, &client);
  EXPECT_NEAR(client.right, units.right, 6);
  EXPECT_NEAR(client.bottom, units.bottom, 6);
  HWND bar = GetDlgItem(dialog, 1004);
  char name[64] = {};
  GetClassNameA(bar, name, sizeof name);
  EXPECT_STREQ(name, "msctls_progress32");
  EXPECT_EQ(SendMessageA(bar, PBM_GETRANGE, FALSE, 0), 100);
  EXPECT_EQ(SendMessageA(bar, PBM_GETRANGE, TRUE, 0), 0);
  HWND text = FindWindowExA(dialog, nullptr, "Static", nullptr);
  ASSERT_NE(text, nullptr);
  GetWindowTextA(text, name, sizeof name);
  EXPECT_STREQ(name, "Vantor 3 - 1.1.74.3 - Please wait ...");
  EXPECT_EQ(GetWindowLongA(text, GWL_STYLE) & (SS_CENTER | SS_CENTERIMAGE | WS_GROUP), SS_CENTER | SS_CENTERIMAGE | WS_GROUP);
  DestroyWindow(dialog);
  FreeLibrary(module);
}

}  // namespace
