#include "launcher/checks.h"

#include <gtest/gtest.h>


namespace {

// Wine's token always holds the group; the decision is checked on group
// lists made here. Denied-only (a filtered administrator's token) counts.
TEST(Checks, AdministratorsGroupCountsEvenWhenDenyOnly) {
  SID_IDENTIFIER_AUTHORITY nt = SECURITY_NT_AUTHORITY;
  PSID users = nullptr, administrators = nullptr;
  ASSERT_TRUE(AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_USERS, 0, 0, 0, 0, 0, 0,
                                       &users));
  ASSERT_TRUE(AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0,
                                       0, &administrators));
  struct {
    DWORD count;
    SID_AND_ATTRIBUTES groups[2];
  } list = {1, {{users, SE_GROUP_ENABLED}, {administrators, SE_GROUP_USE_FOR_DENY_ONLY}}};
  EXPECT_FALSE(GroupsIncludeAdministrators(reinterpret_cast<TOKEN_GROUPS*>(&list)));
  list.count = 2;
  EXPECT_TRUE(GroupsIncludeAdministrators(reinterpret_cast<TOKEN_GROUPS*>(&list)));
  FreeSid(users);
  FreeSid(administrators);
  EXPECT_TRUE(IsAdministrator());
}

// A drive that cannot be asked (a UNC path) passes; a size no drive has does not.
TEST(Checks, DiskSpaceOfTheGameDrive) {
  EXPECT_FALSE(HasEnoughDiskSpace("c:\\Games\\Vantor 3", 1ull << 60));
  EXPECT_TRUE(HasEnoughDiskSpace("\\\\server\\share\\Vantor 3", 1ull << 60));
}

}  // namespace
