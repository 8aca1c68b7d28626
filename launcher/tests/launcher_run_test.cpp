// The launcher run whole under Wine, with the test worker as payload 150.
#include <windows.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/game_key.h"
#include "tests/support/box_probe.h"
#include "tests/support/harness.h"
#include "tests/support/process.h"
#include "transport/shared_section.h"

namespace {

const std::string kSuccess = "total 1000\ncount 0\ncount 400\ncount 1000\ndone\n";

class LauncherRun : public testing::Test {
 protected:
  void SetUp() override {
    std::string name = testing::UnitTest::GetInstance()->current_test_info()->name();
    ASSERT_TRUE(game.Create("C:\\Games\\" + name + "\\Vantor 3", 0x0409, ""));
    tempBefore = TempFilesMatching("tmp*.tmp");
  }
  void TearDown() override {
    DeleteFileA(ScenarioPath().c_str());
    RemoveTree(game.directory);
  }
  static std::string ScenarioPath() { return TempDirectory() + "vt3_test_scenario.txt"; }
  void Scenario(const std::string& text) { ASSERT_TRUE(WriteFileBytes(ScenarioPath(), text)); }
  LaunchResult Run(const char* exe = "Vt3update_test.exe") { return RunAndObserve(Sibling(exe)); }
  void ExpectCleanedUp() {
    EXPECT_EQ(TempFilesMatching("tmp*.tmp"), tempBefore) << "temporary worker left behind";
    for (const char* name : {"VuzFshare", "VuzFshare0", "VuzFshare1"}) {
      HANDLE mapping = OpenFileMappingA(FILE_MAP_READ, FALSE, name);
      EXPECT_EQ(mapping, nullptr) << name << " still exists";
      if (mapping) CloseHandle(mapping);
    }
  }
  GameInstall game;
  std::vector<std::string> tempBefore;
};

TEST_F(LauncherRun, SuccessShowsTheLocalisedTextWithTheInformationIcon) {
  struct Case {
    DWORD language;
    const char* text;
  } cases[] = {{0x0409, "Operation completed"},
               {0x040C, "Op\xE9ration termin\xE9" "e"},
               {0x0407, "Vorgang beendet"},
               {0x041D, "Operationen klar"}};
  for (const Case& c : cases) {
    ASSERT_TRUE(SetMachineDword(kGameKeyPath, "Language", c.language));
    Scenario(kSuccess);
    LaunchResult result = Run();
    EXPECT_TRUE(result.box.shown);
    EXPECT_EQ(result.box.text, c.text);
    EXPECT_EQ(result.box.icon, kBoxIconInformation);
    EXPECT_EQ(result.exitCode, 1u);
    ExpectCleanedUp();
  }
}

TEST_F(LauncherRun, BlockIsFilledAndPayloadsArePublishedBeforeTheWorkerStarts) {
  std::string record = TempDirectory() + "vt3_block.txt";
  Scenario("verify-payloads\nrecord " + record + "\ndone\n");
  SetFileAttributesA((game.directory + "\\vt3.exe").c_str(), FILE_ATTRIBUTE_READONLY);
  SetFileAttributesA((game.directory + "\\datafiles\\vt3.dat").c_str(), FILE_ATTRIBUTE_READONLY);
  LaunchResult result = Run();
  EXPECT_EQ(result.box.text, "Operation completed");
  std::string fields;
  ASSERT_TRUE(ReadFileBytes(record, &fields));
  DeleteFileA(record.c_str());
  unsigned long tag = 0, sections = 0, remainder = 0, stage = 1;
  long total = 0, count = -1, error = -1, done = -1;
  ASSERT_EQ(sscanf(fields.c_str(), "%lx %lu %ld %ld %ld %ld %lu %lx", &tag, &sections, &total, &count, &error, &done,
                   &remainder, &stage),
            8);
  EXPECT_EQ(tag, 0x56545550ul);
  EXPECT_EQ(sections, 2ul);
  EXPECT_EQ(total, 1);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(error, 0);  // the payloads checked out
  EXPECT_EQ(done, 0);
  EXPECT_LT(remainder, 86400ul);
  EXPECT_EQ(stage, 0ul);
  EXPECT_EQ(GetFileAttributesA((game.directory + "\\vt3.exe").c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
  EXPECT_EQ(GetFileAttributesA((game.directory + "\\datafiles\\vt3.dat").c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
  ExpectCleanedUp();
}

TEST_F(LauncherRun, GameKeyMissingStopsBeforeAnythingIsWritten) {
  DeleteMachineTree(kGameKeyPath);
  Scenario(kSuccess);
  LaunchResult result = Run();
  EXPECT_EQ(result.box.text, "This update only runs when Vantor 3 is installed on your machine");
  EXPECT_EQ(result.box.icon, kBoxIconError);
  EXPECT_EQ(result.exitCode, 0u);
  ExpectCleanedUp();
}

struct ReportCase {
  const char* scenario;
  const char* text;
};

TEST_F(LauncherRun, ReportedErrorsMapToStatusEightOrNine) {
  const ReportCase cases[] = {
      {"total 1000\ncount 9\nerror 7\n", "Corrupted registery data detected: update aborts."},
      {"total 1000\ncount 10\nerror 7\n", "Not enough system resource available: update aborts."},
      {"total 1000\ncount 500\nerror 12\n", "Can not upgrade VT3 executable: upgrade aborts."},
      {"total 1000\ncount 5\nerror 12\n", "Can not upgrade VT3 executable: upgrade aborts."},
      {"total 1000\ncount 700\nerror 4\n", "There is not enough space on your hard disk."},
      {"total 1000\ncount 700\nerror 6\n", "Update process failed: update aborts."},
      {"total 1000\ncount 62\nerror 5\n", "Corrupted data detected: update aborts."},
      {"total 1000\ncount 999\nerror 11\n", "Texture data cache is unreachable: update aborts."},
      {"worker-error 11\n", "Update is older than your version of VT3."},
      {"worker-error 13\n", "Your joystick settings may have suffered from the upgrade: please destroy joystick.ini File."},
      {"total 1000\ncount 300\nerror 5\nsleep 200\nworker-error 12\n", "Corrupted data detected: update aborts."},
  };
  for (const ReportCase& c : cases) {
    Scenario(c.scenario);
    LaunchResult result = Run();
    EXPECT_EQ(result.box.text, c.text) << c.scenario;
    EXPECT_EQ(result.box.icon, kBoxIconError) << c.scenario;
    EXPECT_EQ(result.exitCode, 0u) << c.scenario;
    ExpectCleanedUp();
  }
}

TEST_F(LauncherRun, WorkerEndingWithoutAWordIsAFailureAndNotAHang) {
  for (const char* scenario : {"total 1000\ncount 100\nsleep 300\ndie\n", "never-attach\n"}) {
    Scenario(scenario);
    LaunchResult result = Run();
    EXPECT_EQ(result.box.text, "Update process failed: update aborts.") << scenario;
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_LT(result.millisecondsToBox, 15000u);
    ExpectCleanedUp();
  }
}

DWORD FindProcess(const char* suffix) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32 entry = {sizeof entry};
  DWORD found = 0;
  for (BOOL more = Process32First(snapshot, &entry); more && !found; more = Process32Next(snapshot, &entry)) {
    std::string name = entry.szExeFile;
    if (name.size() > 4 && name.compare(name.size() - 4, 4, suffix) == 0) found = entry.th32ProcessID;
  }
  CloseHandle(snapshot);
  return found;
}

TEST_F(LauncherRun, KilledWorkerIsReportedWithinASecond) {
  Scenario("total 1000\ncount 250\nhang\n");
  std::string exe = Sibling("Vt3update_test.exe"), line = "\"" + exe + "\"";
  HANDLE launcher = StartProcess(line);
  ASSERT_NE(launcher, nullptr);
  DWORD worker = 0;
  for (int attempt = 0; attempt < 1000 && !worker; ++attempt) {
    worker = FindProcess(".tmp");
    if (!worker) Sleep(10);
  }
  ASSERT_NE(worker, 0u);
  Sleep(500);
  HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, worker);
  ASSERT_NE(process, nullptr);
  DWORD killedAt = GetTickCount();
  TerminateProcess(process, 1);
  CloseHandle(process);
  BoxSeen box = ObserveBox(launcher, 10000);
  DWORD delay = GetTickCount() - killedAt;
  EXPECT_EQ(box.text, "Update process failed: update aborts.");
  EXPECT_LT(delay, 1000u);
  WaitForSingleObject(launcher, 10000);
  CloseHandle(launcher);
  ExpectCleanedUp();
}

TEST_F(LauncherRun, BarIsSentAPositionOnlyWhenThePercentageChanges) {
  Scenario("sleep 200\ntotal 1000\ncount 5\nsleep 60\ncount 9\nsleep 60\ncount 10\nsleep 60\ncount 15\nsleep 60\n"
           "count 20\nsleep 60\ncount 20\nsleep 60\ncount 550\nsleep 60\ncount 1000\nsleep 300\ndone\n");
  HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096, kProgressProbeMapping);
  LONG* positions = static_cast<LONG*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0));
  ASSERT_NE(positions, nullptr);
  HMODULE dll = LoadLibraryA(Sibling("box_probe.dll").c_str());
  HOOKPROC hook = reinterpret_cast<HOOKPROC>(GetProcAddress(dll, "ProgressProbeHook"));
  HHOOK installed = SetWindowsHookExA(WH_CALLWNDPROC, hook, dll, 0);
  ASSERT_NE(installed, nullptr);
  HANDLE launcher = StartProcess("\"" + Sibling("Vt3update_test.exe") + "\"");
  ASSERT_NE(launcher, nullptr);
  BoxSeen box = ObserveBox(launcher, 30000);
  UnhookWindowsHookEx(installed);
  EXPECT_EQ(box.text, "Operation completed");
  std::vector<LONG> sent(positions + 1, positions + 1 + positions[0]);
  EXPECT_EQ(sent, (std::vector<LONG>{1, 2, 55, 100}));
  UnmapViewOfFile(positions);
  CloseHandle(mapping);
  WaitForSingleObject(launcher, 10000);
  CloseHandle(launcher);
}

