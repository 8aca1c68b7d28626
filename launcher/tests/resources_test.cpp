// The shipped launcher's resources, read from the file itself.
#include <windows.h>

#include <gtest/gtest.h>


#include "tests/support/harness.h"

namespace {

// The payloads, the table and the dialog show in every update; the
// manifest's request for administrator rights only here.
TEST(LauncherResources, ManifestRequiresAdministrators) {
  std::string path = Sibling("Vt3update.exe");
  HMODULE module = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(module, nullptr);
  HRSRC manifest = FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
  ASSERT_NE(manifest, nullptr);
  std::string text(static_cast<const char*>(LockResource(LoadResource(module, manifest))), SizeofResource(module, manifest));
  EXPECT_NE(text.find("requireAdministrator"), std::string::npos);
  FreeLibrary(module);
}

}  // namespace
