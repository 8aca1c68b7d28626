// The shipped launcher's resources, read from the file itself.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstring>
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

TEST_F(LauncherResources, ProgressDialogBuildsFromItsTemplate) {
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
  HWND text = FindWindowExA(dialog, nullptr, "Static", nullptr);
  ASSERT_NE(text, nullptr);
  GetWindowTextA(text, name, sizeof name);
  EXPECT_STREQ(name, "Vantor 3 - 1.1.74.3 - Please wait ...");
  EXPECT_EQ(GetWindowLongA(text, GWL_STYLE) & (SS_CENTER | SS_CENTERIMAGE | WS_GROUP), SS_CENTER | SS_CENTERIMAGE | WS_GROUP);
  DestroyWindow(dialog);
}

// Reads the DIALOGEX template as the resource holds it: the controls
// rewrite some of their styles once made, so the bytes are the record.
class TemplateReader {
 public:
  explicit TemplateReader(const unsigned char* bytes) : at(bytes) {}
  WORD Word() {
    WORD value;
    memcpy(&value, at, 2);
    at += 2;
    return value;
  }
  DWORD Dword() {
    DWORD value;
    memcpy(&value, at, 4);
    at += 4;
    return value;
  }
  // A string, or "#n" for an ordinal.
  std::string Text() {
    if (Word() == 0xFFFF) return "#" + std::to_string(Word());
    at -= 2;
    std::string text;
    for (WORD c; (c = Word()) != 0;) text += static_cast<char>(c);
    return text;
  }
  void Align() {
    while (reinterpret_cast<uintptr_t>(at) % 4) ++at;
  }
  const unsigned char* at;
};

TEST_F(LauncherResources, DialogTemplateHoldsTheExactStylesAndLayout) {
  HRSRC info = FindResourceA(module, MAKEINTRESOURCEA(145), MAKEINTRESOURCEA(5));
  ASSERT_NE(info, nullptr);
  TemplateReader read(static_cast<const unsigned char*>(LockResource(LoadResource(module, info))));
  EXPECT_EQ(read.Word(), 1);
  EXPECT_EQ(read.Word(), 0xFFFF);
  read.Dword();  // help id
  EXPECT_EQ(read.Dword(), static_cast<DWORD>(WS_EX_CONTROLPARENT | WS_EX_CLIENTEDGE));
  EXPECT_EQ(read.Dword(), static_cast<DWORD>(WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_BORDER |
                                             DS_CENTER | DS_SETFOREGROUND | DS_SETFONT | DS_3DLOOK));
  EXPECT_EQ(read.Word(), 2);  // controls
  EXPECT_EQ(read.Word(), 0);
  EXPECT_EQ(read.Word(), 0);
  EXPECT_EQ(read.Word(), 255);
  EXPECT_EQ(read.Word(), 50);
  EXPECT_EQ(read.Text(), "");  // no menu
  EXPECT_EQ(read.Text(), "");  // the standard dialog class
  EXPECT_EQ(read.Text(), "");  // no caption
  EXPECT_EQ(read.Word(), 8);
  read.Word();  // weight
  read.Word();  // italic, character set
  EXPECT_EQ(read.Text(), "MS Sans Serif");

  read.Align();
  read.Dword();
  EXPECT_EQ(read.Dword(), static_cast<DWORD>(WS_EX_CLIENTEDGE));
  EXPECT_EQ(read.Dword(), static_cast<DWORD>(WS_CHILD | WS_VISIBLE));
  EXPECT_EQ(read.Word(), 9);
  EXPECT_EQ(read.Word(), 27);
  EXPECT_EQ(read.Word(), 234);
  EXPECT_EQ(read.Word(), 15);
  EXPECT_EQ(read.Dword(), 1004u);
  EXPECT_EQ(_stricmp(read.Text().c_str(), "msctls_progress32"), 0);
  EXPECT_EQ(read.Text(), "Progress1");
  EXPECT_EQ(read.Word(), 0);

  read.Align();
  read.Dword();
  EXPECT_EQ(read.Dword(), 0u);
  EXPECT_EQ(read.Dword(), static_cast<DWORD>(WS_CHILD | WS_VISIBLE | WS_GROUP | SS_CENTER | SS_CENTERIMAGE));
  EXPECT_EQ(read.Word(), 6);
  EXPECT_EQ(read.Word(), 3);
  EXPECT_EQ(read.Word(), 240);
  EXPECT_EQ(read.Word(), 15);
  EXPECT_EQ(read.Dword(), 0xFFFFFFFFu);
  std::string staticClass = read.Text();
  EXPECT_TRUE(staticClass == "#130" || _stricmp(staticClass.c_str(), "static") == 0) << staticClass;
  EXPECT_EQ(read.Text(), "Vantor 3 - 1.1.74.3 - Please wait ...");
}

}  // namespace
