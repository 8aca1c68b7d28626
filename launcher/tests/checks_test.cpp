#include "launcher/checks.h"

#include <gtest/gtest.h>

#include "platform/game_key.h"
#include "tests/support/harness.h"

namespace {

TEST(Checks, AdministratorsGroupCountsEvenWhenDenyOnly) {
  ASSERT_TRUE(IsWindowsNT());
  EXPECT_TRUE(IsAdministrator());
  HANDLE process = nullptr;
  ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_ALL_ACCESS, &process));
  SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
  PSID administrators = nullptr;
  ASSERT_TRUE(AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0,
                                       0, &administrators));
  SID_AND_ATTRIBUTES disable = {administrators, 0};
  HANDLE restricted = nullptr;
  ASSERT_TRUE(CreateRestrictedToken(process, 0, 1, &disable, 0, nullptr, 0, nullptr, &restricted));
  ASSERT_TRUE(ImpersonateLoggedOnUser(restricted));
  // The thread's own token is the one looked at.
  HANDLE threadToken = nullptr;
  ASSERT_TRUE(OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, &threadToken));
  CloseHandle(threadToken);
  EXPECT_TRUE(IsAdministrator());
  RevertToSelf();
  CloseHandle(restricted);
  CloseHandle(process);
  FreeSid(administrators);
}

TEST(Checks, GroupListWithoutAdministratorsIsNoAdministrator) {
  // Wine's token always has the group; the decision is checked on lists made here.
  SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
  PSID users = nullptr, administrators = nullptr, system = nullptr;
  ASSERT_TRUE(AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_USERS, 0, 0, 0, 0, 0, 0,
                                       &users));
  ASSERT_TRUE(AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0,
                                       0, &administrators));
  ASSERT_TRUE(AllocateAndInitializeSid(&nt, 1, SECURITY_LOCAL_SYSTEM_RID, 0, 0, 0, 0, 0, 0, 0, &system));
  struct {
    DWORD count;
    SID_AND_ATTRIBUTES groups[3];
  } list = {2, {{users, SE_GROUP_ENABLED}, {system, SE_GROUP_ENABLED}, {nullptr, 0}}};
  EXPECT_FALSE(GroupsIncludeAdministrators(reinterpret_cast<TOKEN_GROUPS*>(&list)));
  list.count = 3;
  list.groups[2] = {administrators, SE_GROUP_USE_FOR_DENY_ONLY};
  EXPECT_TRUE(GroupsIncludeAdministrators(reinterpret_cast<TOKEN_GROUPS*>(&list)));
  list.count = 0;
  EXPECT_FALSE(GroupsIncludeAdministrators(reinterpret_cast<TOKEN_GROUPS*>(&list)));
  FreeSid(users);
  FreeSid(administrators);
  FreeSid(system);
}

TEST(Checks, GameInstalledFollowsTheKey) {
  DeleteMachineTree(kGameKeyPath);
  EXPECT_FALSE(IsGameInstalled());
  ASSERT_TRUE(SetMachineString(kGameKeyPath, "SavingPath", "C:\\Games"));
  EXPECT_TRUE(IsGameInstalled());
  DeleteMachineTree(kGameKeyPath);
}

TEST(Checks, DiskSpaceOfTheGameDrive) {
  EXPECT_TRUE(HasEnoughDiskSpace("C:\\Games\\Vantor 3", 0));
  EXPECT_TRUE(HasEnoughDiskSpace("c:\\", 1000000));
  EXPECT_FALSE(HasEnoughDiskSpace("C:\\Games\\Vantor 3", 1ull << 60));
  // No such drive, or a UNC path: the question cannot be asked, and the check passes.
  EXPECT_TRUE(HasEnoughDiskSpace("\\\\server\\share\\Vantor 3", 1ull << 60));
  EXPECT_TRUE(HasEnoughColours());
}

}  // namespace
