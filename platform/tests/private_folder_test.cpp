#include "platform/private_folder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/admin_only_security.h"
#include "platform/held_file.h"
#include "tests/support/harness.h"

namespace {

// "BA" or "SY" for Administrators or SYSTEM, else "?".
std::string Name(PSID sid) {
  SID_IDENTIFIER_AUTHORITY nt = {SECURITY_NT_AUTHORITY};
  PSID administrators = nullptr, system = nullptr;
  AllocateAndInitializeSid(&nt, 2, SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0, &administrators);
  AllocateAndInitializeSid(&nt, 1, SECURITY_LOCAL_SYSTEM_RID, 0, 0, 0, 0, 0, 0, 0, &system);
  std::string name = EqualSid(sid, administrators) ? "BA" : EqualSid(sid, system) ? "SY" : "?";
  FreeSid(administrators);
  FreeSid(system);
  return name;
}

// The owner, "protected" when nothing is inherited from the parent, and
// each entry as its kind, its SID and its inheritance flags.
std::string Describe(PSECURITY_DESCRIPTOR descriptor) {
  PSID owner = nullptr;
  PACL dacl = nullptr;
  BOOL defaulted = FALSE, present = FALSE;
  SECURITY_DESCRIPTOR_CONTROL control = 0;
  DWORD revision = 0;
  if (!GetSecurityDescriptorOwner(descriptor, &owner, &defaulted) || !owner ||
      !GetSecurityDescriptorControl(descriptor, &control, &revision) ||
      !GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted) || !present || !dacl)
    return "unreadable";
  std::string text = Name(owner) + ((control & SE_DACL_PROTECTED) ? " protected" : "");
  for (DWORD i = 0; i < dacl->AceCount; ++i) {
    ACCESS_ALLOWED_ACE* ace = nullptr;
    if (!GetAce(dacl, i, reinterpret_cast<void**>(&ace))) return "unreadable";
    text += " " + std::to_string(ace->Header.AceType) + ":" + Name(&ace->SidStart) + ":" +
            std::to_string(ace->Header.AceFlags);
  }
  return text;
}

// Owned by Administrators, allowed (type 0) to Administrators and SYSTEM,
// passed on to files and folders inside (OI|CI, 3), nothing inherited
// (flag 0x10). Checked in the descriptor the creating call is given, and
// in the one the folder keeps where the file system keeps them: Wine does
// not, it makes one up from the Unix mode, with the user as owner.
TEST(PrivateFolder, OnlyAdministratorsAndSystemGetIn) {
  const std::string expected = "BA protected 0:BA:3 0:SY:3";
  AdminOnlySecurity security;
  ASSERT_TRUE(security.Build(true));
  EXPECT_EQ(Describe(security.Attributes()->lpSecurityDescriptor), expected);
  PrivateFolder folder;
  ASSERT_TRUE(folder.Create(TempDirectory().c_str()));
  DWORD needed = 0;
  SECURITY_INFORMATION wanted = OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
  GetFileSecurityA(folder.Path(), wanted, nullptr, 0, &needed);
  std::vector<char> buffer(needed ? needed : 1);
  ASSERT_TRUE(GetFileSecurityA(folder.Path(), wanted, buffer.data(), needed, &needed));
  bool underWine = GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
  std::string kept = Describe(buffer.data());
  if (underWine && kept.rfind("BA", 0) != 0)
    GTEST_SKIP() << "the descriptor the folder keeps: Wine makes one up (" << kept << ")";
  EXPECT_EQ(kept, expected);
}

// Windows 9x: what is still in use at the end is named in wininit.ini's
// [rename] section, the file before its folder, and another program's
// entry there stays. (ctest runs it as Windows 98; the NT way shows in the
// update whose worker outlives the launcher.)
TEST(PrivateFolder, WhatIsStillInUseIsRemovedAtTheNextStartOfWindows98) {
  if (GetVersion() < 0x80000000u) GTEST_SKIP() << "run by ctest as Windows 98";
  char windows[MAX_PATH];
  GetWindowsDirectoryA(windows, MAX_PATH);
  std::string wininit = std::string(windows) + "\\wininit.ini";
  ASSERT_TRUE(WriteFileBytes(wininit, "[Rename]\r\nNUL=C:\\OTHER~1.TMP\r\n\r\n[Other]\r\nkey=value\r\n"));
  PrivateFolder folder;
  ASSERT_TRUE(folder.Create(TempDirectory().c_str()));
  std::string path = folder.Path();
  char file[MAX_PATH], shortFile[MAX_PATH] = {}, shortFolder[MAX_PATH] = {};
  ASSERT_TRUE(folder.FileName(file, MAX_PATH, "tmp", ".tmp"));
  HeldFile held;
  ASSERT_TRUE(held.Write(file, "MZ", 2));
  GetShortPathNameA(file, shortFile, MAX_PATH);
  GetShortPathNameA(path.c_str(), shortFolder, MAX_PATH);
  folder.Remove();
  EXPECT_EQ(FileBytes(wininit), std::string("[Rename]\r\nNUL=C:\\OTHER~1.TMP\r\nNUL=") + shortFile + "\r\nNUL=" +
                                    shortFolder + "\r\n\r\n[Other]\r\nkey=value\r\n");
  DeleteFileA(wininit.c_str());
  held.Release();
  DeleteFileA(file);
  RemoveDirectoryA(path.c_str());
}

}  // namespace
