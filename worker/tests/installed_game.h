// A game installed at 1.0, with its lobby registration, for the tests that
// run the whole update: the shipped launcher, its worker and the stand-in
// data stage.
#pragma once
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "tests/support/harness.h"
#include "worker/tests/worker_test_util.h"

class InstalledGame : public testing::Test {
 protected:
  void SetUp() override { Install("C:\\Games\\Vantor 3"); }
  void TearDown() override { RemoveTree(game.directory); }
  void Install(const std::string& directory) {
    // A data stage outlives a worker killed by a test; it must not meet the next game.
    for (int i = 0; i < 1000 && FindProcess(".tmp"); ++i) Sleep(10);
    ASSERT_TRUE(game.Create(directory, 0x0409, Sibling("vt3_standin_1_0.exe")));
    InstallOldLobbyKey(directory);
    tempBefore = FilesMatching(TempDirectory() + "tmp*.tmp");
  }
  void Fault(const std::string& text) { ASSERT_TRUE(WriteFileBytes(GameFile("standin_fault.txt"), text)); }
  // VT3_LAUNCHER runs another build of the launcher (the signed one).
  LaunchResult Run(std::string launcher = "") {
    const char* other = std::getenv("VT3_LAUNCHER");
    if (launcher.empty()) launcher = other ? other : Sibling("Vt3update.exe");
    return RunAndObserve(launcher, 90000);
  }
  std::string GameFile(const std::string& name) const { return game.directory + "\\" + name; }
  std::string GameVersion() const { return Version(GameFile("vt3.exe")); }
  // Neither the temporary folder nor the game folder keeps a temporary file.
  void ExpectNoTemporaryLeft() {
    EXPECT_EQ(FilesMatching(TempDirectory() + "tmp*.tmp"), tempBefore);
    EXPECT_EQ(FilesMatching(GameFile("tmp*.tmp")), std::vector<std::string>()) << "left in the game folder";
  }
  GameInstall game;
  std::vector<std::string> tempBefore;
};