TEST_F(LauncherRun, WorkerThatCannotStartComposesTheSpawnError) {
  Scenario(kSuccess);
  LaunchResult result = Run("Vt3update_badworker.exe");
  // Windows reports ENOEXEC for a file that is no executable; Wine's runtime says EINVAL.
  const std::string base = "Update process does not start: update aborts.";
  EXPECT_TRUE(result.box.text == base + "Specified file is not executable or has invalid executable-file format" ||
              result.box.text == base + "mode argument is invalid")
      << result.box.text;
  EXPECT_EQ(result.box.icon, kBoxIconError);
  EXPECT_EQ(result.exitCode, 0u);
  ExpectCleanedUp();
}

TEST_F(LauncherRun, WithoutTheDialogItStillWaitsForTheWorker) {
  Scenario("total 1000\ncount 500\nsleep 1500\ndone\n");
  LaunchResult result = Run("Vt3update_nodialog.exe");
  EXPECT_EQ(result.box.text, "Operation completed");
  EXPECT_GE(result.millisecondsToBox, 1500u);  // not before the worker reported
  Scenario("total 1000\ncount 500\nsleep 500\nerror 9\n");
  EXPECT_EQ(Run("Vt3update_nodialog.exe").box.text, "Addition of data failed: update aborts.");
  ExpectCleanedUp();
}

