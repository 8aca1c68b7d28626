#include "launcher/checks.h"

#include <gtest/gtest.h>

#include <string>

#include "launcher/status.h"
#include "launcher/status_message.h"
#include "launcher/update_run.h"

namespace {

struct Sids {
  PSID users = nullptr, administrators = nullptr;
  Sids() {
    SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
    AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_USERS, 0, 0, 0, 0, 0, 0, &users);
    AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0,
                             &administrators);
  }
  ~Sids() {
    if (users) FreeSid(users);
    if (administrators) FreeSid(administrators);
  }
};

// Only an enabled Administrators group counts: a filtered administrator
// (UAC's limited token) holds it for deny only.
TEST(Checks, OnlyAnEnabledAdministratorsGroupCounts) {
  Sids sids;
  ASSERT_TRUE(sids.users && sids.administrators);
  struct {
    DWORD count;
    SID_AND_ATTRIBUTES groups[2];
  } list = {2, {{sids.users, SE_GROUP_ENABLED}, {sids.administrators, SE_GROUP_USE_FOR_DENY_ONLY}}};
  EXPECT_FALSE(GroupsIncludeAdministrators(reinterpret_cast<TOKEN_GROUPS*>(&list)));
  list.groups[1].Attributes = SE_GROUP_MANDATORY | SE_GROUP_ENABLED_BY_DEFAULT | SE_GROUP_ENABLED | SE_GROUP_OWNER;
  EXPECT_TRUE(GroupsIncludeAdministrators(reinterpret_cast<TOKEN_GROUPS*>(&list)));
  list.count = 1;
  EXPECT_FALSE(GroupsIncludeAdministrators(reinterpret_cast<TOKEN_GROUPS*>(&list)));
}

// A thread that runs with a token whose Administrators group is deny-only
// (made as UAC makes a filtered administrator's) gets the administrator
// message before anything is done; the process's own token passes.
TEST(Checks, AFilteredAdministratorGetsTheAdministratorMessage) {
  Sids sids;
  HANDLE own = nullptr, restricted = nullptr;
  ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_ALL_ACCESS, &own));
  SID_AND_ATTRIBUTES denyOnly = {sids.administrators, 0};
  ASSERT_TRUE(CreateRestrictedToken(own, 0, 1, &denyOnly, 0, nullptr, 0, nullptr, &restricted));
  ASSERT_TRUE(ImpersonateLoggedOnUser(restricted));
  BOOL administrator = IsAdministrator();
  uint32_t status = kStatusOk;
  int32_t detail = 0;
  unsigned char succeeded = RunUpdate(&status, &detail);
  RevertToSelf();
  CloseHandle(restricted);
  CloseHandle(own);
  EXPECT_FALSE(administrator);
  EXPECT_EQ(succeeded, 0);
  EXPECT_EQ(status, kStatusNotAdministrator);
  char text[256];
  ComposeStatusMessage(status, detail, text, sizeof text);
  EXPECT_STREQ(text, "LT_UPDATE_ADMINISTRATEUR");
  EXPECT_TRUE(IsAdministrator());
}

// A drive that cannot be asked (a UNC path) passes; a size no drive has does not.
TEST(Checks, DiskSpaceOfTheGameDrive) {
  EXPECT_FALSE(HasEnoughDiskSpace("c:\\Games\\Vantor 3", 1ull << 60));
  EXPECT_TRUE(HasEnoughDiskSpace("\\\\server\\share\\Vantor 3", 1ull << 60));
}

}  // namespace
