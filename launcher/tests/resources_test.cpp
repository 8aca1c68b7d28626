// The shipped launcher's resources, read from the file itself.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/support/harness.h"

namespace {

class LauncherResources : public testing::Test {
 protected:
  void SetUp() override {
    module = LoadLibraryExA(Sibling("Vt3update.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr);
  }
  void TearDown() override { FreeLibrary(module); }
  DWORD Size(const char* type, int id) {
    HRSRC info = FindResourceA(module, MAKEINTRESOURCEA(id), type);
    return info ? SizeofResource(module, info) : 0;
  }
  HMODULE module = nullptr;
};

TEST_F(LauncherResources, CarriesItsPayloadsTableManifestAndVersion) {
  EXPECT_EQ(Size("BINARY", 130), 3591199u);
  EXPECT_EQ(Size("BINARY", 134), 3741719u);
  EXPECT_GT(Size("BINARY", 150), 8u);
  std::string table;
  ASSERT_TRUE(ReadFileBytes(VT3_SHIPPED_TABLE, &table));
  EXPECT_EQ(Size("LOCALISE", 151), table.size());
  EXPECT_GT(Size(MAKEINTRESOURCEA(24), 1), 0u);  // the manifest
  HRSRC info = FindResourceA(module, MAKEINTRESOURCEA(150), "BINARY");
  const char* worker = static_cast<const char*>(LockResource(LoadResource(module, info)));
  EXPECT_EQ(std::string(worker, 4), "COMP");

  std::string path = Sibling("Vt3update.exe");
  DWORD handle = 0, size = GetFileVersionInfoSizeA(path.c_str(), &handle);
  ASSERT_GT(size, 0u);
  std::string block(size, '\0');
  ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), handle, size, &block[0]));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwFileVersionMS, 0x00010001u);
  EXPECT_EQ(fixed->dwFileVersionLS, 0x004A0003u);
  EXPECT_EQ(fixed->dwProductVersionMS, 0x00010001u);
  char* text = nullptr;
  ASSERT_TRUE(VerQueryValueA(block.data(), "\\StringFileInfo\\040904b0\\FileVersion", reinterpret_cast<void**>(&text),
                             &length));
  EXPECT_STREQ(text, "1.1.74.3");
}

TEST_F(LauncherResources, ProgressDialogIsTheSpecifiedTemplate) {
  INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&classes);
  HWND dialog = CreateDialogParamA(module, MAKEINTRESOURCEA(145), nullptr, reinterpret_cast<DLGPROC>(DefWindowProcA), 0);
  ASSERT_NE(dialog, nullptr);
  LONG style = GetWindowLongA(dialog, GWL_STYLE), exStyle = GetWindowLongA(dialog, GWL_EXSTYLE);
  for (DWORD bit : {DWORD(WS_POPUP), DWORD(WS_VISIBLE), DWORD(WS_CLIPSIBLINGS), DWORD(WS_CLIPCHILDREN), DWORD(WS_BORDER)})
    EXPECT_EQ(static_cast<DWORD>(style) & bit, bit) << std::hex << bit;
  EXPECT_EQ(style & WS_CAPTION, static_cast<LONG>(WS_BORDER));  // a border and no caption
  EXPECT_EQ(exStyle & (WS_EX_CONTROLPARENT | WS_EX_CLIENTEDGE), WS_EX_CONTROLPARENT | WS_EX_CLIENTEDGE);
  RECT units = {0, 0, 255, 50};
  MapDialogRect(dialog, &units);
  RECT client;
  GetClientRect(dialog, &client);
  EXPECT_NEAR(client.right, units.right, 6);
  EXPECT_NEAR(client.bottom, units.bottom, 6);
  HWND bar = GetDlgItem(dialog, 1004);
  ASSERT_NE(bar, nullptr);
  char name[64] = {};
  GetClassNameA(bar, name, sizeof name);
  EXPECT_STREQ(name, "msctls_progress32");
  EXPECT_EQ(SendMessageA(bar, PBM_GETRANGE, FALSE, 0), 100);
  EXPECT_EQ(SendMessageA(bar, PBM_GETRANGE, TRUE, 0), 0);
  // The control turns the template's client edge into a static edge of its own.
  EXPECT_NE(GetWindowLongA(bar, GWL_EXSTYLE) & (WS_EX_CLIENTEDGE | WS_EX_STATICEDGE), 0);
  HWND text = FindWindowExA(dialog, nullptr, "Static", nullptr);
  ASSERT_NE(text, nullptr);
  GetWindowTextA(text, name, sizeof name);
  EXPECT_STREQ(name, "Vantor 3 - 1.1.74.3 - Please wait ...");
  EXPECT_EQ(GetWindowLongA(text, GWL_STYLE) & (SS_CENTER | SS_CENTERIMAGE | WS_GROUP), SS_CENTER | SS_CENTERIMAGE | WS_GROUP);
  DestroyWindow(dialog);
}

}  // namespace