// The launcher's progress dialog: the window of its process with the bar.
HWND FindProgressDialog(DWORD processId) {
  struct Search {
    DWORD processId;
    HWND found;
    static BOOL CALLBACK Visit(HWND window, LPARAM parameter) {
      Search* search = reinterpret_cast<Search*>(parameter);
      DWORD owner = 0;
      GetWindowThreadProcessId(window, &owner);
      if (owner == search->processId && GetDlgItem(window, 1004)) {
        search->found = window;
        return FALSE;
      }
      return TRUE;
    }
  } search = {processId, nullptr};
  EnumWindows(Search::Visit, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

TEST_F(LauncherRun, ProgressDialogCannotBeClosedAndStaysUntilTheOutcome) {
  // The worker reports and then takes a while to end, as the real one does
  // after a data stage error.
  Scenario("total 1000\ncount 300\nsleep 1500\ncount 1000\ndone\nsleep 4000\n");
  HANDLE launcher = StartProcess("\"" + Sibling("Vt3update_test.exe") + "\"");
  ASSERT_NE(launcher, nullptr);
  DWORD processId = GetProcessId(launcher);
  HWND dialog = nullptr;
  for (int i = 0; i < 1000 && !dialog; ++i) {
    dialog = FindProgressDialog(processId);
    if (!dialog) Sleep(10);
  }
  ASSERT_NE(dialog, nullptr);
  // Alt+F4 and the system menu's Close.
  PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
  PostMessageA(dialog, WM_CLOSE, 0, 0);
  Sleep(300);
  EXPECT_TRUE(IsWindow(dialog)) << "closed while the update runs";
  // Well after "done", while the worker finishes: still there.
  Sleep(2200);
  EXPECT_TRUE(IsWindow(dialog) && IsWindowVisible(dialog)) << "no window between the bar and the message";
  BoxSeen box = ObserveBox(launcher, 30000);
  EXPECT_EQ(box.text, "Operation completed");
  WaitForSingleObject(launcher, 10000);
  CloseHandle(launcher);
  ExpectCleanedUp();
}

TEST_F(LauncherRun, LeftoversOfAnotherUpdateAreTheSecondLauncherCase) {
  Scenario(kSuccess);
  {
    // A block that is already there, without payload sections.
    SharedSection block;
    ASSERT_NE(block.Create("VuzFshare", 88), nullptr);
    LaunchResult result = Run();
    EXPECT_EQ(result.box.text, "Extraction failed on file 1: update aborts.");
    EXPECT_EQ(result.exitCode, 0u);
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
  ExpectCleanedUp();
}

TEST_F(LauncherRun, NineFamilyPassesTheAdministratorCheck) {
  ASSERT_TRUE([] {
    HKEY key;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\Vt3update_test.exe", 0, nullptr, 0,
                        KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
      return false;
    LONG set = RegSetValueExA(key, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>("win98"), 6);
    RegCloseKey(key);
    return set == ERROR_SUCCESS;
  }());
  Scenario(kSuccess);
  LaunchResult result = Run();
  RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\Vt3update_test.exe");
  EXPECT_EQ(result.box.text, "Operation completed");
  EXPECT_EQ(result.exitCode, 1u);
}

TEST_F(LauncherRun, SavingPathTooLongForTheGameFilesSkipsTheDiskCheck) {
  std::string longPath = "C:\\" + std::string(250, 'p');
  ASSERT_TRUE(SetMachineString(kGameKeyPath, "SavingPath", longPath));
  Scenario(kSuccess);
  LaunchResult result = Run();
  EXPECT_EQ(result.box.text, "Operation completed");
  ExpectCleanedUp();
}

}  // namespace
