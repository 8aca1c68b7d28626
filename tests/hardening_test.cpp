// Bad input and faults across the whole update, under Wine: whatever
// happens, the update ends with a clear message and the game keeps a
// working vt3.exe.
#include <windows.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/game_key.h"
#include "tests/support/harness.h"
#include "tests/support/process.h"
#include "worker/file_version.h"
#include "worker/lobby.h"
#include "worker/tests/worker_test_util.h"

namespace {

const char* kSuccess = "Operation completed";
const char* kBadRegistry = "Corrupted registery data detected: update aborts.";
const char* kFailed = "Update process failed: update aborts.";

std::string Version(const std::string& path) {
  char version[kVersionStringSize] = {};
  return GetFileVersionString(path.c_str(), version) ? version : "";
}

std::vector<std::string> Listing(const std::string& directory) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((directory + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do names.push_back(found.cFileName);
  while (FindNextFileA(search, &found));
  FindClose(search);
  return names;
}

class Hardening : public testing::Test {
 protected:
  void SetUp() override { Install("C:\\Games\\Vantor 3"); }
  void TearDown() override {
    WaitForStandIn();
    RemoveTree(game.directory);
  }
  void Install(const std::string& directory) {
    WaitForStandIn();
    ASSERT_TRUE(game.Create(directory, 0x0409, Sibling("vt3_standin_1_0.exe")));
    InstallOldLobbyKey(directory);
    tempBefore = TempFilesMatching("tmp*.tmp");
  }
  void Fault(const std::string& text) { ASSERT_TRUE(WriteFileBytes(game.directory + "\\standin_fault.txt", text)); }
  LaunchResult Run() { return RunAndObserve(Sibling("Vt3update.exe"), 90000); }
  std::string GameFile(const char* name) { return game.directory + "\\" + name; }
  // A data stage outlives a killed worker; the next case waits for it.
  static void WaitForStandIn() {
    for (int i = 0; i < 1000; ++i) {
      HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
      PROCESSENTRY32 entry = {sizeof entry};
      bool running = false;
      for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
        std::string name = entry.szExeFile;
        if (name.size() > 4 && name.compare(name.size() - 4, 4, ".tmp") == 0) running = true;
      }
      CloseHandle(snapshot);
      if (!running) return;
      Sleep(10);
    }
  }
  void ExpectPlayable() {
    std::string version = Version(GameFile("vt3.exe"));
    EXPECT_TRUE(version == "1.0.0.0" || version == "1.1.74.3") << "vt3.exe: '" << version << "'";
  }
  GameInstall game;
  std::vector<std::string> tempBefore;
};

TEST_F(Hardening, SavingPathsAroundTheLimitNeverOverrun) {
  std::vector<std::string> rootBefore = Listing("C:");
  for (size_t length = 232; length <= 262; ++length) {
    if (length > 232 && length < 240) continue;
    std::string parent = "C:\\L" + std::to_string(length);
    std::string directory = parent + "\\" + std::string(length - parent.size() - 1, 'v');
    bool installed = game.Create(directory, 0x0409, Sibling("vt3_standin_1_0.exe"));
    if (!installed) {
      // Too long to hold the game's files: only the key names it.
      ASSERT_TRUE(SetMachineString(kGameKeyPath, "SavingPath", directory));
      ASSERT_TRUE(SetMachineString(kGameKeyPath, "DataPath", parent));
    }
    LaunchResult result = Run();
    EXPECT_TRUE(result.box.shown) << length;
    // Every name the worker builds fits up to 232 characters; above, the
    // game directory counts as unreadable and nothing is touched.
    EXPECT_EQ(result.box.text, length == 232 ? kSuccess : kBadRegistry) << length;
    EXPECT_EQ(result.exitCode, length == 232 ? 1u : 0u) << length;
    if (length > 232 && installed) {
      EXPECT_EQ(Version(directory + "\\vt3.exe"), "1.0.0.0") << length;
    }
    std::vector<std::string> besides = Listing(parent);
    EXPECT_LE(besides.size(), 3u) << length << ": something was written beside the game directory";
  }
  // Nothing new at the top of the drive but the folders made here.
  size_t added = 0;
  for (const std::string& name : Listing("C:"))
    if (std::find(rootBefore.begin(), rootBefore.end(), name) == rootBefore.end()) {
      EXPECT_EQ(name.compare(0, 1, "L"), 0) << name;
      ++added;
    }
  EXPECT_LE(added, 24u);
  EXPECT_EQ(TempFilesMatching("tmp*.tmp"), tempBefore);
}

struct ValueCase {
  const char* name;
  DWORD type;
  std::string data;  // with its terminator for strings
  bool present;
};

std::vector<ValueCase> BadPathValues(const char* name) {
  std::string text259(259, 'x'), text260(260, 'x'), text261(261, 'x');
  return {{name, REG_DWORD, std::string("\x01\0\0\0", 4), true},
          {name, REG_EXPAND_SZ, std::string("%SystemDrive%\\Games\0", 20), true},
          {name, REG_BINARY, std::string("C:\\Games", 8), true},
          {name, REG_SZ, std::string("\0", 1), true},
          {name, REG_SZ, text259 + '\0', true},
          {name, REG_SZ, text260 + '\0', true},
          {name, REG_SZ, text261 + '\0', true},
          {name, 0, "", false}};
}

void SetValue(const ValueCase& value) {
  HKEY key;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kGameKeyPath, 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
  if (value.present)
    RegSetValueExA(key, value.name, 0, value.type, reinterpret_cast<const BYTE*>(value.data.data()),
                   static_cast<DWORD>(value.data.size()));
  else
    RegDeleteValueA(key, value.name);
  RegCloseKey(key);
}

TEST_F(Hardening, GameValuesOfEveryShapeGiveTheirOutcome) {
  for (const ValueCase& value : BadPathValues("SavingPath")) {
    Install("C:\\Games\\Vantor 3");
    SetValue(value);
    LaunchResult result = Run();
    // An empty directory cannot be entered; every other shape is unreadable.
    bool empty = value.type == REG_SZ && value.data.size() == 1;
    EXPECT_EQ(result.box.text, empty ? "Can not locate directory: update aborts." : kBadRegistry)
        << value.type << " " << value.data.size();
    EXPECT_EQ(Version(GameFile("vt3.exe")), "1.0.0.0");
  }
  for (const ValueCase& value : BadPathValues("DataPath")) {
    Install("C:\\Games\\Vantor 3");
    SetValue(value);
    LaunchResult result = Run();
    // Only its presence counts: any string that fits will do.
    bool readable = value.type == REG_SZ && value.data.size() <= 260;
    EXPECT_EQ(result.box.text, readable ? kSuccess : kBadRegistry) << value.type << " " << value.data.size();
  }
  struct LanguageCase {
    DWORD type;
    std::string data;
    const char* text;
  } languages[] = {{REG_BINARY, std::string("\x0C", 1), "Op\xE9ration termin\xE9" "e"},
                   {REG_BINARY, std::string("\x07\0\0\0", 4), "Vorgang beendet"},
                   {REG_SZ, std::string("12\0", 3), kSuccess},
                   {REG_SZ, std::string("French\0", 7), kSuccess},
                   {REG_EXPAND_SZ, std::string("\x1D\0\0", 3), "Operationen klar"}};
  for (const LanguageCase& language : languages) {
    Install("C:\\Games\\Vantor 3");
    SetValue({"Language", language.type, language.data, true});
    EXPECT_EQ(Run().box.text, language.text) << language.data.size();
  }
}

TEST_F(Hardening, LobbyValuesAreCopiedOnlyAsFittingStrings) {
  SetMachineString(kOldLobbyKey, "DESCRIPTION", std::string(259, 'd'));
  SetMachineString(kOldLobbyKey, "APPLICATIONNAME", std::string(260, 'a'));
  SetMachineString(kOldLobbyKey, "EXECUTABLEPATH", "%ProgramFiles%", REG_EXPAND_SZ);
  SetMachineDword(kOldLobbyKey, "COMMANDLINE", 5);
  HKEY key;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kOldLobbyKey, 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
  RegDeleteValueA(key, "LAUNCHERPATH");
  RegCloseKey(key);
  SetMachineString(kNewLobbyKey, "LAUNCHERPATH", "kept");
  EXPECT_EQ(Run().box.text, kSuccess);
  std::string value;
  EXPECT_TRUE(GetMachineString(kNewLobbyKey, "DESCRIPTION", &value) && value == std::string(259, 'd'));
  EXPECT_FALSE(GetMachineString(kNewLobbyKey, "APPLICATIONNAME", &value));
  EXPECT_FALSE(GetMachineString(kNewLobbyKey, "EXECUTABLEPATH", &value));
  EXPECT_FALSE(GetMachineString(kNewLobbyKey, "COMMANDLINE", &value));
  EXPECT_TRUE(GetMachineString(kNewLobbyKey, "LAUNCHERPATH", &value) && value == "kept");
  EXPECT_TRUE(GetMachineString(kNewLobbyKey, "GUID", &value) && value == kNewLobbyGuid);
}

TEST_F(Hardening, AccentedGameDirectoriesWorkEndToEnd) {
  for (const char* directory : {"C:\\Jeux\\Vantor 3 \xE9" "dition", "C:\\Spiele\\\xDC" "ber Vantor 3",
                                "C:\\Spel\\Vantor 3 p\xE5 svenska"}) {
    Install(directory);
    LaunchResult result = Run();
    EXPECT_EQ(result.box.text, kSuccess) << directory;
    EXPECT_EQ(Version(GameFile("vt3.exe")), "1.1.74.3") << directory;
    EXPECT_TRUE(FileExists(GameFile("ReadMe_v1_1_Swe.txt"))) << directory;
    RemoveTree(directory);
  }
}

TEST_F(Hardening, EveryDataStageCodeShowsItsMessageBelowAndAboveTenCounts) {
  const char* above[] = {nullptr,
                         "Failed to locate VT3 directory: update aborts.",
                         "Vt3.dat file can not be reached: update aborts.",
                         "New data can not be reached: update aborts.",
                         "There is not enough space on your hard disk.",
                         "Corrupted data detected: update aborts.",
                         kFailed,
                         "Not enough system resource available: update aborts.",
                         "DirectX8 creation failed: update aborts.",
                         "Addition of data failed: update aborts.",
                         "Failed to enter VT3 directory: update aborts.",
                         "Texture data cache is unreachable: update aborts."};
  for (int code = 1; code <= 11; ++code) {
    // Below ten counts the code is read as the worker's own.
    const char* below = code == 7    ? kBadRegistry
                        : code == 8  ? "New data can not be read: update aborts."
                        : code == 10 ? "Can not locate directory: update aborts."
                        : code == 11 ? "Update is older than your version of VT3."
                                     : kFailed;
    for (int at : {5, 500}) {
      Install("C:\\Games\\Vantor 3");
      Fault("fail " + std::to_string(code) + " " + std::to_string(at) + "\n");
      LaunchResult result = Run();
      EXPECT_EQ(result.box.text, at < 10 ? below : above[code]) << code << " at " << at;
      EXPECT_EQ(result.exitCode, 0u);
      ExpectPlayable();
    }
  }
  for (int at : {5, 500}) {
    Install("C:\\Games\\Vantor 3");
    Fault("crash " + std::to_string(at) + "\n");
    EXPECT_EQ(Run().box.text, kFailed) << at;
    EXPECT_EQ(Version(GameFile("vt3.exe")), "1.0.0.0");
  }
}

DWORD FindWorker() {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32 entry = {sizeof entry};
  DWORD found = 0;
  // The worker is the first .tmp process; the data stage, its child, comes later.
  for (BOOL more = Process32First(snapshot, &entry); more && !found; more = Process32Next(snapshot, &entry)) {
    std::string name = entry.szExeFile;
    if (name.size() > 4 && name.compare(name.size() - 4, 4, ".tmp") == 0) found = entry.th32ProcessID;
  }
  CloseHandle(snapshot);
  return found;
}

TEST_F(Hardening, KilledWorkerEndsTheRunAndLeavesAWorkingGame) {
  for (DWORD killAfter : {0u, 300u, 1500u}) {
    Install("C:\\Games\\Vantor 3");
    Fault("slow 40\n");
    HANDLE launcher = StartProcess("\"" + Sibling("Vt3update.exe") + "\"");
    ASSERT_NE(launcher, nullptr);
    DWORD worker = 0;
    for (int i = 0; i < 2000 && !worker; ++i) {
      worker = FindWorker();
      if (!worker) Sleep(1);
    }
    ASSERT_NE(worker, 0u);
    Sleep(killAfter);
    HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, worker);
    ASSERT_NE(process, nullptr);
    TerminateProcess(process, 1);
    CloseHandle(process);
    DWORD killedAt = GetTickCount();
    BoxSeen box = ObserveBox(launcher, 20000);
    EXPECT_LT(GetTickCount() - killedAt, 1000u) << killAfter;
    // Killed before its start-up is complete, Wine fails the start itself
    // (Windows returns from CreateProcess before the child runs).
    if (killAfter == 0 && box.text == "Update process does not start: update aborts.mode argument is invalid")
      box.text = kFailed;
    EXPECT_EQ(box.text, kFailed) << killAfter;
    WaitForSingleObject(launcher, 20000);
    CloseHandle(launcher);
    WaitForStandIn();
    ExpectPlayable();
  }
}

