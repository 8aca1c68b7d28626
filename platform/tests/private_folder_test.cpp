#include "platform/private_folder.h"

#include <aclapi.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/admin_only_security.h"
#include "platform/held_file.h"
#include "platform/removal_at_reboot.h"
#include "tests/support/harness.h"

namespace {

bool IsWellKnown(PSID sid, DWORD count, DWORD first, DWORD second) {
  SID_IDENTIFIER_AUTHORITY nt = {SECURITY_NT_AUTHORITY};
  PSID expected = nullptr;
  if (!AllocateAndInitializeSid(&nt, static_cast<BYTE>(count), first, second, 0, 0, 0, 0, 0, 0, &expected)) return false;
  bool equal = EqualSid(sid, expected) != 0;
  FreeSid(expected);
  return equal;
}
bool IsAdministrators(PSID sid) { return IsWellKnown(sid, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS); }
bool IsSystem(PSID sid) { return IsWellKnown(sid, 1, SECURITY_LOCAL_SYSTEM_RID, 0); }

// Owned by Administrators, its two entries for Administrators and SYSTEM
// passed on to what is made inside, nothing inherited from the parent.
void ExpectAdministratorsOnly(PSECURITY_DESCRIPTOR descriptor) {
  PSID owner = nullptr;
  BOOL defaulted = FALSE, present = FALSE;
  ASSERT_TRUE(GetSecurityDescriptorOwner(descriptor, &owner, &defaulted));
  EXPECT_TRUE(owner && IsAdministrators(owner));
  SECURITY_DESCRIPTOR_CONTROL control = 0;
  DWORD revision = 0;
  ASSERT_TRUE(GetSecurityDescriptorControl(descriptor, &control, &revision));
  EXPECT_TRUE(control & SE_DACL_PROTECTED);
  PACL dacl = nullptr;
  ASSERT_TRUE(GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted));
  ASSERT_TRUE(present && dacl);
  ASSERT_EQ(dacl->AceCount, 2u);
  bool administrators = false, system = false;
  for (DWORD i = 0; i < dacl->AceCount; ++i) {
    ACCESS_ALLOWED_ACE* ace = nullptr;
    ASSERT_TRUE(GetAce(dacl, i, reinterpret_cast<void**>(&ace)));
    EXPECT_EQ(ace->Header.AceType, ACCESS_ALLOWED_ACE_TYPE);
    EXPECT_EQ(ace->Header.AceFlags & INHERITED_ACE, 0) << "inherited from the parent";
    EXPECT_EQ(ace->Header.AceFlags & (OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE), OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE);
    PSID sid = &ace->SidStart;
    administrators |= IsAdministrators(sid);
    system |= IsSystem(sid);
  }
  EXPECT_TRUE(administrators && system);
}

// The descriptor the creating call is given, and the one the folder keeps
// where the file system keeps them. Wine does not: it makes one up from the
// Unix mode, with the user as owner.
TEST(PrivateFolder, OnlyAdministratorsAndSystemGetIn) {
  AdminOnlySecurity security;
  ASSERT_TRUE(security.Build(true));
  ExpectAdministratorsOnly(security.Attributes()->lpSecurityDescriptor);
  PrivateFolder folder, other;
  ASSERT_TRUE(folder.Create(TempDirectory().c_str()));
  ASSERT_TRUE(other.Create(TempDirectory().c_str()));
  std::string path = folder.Path();
  EXPECT_NE(path, std::string(other.Path()));
  EXPECT_EQ(path.rfind(TempDirectory() + "vt3_", 0), 0u) << path;
  DWORD needed = 0;
  SECURITY_INFORMATION wanted = OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
  GetFileSecurityA(path.c_str(), wanted, nullptr, 0, &needed);
  std::vector<char> buffer(needed ? needed : 1);
  ASSERT_TRUE(GetFileSecurityA(path.c_str(), wanted, buffer.data(), needed, &needed));
  PSID owner = nullptr;
  BOOL defaulted = FALSE;
  bool underWine = GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
  if (!underWine || (GetSecurityDescriptorOwner(buffer.data(), &owner, &defaulted) && owner && IsAdministrators(owner)))
    ExpectAdministratorsOnly(buffer.data());
  std::string otherPath = other.Path();
  other.Remove();
  EXPECT_FALSE(FileExists(otherPath));
}

// What is still in use at the end goes at the next start of Windows, the
// file first and the folder last; on 9x through wininit.ini, keeping the
// entries of other programs there. (ctest runs it as NT and as Windows 98.)
TEST(PrivateFolder, WhatIsStillInUseIsRemovedAtTheNextStart) {
  bool nt = GetVersion() < 0x80000000u;
  char windows[MAX_PATH];
  GetWindowsDirectoryA(windows, MAX_PATH);
  std::string wininit = std::string(windows) + "\\wininit.ini";
  const char* session = "System\\CurrentControlSet\\Control\\Session Manager";
  if (nt) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, session, 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
      RegDeleteValueA(key, "PendingFileRenameOperations");
      RegCloseKey(key);
    }
  } else {
    ASSERT_TRUE(WriteFileBytes(wininit, "[Rename]\r\nNUL=C:\\OTHER~1.TMP\r\n\r\n[Other]\r\nkey=value\r\n"));
  }
  PrivateFolder folder;
  ASSERT_TRUE(folder.Create(TempDirectory().c_str()));
  std::string path = folder.Path();
  char file[MAX_PATH];
  ASSERT_TRUE(folder.FileName(file, MAX_PATH, "tmp", ".tmp"));
  HeldFile held;
  ASSERT_TRUE(held.Write(file, "MZ", 2));
  char shortFile[MAX_PATH] = {}, shortFolder[MAX_PATH] = {};
  GetShortPathNameA(file, shortFile, MAX_PATH);
  GetShortPathNameA(path.c_str(), shortFolder, MAX_PATH);
  folder.Remove();
  EXPECT_TRUE(FileExists(file)) << "a file in use cannot go now";
  if (nt) {
    HKEY key;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, session, 0, KEY_READ, &key), ERROR_SUCCESS);
    std::vector<char> value(65536);
    DWORD size = static_cast<DWORD>(value.size()), type = 0;
    LONG read = RegQueryValueExA(key, "PendingFileRenameOperations", nullptr, &type, reinterpret_cast<BYTE*>(value.data()), &size);
    RegCloseKey(key);
    ASSERT_EQ(read, ERROR_SUCCESS);
    // Pairs of "\??\source" and an empty target, in order.
    std::vector<std::string> entries;
    for (size_t at = 0; at < size && value[at];) {
      entries.push_back(&value[at]);
      at += entries.back().size() + 1;
      if (at < size && !value[at]) ++at;  // the empty target
    }
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_NE(entries[0].find(std::string(file).substr(2)), std::string::npos) << entries[0];
    EXPECT_NE(entries[1].find(path.substr(2)), std::string::npos) << entries[1];
  } else {
    EXPECT_EQ(FileBytes(wininit), std::string("[Rename]\r\nNUL=C:\\OTHER~1.TMP\r\nNUL=") + shortFile + "\r\nNUL=" +
                                      shortFolder + "\r\n\r\n[Other]\r\nkey=value\r\n");
    DeleteFileA(wininit.c_str());
  }
  held.Release();
  DeleteFileA(file);
  RemoveDirectoryA(path.c_str());
}

}  // namespace
