#include "launcher/checks.h"

#include <gtest/gtest.h>

#include "platform/game_key.h"
#include "platform/system_library.h"
#include "tests/support/harness.h"

namespace {

// Wine's token always holds the group; the decision is checked on a
// thread token that only denies it, and on group lists made here.
TEST(Checks, AdministratorsGroupCountsEvenWhenDenyOnly) {
  ASSERT_TRUE(IsWindowsNT());
  SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
  PSID users = nullptr, administrators = nullptr;
  ASSERT_TRUE(AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_USERS, 0, 0, 0, 0, 0, 0,
                                       &users));
  ASSERT_TRUE(AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0,
                                       0, &administrators));
  HANDLE process = nullptr, restricted = nullptr;
  ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_ALL_ACCESS, &process));
  SID_AND_ATTRIBUTES disable = {administrators, 0};
  ASSERT_TRUE(CreateRestrictedToken(process, 0, 1, &disable, 0, nullptr, 0, nullptr, &restricted));
  ASSERT_TRUE(ImpersonateLoggedOnUser(restricted));
  EXPECT_TRUE(IsAdministrator());
  RevertToSelf();
  CloseHandle(restricted);
  CloseHandle(process);

  struct {
    DWORD count;
    SID_AND_ATTRIBUTES groups[2];
  } list = {1, {{users, SE_GROUP_ENABLED}, {administrators, SE_GROUP_USE_FOR_DENY_ONLY}}};
  EXPECT_FALSE(GroupsIncludeAdministrators(reinterpret_cast<TOKEN_GROUPS*>(&list)));
  list.count = 2;
  EXPECT_TRUE(GroupsIncludeAdministrators(reinterpret_cast<TOKEN_GROUPS*>(&list)));
  list.count = 0;
  EXPECT_FALSE(GroupsIncludeAdministrators(reinterpret_cast<TOKEN_GROUPS*>(&list)));
  FreeSid(users);
  FreeSid(administrators);
}

TEST(Checks, GameKeyDiskSpaceAndColours) {
  DeleteMachineTree(kGameKeyPath);
  EXPECT_FALSE(IsGameInstalled());
  ASSERT_TRUE(SetMachineString(kGameKeyPath, "SavingPath", "C:\\Games"));
  EXPECT_TRUE(IsGameInstalled());
  DeleteMachineTree(kGameKeyPath);
  EXPECT_TRUE(HasEnoughDiskSpace("C:\\Games\\Vantor 3", 1000000));
  EXPECT_FALSE(HasEnoughDiskSpace("c:\\Games\\Vantor 3", 1ull << 60));
  // A UNC path: the question cannot be asked, and the check passes.
  EXPECT_TRUE(HasEnoughDiskSpace("\\\\server\\share\\Vantor 3", 1ull << 60));
  EXPECT_TRUE(HasEnoughColours());
}

}  // namespace
