#include "platform/files/held_folder.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/files/held_file.h"
#include "tests/support/harness.h"

namespace {

// The new game goes into the folder held since the start, by its bare
// name: a folder that cannot be moved away meanwhile, and whose files stay
// free to be written and replaced. Kinds of reparse point Wine cannot make,
// reported through the test build's entries: every kind with the
// name-surrogate bit is a link (a mount point, a symbolic link, the kinds of
// WSL and containers), as are kind 0 and an entry that cannot be read;
// kinds that keep their data in place (deduplication, cloud files, a
// socket) are folders to hold. Held in the UTF-16 form as in the ANSI one,
// and not to be moved meanwhile. Catches name-surrogate-tag-followed and
// unreadable-folder-entry-trusted.
TEST(HeldFolder, NamesInItReachTheHeldFolderAndEveryLinkKindOfReparsePointIsRefused) {
  if (GetVersion() >= 0x80000000u) GTEST_SKIP() << "9x opens no folders and has no reparse points";
  const std::string folderPath = TempDirectory() + "vt3 held folder", moved = folderPath + " moved";
  const std::wstring widePath(folderPath.begin(), folderPath.end());
  ASSERT_TRUE(MakeDirectories(folderPath));
  ASSERT_TRUE(WriteFileBytes(folderPath + "\\vt3.exe", "old game"));
  {
    HeldFolder folder;
    ASSERT_TRUE(folder.Open(folderPath.c_str()));
    EXPECT_FALSE(MoveFileA(folderPath.c_str(), moved.c_str())) << "the held folder was renamed";

    const std::string written = folderPath + "\\tmp0123456789abcdef.tmp";
    HeldFile game;
    ASSERT_TRUE(game.Write(written.c_str(), "new game", 8, true));
    ASSERT_TRUE(game.RenameReplacing(folder.Handle(), "vt3.exe"));
    game.Release();
    EXPECT_EQ(FileBytes(folderPath + "\\vt3.exe"), "new game");
    EXPECT_FALSE(FileExists(written));
    // A file is no folder to hold.
    EXPECT_FALSE(HeldFolder().Open((folderPath + "\\vt3.exe").c_str()));
  }
  const std::pair<const char*, bool> kinds[] = {
      {"A0000003", true},  {"A000000C", true},  {"A000001D", true},  {"A0000027", true}, {"0", true},
      {"unreadable", true}, {"80000013", false}, {"9000001A", false}, {"80000023", false}};
  for (const auto& kind : kinds) {
    SetEnvironmentVariableA("VT3_FOLDER_TAG", kind.first);
    HeldFolder narrow, wide;
    EXPECT_NE(narrow.Hold(folderPath.c_str()), kind.second) << kind.first;
    EXPECT_NE(wide.HoldWide(widePath.c_str()), kind.second) << kind.first;
    EXPECT_TRUE(kind.second || !MoveFileA(folderPath.c_str(), moved.c_str())) << kind.first;
  }
  SetEnvironmentVariableA("VT3_FOLDER_TAG", nullptr);
  EXPECT_TRUE(MoveFileA(folderPath.c_str(), moved.c_str())) << "still held once released";
  EXPECT_TRUE(RemoveTree(moved));
}

}  // namespace
