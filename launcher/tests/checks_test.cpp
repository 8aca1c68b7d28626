#include "launcher/checks.h"

#include <gtest/gtest.h>

#include <string>

#include "launcher/status.h"
#include "launcher/status_message.h"
#include "launcher/update_run.h"
#include "tests/support/harness.h"

namespace {

// Only an enabled Administrators group counts: a thread that runs with a
// token whose Administrators group is deny-only (made as UAC makes a
// filtered administrator's) gets the administrator message before anything
// is done (the process's own token passes in every update). Catches
// deny-only-administrator-counted and administrators-sid-is-users.
TEST(Checks, AFilteredAdministratorGetsTheAdministratorMessage) {
  SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
  SID_AND_ATTRIBUTES denyOnly = {nullptr, 0};
  ASSERT_TRUE(AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                                       &denyOnly.Sid));
  HANDLE own = nullptr, restricted = nullptr;
  ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_ALL_ACCESS, &own));
  ASSERT_TRUE(CreateRestrictedToken(own, 0, 1, &denyOnly, 0, nullptr, 0, nullptr, &restricted));
  ASSERT_TRUE(ImpersonateLoggedOnUser(restricted));
  EXPECT_FALSE(IsAdministrator());
  uint32_t status = kStatusOk;
  int32_t detail = 0;
  EXPECT_EQ(RunUpdate(&status, &detail), 0);
  RevertToSelf();
  CloseHandle(restricted);
  CloseHandle(own);
  FreeSid(denyOnly.Sid);
  EXPECT_EQ(status, kStatusNotAdministrator);
  char text[256];
  ComposeStatusMessage(status, detail, text, sizeof text);
  EXPECT_STREQ(text, "LT_UPDATE_ADMINISTRATEUR");
}

// A drive that cannot be asked (a UNC path) passes; a size no drive has does not.
TEST(Checks, DiskSpaceOfTheGameDrive) {
  EXPECT_FALSE(HasEnoughDiskSpace("c:\\Games\\Vantor 3", 1ull << 60));
  EXPECT_TRUE(HasEnoughDiskSpace("\\\\server\\share\\Vantor 3", 1ull << 60));
}

// The shipped launcher's manifest, read from the file itself, asks for
// administrator rights (its payloads, table and dialog show in every update).
TEST(LauncherResources, ManifestRequiresAdministrators) {
  HMODULE module = LoadLibraryExA(Sibling("Vt3update.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  HRSRC manifest = module ? FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24)) : nullptr;
  ASSERT_NE(manifest, nullptr);
  std::string text(static_cast<const char*>(LockResource(LoadResource(module, manifest))), SizeofResource(module, manifest));
  EXPECT_NE(text.find("requireAdministrator"), std::string::npos);
  FreeLibrary(module);
}

}  // namespace
