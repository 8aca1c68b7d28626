#include "platform/held_folder.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/held_file.h"
#include "tests/support/harness.h"

namespace {

// The new game goes into the folder held since the start, by its bare
// name: a folder that cannot be moved away meanwhile, and whose files stay
// free to be written and replaced.
TEST(HeldFolder, NamesInItReachTheHeldFolderWhichCannotBeMovedMeanwhile) {
  const std::string folderPath = TempDirectory() + "vt3 held folder";
  RemoveTree(folderPath);
  ASSERT_TRUE(MakeDirectories(folderPath));
  ASSERT_TRUE(WriteFileBytes(folderPath + "\\vt3.exe", "old game"));
  {
    HeldFolder folder;
    ASSERT_TRUE(folder.Open(folderPath.c_str()));
    EXPECT_FALSE(MoveFileA(folderPath.c_str(), (folderPath + " moved").c_str())) << "the held folder was renamed";
    EXPECT_FALSE(RemoveDirectoryA(folderPath.c_str()));

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
  EXPECT_TRUE(MoveFileA(folderPath.c_str(), (folderPath + " moved").c_str())) << "still held once released";
  EXPECT_TRUE(RemoveTree(folderPath + " moved"));
}

}  // namespace
