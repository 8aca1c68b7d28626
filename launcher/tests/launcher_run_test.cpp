// The launcher's own outcomes, under Wine, on an installed game: builds of
// the shipped launcher without its dialog or with a payload 150 that is no
// program, and leftovers of another update.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/game_key.h"
#include "tests/support/box_probe.h"
#include "transport/shared_section.h"
#include "worker/tests/installed_game.h"

namespace {

class LauncherRun : public InstalledGame {
 protected:
  // No temporary worker and no section stays once the launcher has ended.
  void ExpectCleanedUp() {
    ExpectNoTemporaryLeft();
    for (const char* name : {"VuzFshare", "VuzFshare0", "VuzFshare1"}) {
      HANDLE mapping = OpenFileMappingA(FILE_MAP_READ, FALSE, name);
      EXPECT_EQ(mapping, nullptr) << name << " still exists";
      if (mapping) CloseHandle(mapping);
    }
  }
};

TEST_F(LauncherRun, GameKeyMissingStopsBeforeAnythingIsWritten) {
  DeleteMachineTree(kGameKeyPath);
  LaunchResult result = Run();
  EXPECT_EQ(result.box.text, "This update only runs when Vantor 3 is installed on your machine");
  EXPECT_EQ(result.box.icon, kBoxIconError);
  EXPECT_EQ(result.exitCode, 0u);
  EXPECT_EQ(GameVersion(), "1.0.0.0");
  ExpectCleanedUp();
}

TEST_F(LauncherRun, WorkerThatCannotStartOrNoDialog) {
  LaunchResult result = Run(Sibling("Vt3update_badworker.exe"));
  // Windows reports ENOEXEC for a file that is no executable; Wine's runtime says EINVAL.
  const std::string base = "Update process does not start: update aborts.";
  EXPECT_TRUE(result.box.text == base + "Specified file is not executable or has invalid executable-file format" ||
              result.box.text == base + "mode argument is invalid")
      << result.box.text;
  EXPECT_EQ(result.exitCode, 0u);
  ExpectCleanedUp();
  // Without its dialog the launcher still waits for the worker's outcome:
  // an error, or success once the game is updated.
  Fault("fail 9 500\n");
  EXPECT_EQ(Run(Sibling("Vt3update_nodialog.exe")).box.text, "Addition of data failed: update aborts.");
  Install("C:\\Games\\Vantor 3");
  EXPECT_EQ(Run(Sibling("Vt3update_nodialog.exe")).box.text, "Operation completed");
  EXPECT_EQ(GameVersion(), "1.1.74.3");
  ExpectCleanedUp();
}

TEST_F(LauncherRun, ProgressDialogCannotBeClosedAndTheBoxWaitsForTheWorker) {
  Fault("slow 40\n");
  HANDLE launcher = StartProcess("\"" + Sibling("Vt3update.exe") + "\"");
  ASSERT_NE(launcher, nullptr);
  struct Search {  // the window of the launcher's process with the bar
    DWORD processId;
    HWND found;
    static BOOL CALLBACK Visit(HWND window, LPARAM parameter) {
      Search* search = reinterpret_cast<Search*>(parameter);
      DWORD owner = 0;
      GetWindowThreadProcessId(window, &owner);
      if (owner == search->processId && GetDlgItem(window, 1004)) search->found = window;
      return !search->found;
    }
  } search = {GetProcessId(launcher), nullptr};
  for (int i = 0; i < 1000 && !search.found; ++i) {
    EnumWindows(Search::Visit, reinterpret_cast<LPARAM>(&search));
    if (!search.found) Sleep(10);
  }
  ASSERT_NE(search.found, nullptr);
  // Alt+F4 and the system menu's Close.
  PostMessageA(search.found, WM_SYSCOMMAND, SC_CLOSE, 0);
  PostMessageA(search.found, WM_CLOSE, 0, 0);
  Sleep(300);
  EXPECT_TRUE(IsWindow(search.found) && IsWindowVisible(search.found)) << "closed while the update runs";
  EXPECT_EQ(ObserveBox(launcher, 90000).text, "Operation completed");
  // The message comes once the worker has ended, not while it finishes.
  EXPECT_EQ(FindProcess(".tmp"), 0u);
  WaitForSingleObject(launcher, 10000);
  CloseHandle(launcher);
  ExpectCleanedUp();
}

TEST_F(LauncherRun, LeftoversOfAnotherUpdateAreTheSecondLauncherCase) {
  {
    // A block that is already there, without payload sections.
    SharedSection block;
    ASSERT_NE(block.Create("VuzFshare", 88), nullptr);
    EXPECT_EQ(Run().box.text, "Extraction failed on file 1: update aborts.");
  }
  // A mutex of a payload section held by a process that hangs: the launcher
  // stops waiting for it.
  HANDLE mutex = CreateMutexA(nullptr, TRUE, "VuzFshare1Mutex");
  ASSERT_NE(mutex, nullptr);
  LaunchResult result = Run();
  ReleaseMutex(mutex);
  CloseHandle(mutex);
  EXPECT_EQ(result.box.text, "Extraction failed on file 2: update aborts.");
  EXPECT_LT(result.millisecondsToBox, 20000u);
  EXPECT_EQ(GameVersion(), "1.0.0.0");
  ExpectCleanedUp();
}

}  // namespace