TEST_F(Hardening, JoystickFilesThatCannotBeMovedGiveCodeThirteenAndLoseNothing) {
  const char* joystick = "Your joystick settings may have suffered from the upgrade: please destroy joystick.ini File.";
  std::string settings = GameFile("data\\players\\joystick.ini"), backup = GameFile("data\\players\\joystick.bak");
  // Held open (the game running, a scanner), with or without an older
  // backup; or the backup held: the player keeps both files as they were.
  struct Case {
    bool olderBackup;
    bool holdSettings;
  };
  for (Case c : {Case{false, true}, Case{true, true}, Case{true, false}}) {
    Install("C:\\Games\\Vantor 3");
    std::string original, now;
    ASSERT_TRUE(ReadFileBytes(settings, &original));
    if (c.olderBackup) {
      ASSERT_TRUE(WriteFileBytes(backup, "older backup"));
    }
    HANDLE held = c.holdSettings
                      ? CreateFileA(settings.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)
                      : CreateFileA(backup.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(Run().box.text, joystick) << c.olderBackup << c.holdSettings;
    CloseHandle(held);
    ASSERT_TRUE(ReadFileBytes(settings, &now));
    EXPECT_EQ(now, original) << c.olderBackup << c.holdSettings;
    if (c.olderBackup) {
      ASSERT_TRUE(ReadFileBytes(backup, &now));
      EXPECT_EQ(now, "older backup") << c.holdSettings;
    } else {
      EXPECT_FALSE(FileExists(backup));
    }
    EXPECT_EQ(Listing(game.directory + "\\data\\players").size(), c.olderBackup ? 4u : 3u) << "a file left over";
    EXPECT_EQ(Version(GameFile("vt3.exe")), "1.1.74.3");
  }
}

TEST_F(Hardening, SecondLauncherLeavesTheFirstOneAlone) {
  Fault("slow 30\n");
  HANDLE first = StartProcess("\"" + Sibling("Vt3update.exe") + "\"");
  ASSERT_NE(first, nullptr);
  for (int i = 0; i < 2000 && !FindWorker(); ++i) Sleep(1);
  LaunchResult second = Run();
  EXPECT_EQ(second.exitCode, 0u);
  EXPECT_EQ(second.box.text, "Extraction failed on file 1: update aborts.");
  BoxSeen box = ObserveBox(first, 60000);
  EXPECT_EQ(box.text, kSuccess);
  WaitForSingleObject(first, 20000);
  DWORD code = 0;
  GetExitCodeProcess(first, &code);
  CloseHandle(first);
  EXPECT_EQ(code, 1u);
  EXPECT_EQ(Version(GameFile("vt3.exe")), "1.1.74.3");
}

TEST_F(Hardening, DllsPlantedBesideTheProgramsAreNotLoaded) {
  std::string downloads = "C:\\users\\Public\\Downloads\\patch";
  ASSERT_TRUE(MakeDirectories(downloads));
  ASSERT_TRUE(CopyFileA(Sibling("Vt3update.exe").c_str(), (downloads + "\\Vt3update.exe").c_str(), FALSE));
  std::vector<std::string> planted;
  // Wine prefers its own DLLs; this test runs with it told to prefer a file
  // it finds for comctl32, as Windows would for a DLL that is no KnownDLL.
  // (version.dll cannot be tried here: Wine's own user32 imports it, so a
  // planted one would be loaded before any code of the program runs.)
  for (const char* name : {"comctl32.dll"}) {
    for (const std::string& folder : {downloads, TempDirectory()}) {
      std::string path = folder + (folder.back() == '\\' ? "" : "\\") + name;
      ASSERT_TRUE(CopyFileA(Sibling("planted.dll").c_str(), path.c_str(), FALSE));
      planted.push_back(path);
    }
  }
  DeleteFileA("C:\\planted.txt");
  // A naive program beside the planted DLL does load it: the planting works here.
  ASSERT_TRUE(CopyFileA(Sibling("naive_loader.exe").c_str(), (downloads + "\\naive_loader.exe").c_str(), FALSE));
  RunProcess("\"" + downloads + "\\naive_loader.exe\"");
  bool plantingWorks = FileExists("C:\\planted.txt");
  DeleteFileA("C:\\planted.txt");
  LaunchResult result = RunAndObserve(downloads + "\\Vt3update.exe", 90000);
  EXPECT_EQ(result.box.text, kSuccess);
  std::string marker;
  EXPECT_FALSE(ReadFileBytes("C:\\planted.txt", &marker)) << "loaded: " << marker;
  for (const std::string& path : planted) DeleteFileA(path.c_str());
  RemoveTree(downloads);
  if (!plantingWorks) GTEST_SKIP() << "Wine did not load a planted DLL even for a naive program";
}

TEST_F(Hardening, FullDisksFailCleanly) {
  if (!FileExists("T:\\")) GTEST_SKIP() << "needs the small file system of with_small_disks";
  // The game on a full drive: the disk check stops the run, and both game
  // files have lost their read-only flag all the same.
  Install("T:\\Vantor 3");
  SetFileAttributesA(GameFile("vt3.exe").c_str(), FILE_ATTRIBUTE_READONLY);
  SetFileAttributesA(GameFile("datafiles\\vt3.dat").c_str(), FILE_ATTRIBUTE_READONLY);
  std::string filler(4096, 'f');
  FILE* fill = fopen("T:\\filler.bin", "wb");
  ASSERT_NE(fill, nullptr);
  while (fwrite(filler.data(), 1, filler.size(), fill) == filler.size() && fflush(fill) == 0) {
  }
  fclose(fill);
  LaunchResult result = Run();
  EXPECT_EQ(result.box.text, "There is not enough space on your hard disk.");
  EXPECT_EQ(GetFileAttributesA(GameFile("vt3.exe").c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
  EXPECT_EQ(GetFileAttributesA(GameFile("datafiles\\vt3.dat").c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
  DeleteFileA("T:\\filler.bin");
  RemoveTree(game.directory);

  // A game drive that fills while the worker writes the new game beside
  // the old one: code 8 is reported, not a version check of the partial file.
  Install("T:\\Vantor 3");
  ASSERT_TRUE(WriteFileBytes(GameFile("datafiles\\vt3.dat"), std::string(10000, 'd')));
  fill = fopen("T:\\filler.bin", "wb");
  ASSERT_NE(fill, nullptr);
  ULARGE_INTEGER freeBytes = {};
  while (GetDiskFreeSpaceExA("T:\\", &freeBytes, nullptr, nullptr) && freeBytes.QuadPart > 120 * 1024 &&
         fwrite(filler.data(), 1, filler.size(), fill) == filler.size() && fflush(fill) == 0) {
  }
  fclose(fill);
  result = Run();
  EXPECT_EQ(result.box.text, "New data can not be read: update aborts.");
  EXPECT_EQ(result.exitCode, 0u);
  EXPECT_EQ(Version(GameFile("vt3.exe")), "1.0.0.0");
  std::vector<std::string> names = Listing(game.directory);
  EXPECT_TRUE(std::none_of(names.begin(), names.end(), [](const std::string& name) { return name.rfind("tmp", 0) == 0; }))
      << "a temporary file left in the game folder";
  DeleteFileA("T:\\filler.bin");
  RemoveTree(game.directory);
}

}  // namespace
