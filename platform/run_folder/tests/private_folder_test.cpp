#include "platform/run_folder/private_folder.h"

#include <gtest/gtest.h>
#include <sddl.h>

#include <cstdlib>
#include <string>
#include <tuple>
#include <vector>

#include "platform/files/held_file.h"
#include "platform/run_folder/admin_only_security.h"
#include "platform/run_folder/earlier_run_folders.h"
#include "tests/support/harness.h"
#include "tests/support/host_link.h"

// What the folder's creating call was given (tests/support/recording_folder_creation.cpp).
extern std::vector<char> recordedFolderSecurity;

namespace {

// Owned by Administrators, all file rights allowed to Administrators and
// SYSTEM only, passed on to files and folders inside (OICI), nothing
// inherited (P). Checked in the descriptor the creating call is given: what
// the folder keeps of it is the file system's part, and Wine keeps nothing
// (it makes one up from the Unix mode, with the user as owner). While
// the run holds it, nobody can remove or rename the folder. At the end
// only the files the run named are deleted, a scanner's hold waited out:
// one that somebody else put there stays, and so does the folder, then
// scheduled for the next start of Windows by its own name only (NT; on 9x
// nothing is written for it). Catches administrators-sid-is-users and
// run-folder-delete-not-retried.
// Of the folders that earlier runs left beside it, only a real folder of
// the update's naming, made as a run makes it (owner and entries), goes,
// and inside it only files of the update's naming. A link of that name to
// a folder of the player's is not followed; a folder of another name, or
// one made as any program makes a folder, is not the update's.
TEST(PrivateFolder, OnlyAdministratorsGetInNobodyTakesItOnlyWhatItNamedGoesAndOnlyEarlierRunFoldersGo) {
  const bool nt = GetVersion() < 0x80000000u;
  const std::string parent = TempDirectory(), elsewhere = "C:\\players_folder";
  const std::string file = "\\tmp0123456789abcdef.tmp", other = "\\notes.txt";
  // Name, a file of another naming inside, made as any program makes a
  // folder, whether the folder goes.
  const std::tuple<const char*, bool, bool, bool> cases[] = {{"vt3_00112233445566aa", false, false, true},
                                                            {"vt3_00112233445566BB", true, false, false},
                                                            {"vt3_00112233445566d", false, false, false},
                                                            {"vt3_00112233445566ee", false, true, false}};
  AdminOnlySecurity security;
  ASSERT_TRUE(security.Build(true) && MakeDirectories(elsewhere));
  ASSERT_TRUE(WriteFileBytes(elsewhere + file, "player's"));
  const bool linked = MakeHostLink(elsewhere, parent + "vt3_00112233445566cc");
  for (const auto& [name, extraFile, plain, goes] : cases) {
    ASSERT_TRUE(CreateDirectoryA((parent + name).c_str(), plain ? nullptr : security.Attributes())) << name;
    ASSERT_TRUE(WriteFileBytes(parent + name + file, "MZ"));
    ASSERT_TRUE(!extraFile || WriteFileBytes(parent + name + other, "kept"));
  }
  TakePendingFileRenames();
  recordedFolderSecurity.clear();
  PrivateFolder folder;
  ASSERT_TRUE(folder.Create(parent.c_str()));
  RemoveEarlierRunFolders(parent.c_str(), folder);
  for (const auto& [name, extraFile, plain, goes] : cases) {
    EXPECT_EQ(FileExists(parent + name), !goes) << name;
    // Files of the update's naming go from its folder even where another file keeps it.
    EXPECT_EQ(FileExists(parent + name + file), !goes && !extraFile) << name;
    EXPECT_EQ(FileExists(parent + name + other), extraFile) << name;
    RemoveTree(parent + name);
  }
  EXPECT_EQ(FileBytes(elsewhere + file), "player's") << "followed the link";
  EXPECT_TRUE(linked || !GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version"))
      << "the host-side link could not be made";
  RemoveTree(elsewhere);
  // The run's own folder stayed: its files are written below.
  std::string path = folder.Path(), planted = path + "\\planted.txt";
  if (nt) {
    ASSERT_FALSE(recordedFolderSecurity.empty()) << "created without a descriptor";
    // Owner and entries in the system's own notation.
    char* given = nullptr;
    ASSERT_TRUE(ConvertSecurityDescriptorToStringSecurityDescriptorA(
        recordedFolderSecurity.data(), SDDL_REVISION_1, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &given,
        nullptr));
    EXPECT_STREQ(given, "O:BAD:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)");
    LocalFree(given);
    EXPECT_FALSE(RemoveDirectoryA(path.c_str()));
    EXPECT_FALSE(MoveFileA(path.c_str(), (path + ".aside").c_str()));
  }
  char ours[MAX_PATH], unused[MAX_PATH];
  ASSERT_TRUE(folder.FileName(ours, MAX_PATH, "tmp", ".tmp") && folder.FileName(unused, MAX_PATH, "tmp", ".tmp"));
  ASSERT_TRUE(WriteFileBytes(ours, "MZ") && WriteFileBytes(planted, "not the run's"));
  // A scanner holds the worker's file as the launcher removes it: the
  // delete waits for it instead of leaving it to the next start.
  HANDLE scanner = StartProcess("\"" + Sibling("section_peer.exe") + "\" scan \"" + ours + "\" 400");
  ASSERT_NE(scanner, nullptr);
  auto scanned = [&] {
    HANDLE probe = CreateFileA(ours, DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, 0, nullptr);
    return probe == INVALID_HANDLE_VALUE ? GetLastError() == ERROR_SHARING_VIOLATION : !CloseHandle(probe);
  };
  // However long the scanner takes to start on a busy machine: a removal
  // before its hold would test nothing.
  for (DWORD waited = 0; waited < 60000 && !scanned() && WaitForSingleObject(scanner, 0) == WAIT_TIMEOUT; waited += 2)
    Sleep(2);
  folder.Remove();
  EXPECT_EQ(FinishProcess(scanner), 0u) << "the scanner never held the file";
  EXPECT_FALSE(FileExists(ours));
  EXPECT_EQ(FileBytes(planted), "not the run's");
  const std::string pending = TakePendingFileRenames();
  EXPECT_EQ(pending.find("planted"), std::string::npos) << "a file that is not the run's is scheduled";
  EXPECT_EQ(pending.find(std::string(ours).substr(path.size())), std::string::npos) << "the held file was left";
  if (nt) {
    EXPECT_NE(pending.find(path.substr(path.rfind('\\'))), std::string::npos) << "the folder is not scheduled";
  }
  DeleteFileA(planted.c_str());
  RemoveDirectoryA(path.c_str());
}

// Windows 9x: a file still in use at the end is named in wininit.ini's
// [rename] section, and another program's entry there stays. Its folder is
// not: wininit removes files only, and the next run removes the folder. (ctest runs it as Windows 98; the NT way shows in the
// update whose worker outlives the launcher.)
TEST(PrivateFolder, WhatIsStillInUseIsRemovedAtTheNextStartOfWindows98) {
  if (GetVersion() < 0x80000000u) GTEST_SKIP() << "run by ctest as Windows 98";
  const std::string wininit = std::string(std::getenv("windir")) + "\\wininit.ini";
  ASSERT_TRUE(WriteFileBytes(wininit, "[Rename]\r\nNUL=C:\\OTHER~1.TMP\r\n\r\n[Other]\r\nkey=value\r\n"));
  PrivateFolder folder;
  ASSERT_TRUE(folder.Create(TempDirectory().c_str()));
  std::string path = folder.Path();
  char file[MAX_PATH], shortFile[MAX_PATH] = {};
  ASSERT_TRUE(folder.FileName(file, MAX_PATH, "tmp", ".tmp"));
  HeldFile held;
  ASSERT_TRUE(held.Write(file, "MZ", 2));
  GetShortPathNameA(file, shortFile, MAX_PATH);
  folder.Remove();
  EXPECT_EQ(FileBytes(wininit), std::string("[Rename]\r\nNUL=C:\\OTHER~1.TMP\r\nNUL=") + shortFile +
                                    "\r\n\r\n[Other]\r\nkey=value\r\n");
  DeleteFileA(wininit.c_str());
  held.Release();
  DeleteFileA(file);
  RemoveDirectoryA(path.c_str());
}

}  // namespace
