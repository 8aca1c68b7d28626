// A game installed at 1.0, with its lobby registration, for the tests that
// run the whole update: the shipped launcher, its worker and the stand-in
// data stage.
#pragma once
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "tests/support/harness.h"
#include "worker/tests/worker_test_util.h"

inline std::string SpecialFolder(int csidl) {
  char path[MAX_PATH] = {};
  SHGetSpecialFolderPathA(nullptr, path, csidl, FALSE);
  return path;
}

inline std::string WindowsDirectory() {
  char windows[MAX_PATH] = {};
  GetWindowsDirectoryA(windows, MAX_PATH);
  return windows;
}

// Whether a payload section or the control block exists.
inline bool AnySectionExists() {
  for (const char* name : {"VuzFshare", "VuzFshare0", "VuzFshare1"})
    if (HANDLE mapping = OpenFileMappingA(FILE_MAP_READ, FALSE, name)) return CloseHandle(mapping);
  return false;
}

// The system's temporary folder, where the run's folder is made on NT.
inline std::string SystemTempDirectory() { return WindowsDirectory() + "\\Temp\\"; }

class InstalledGame : public testing::Test {
 protected:
  void SetUp() override { Install("C:\\Games\\Vantor 3"); }
  void TearDown() override { RemoveTree(game.directory); }
  void Install(const std::string& directory) {
    // A data stage outlives a worker killed by a test; it must not meet the next game.
    for (int i = 0; i < 1000 && FindProcess(".tmp"); ++i) Sleep(10);
    ASSERT_TRUE(game.Create(directory, 0x0409, Sibling("vt3_standin_1_0.exe")));
    InstallOldLobbyKey(directory);
    for (int csidl : {CSIDL_PROGRAMS, CSIDL_COMMON_PROGRAMS}) RemoveTree(SpecialFolder(csidl) + "\\BrenmarkSoft");
    for (const char* name : {"\\Vantor 3.lnk", "\\Vantor 3 (NoSetup).lnk"})
      DeleteFileA((SpecialFolder(CSIDL_DESKTOP) + name).c_str());
    playersSettings = FileBytes(PlayersFile("joystick.ini"));
    tempBefore = FilesMatching(TempDirectory() + "tmp*.tmp");
    runFoldersBefore = FilesMatching(TempDirectory() + "vt3_*");
  }
  // What the stand-in data stage is to do (fail, crash, pause, report).
  void Fault(const std::string& text) { ASSERT_TRUE(WriteFileBytes(GameFile("standin_fault.txt"), text)); }
  // VT3_LAUNCHER runs another build of the launcher (the signed one).
  LaunchResult Run(std::string launcher = "") {
    const char* other = std::getenv("VT3_LAUNCHER");
    if (launcher.empty()) launcher = other ? other : Sibling("Vt3update.exe");
    return RunAndObserve(launcher, 90000);
  }
  std::string GameFile(const std::string& name) const { return game.directory + "\\" + name; }
  std::string PlayersFile(const std::string& name) const { return GameFile("data\\players\\" + name); }
  std::string GameVersion() const { return Version(GameFile("vt3.exe")); }
  // Neither the temporary folders (beyond what was there when the game was
  // installed) nor the game folder keeps a temporary file or a run folder,
  // and no section stays once the launcher has ended.
  void ExpectNoTemporaryLeft() {
    EXPECT_EQ(FilesMatching(TempDirectory() + "tmp*.tmp"), tempBefore);
    EXPECT_EQ(FilesMatching(TempDirectory() + "vt3_*"), runFoldersBefore);
    EXPECT_EQ(FilesMatching(SystemTempDirectory() + "vt3_*"), std::vector<std::string>()) << "left in the system's";
    EXPECT_EQ(FilesMatching(GameFile("tmp*.tmp")), std::vector<std::string>()) << "left in the game folder";
    // The run's own folder, wherever it was made.
    EXPECT_EQ(FilesMatching(GameFile("vt3_*")), std::vector<std::string>()) << "left in the game folder";
    EXPECT_FALSE(AnySectionExists()) << "a payload or control section still exists";
  }
  // A failed update: the old game, no temporary file, none of the
  // finishing steps (ReadMe, shortcut, lobby key), so the next run repeats it all.
  void ExpectOldGameAndNothingFinished() {
    EXPECT_EQ(GameVersion(), "1.0.0.0");
    ExpectNoTemporaryLeft();
    EXPECT_FALSE(FileExists(GameFile("ReadMe_v1_1_En.txt")));
    EXPECT_FALSE(FileExists(SpecialFolder(CSIDL_DESKTOP) + "\\Vantor 3.lnk"));
    std::string value;
    EXPECT_TRUE(GetMachineString(kOldLobbyKey, "GUID", &value));
    EXPECT_FALSE(GetMachineString(kNewLobbyKey, "GUID", &value));
  }
  GameInstall game;
  std::string playersSettings;  // joystick.ini as installed
  std::vector<std::string> tempBefore;
  std::vector<std::string> runFoldersBefore;
};
