// The complete update under Wine: the shipped launcher, its worker and the
// stand-in data stage on an installed 1.0, checked afterwards on disk, in
// the registry and in the shortcuts.
#include <objbase.h>
#include <shlobj.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/game_key.h"
#include "tests/support/box_probe.h"
#include "tests/support/harness.h"
#include "tests/support/process.h"
#include "transport/shared_section.h"
#include "worker/file_version.h"
#include "worker/lobby.h"
#include "worker/tests/worker_test_util.h"

namespace {

struct Link {
  std::string target, arguments, directory;
};

bool ReadLink(const std::string& path, Link* link) {
  IShellLinkA* shell = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                              reinterpret_cast<void**>(&shell))))
    return false;
  IPersistFile* file = nullptr;
  bool ok = false;
  if (SUCCEEDED(shell->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
    WCHAR wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
    if (SUCCEEDED(file->Load(wide, STGM_READ))) {
      char buffer[MAX_PATH] = {};
      shell->GetPath(buffer, MAX_PATH, nullptr, 0);
      link->target = buffer;
      shell->GetArguments(buffer, MAX_PATH);
      link->arguments = buffer;
      shell->GetWorkingDirectory(buffer, MAX_PATH);
      link->directory = buffer;
      ok = true;
    }
    file->Release();
  }
  shell->Release();
  return ok;
}

std::string Folder(int csidl) {
  char path[MAX_PATH] = {};
  SHGetSpecialFolderPathA(nullptr, path, csidl, FALSE);
  return path;
}

std::string Version(const std::string& path) {
  char version[kVersionStringSize] = {};
  return GetFileVersionString(path.c_str(), version) ? version : "";
}

std::string Source(const char* relative) { return std::string(VT3_SOURCE_DIR) + "/" + relative; }

class Update : public testing::Test {
 protected:
  static void SetUpTestSuite() { CoInitialize(nullptr); }
  void SetUp() override { Install("C:\\Games\\Vantor 3"); }
  void Install(const std::string& directory) {
    ASSERT_TRUE(game.Create(directory, 0x0409, Sibling("vt3_standin_1_0.exe")));
    InstallOldLobbyKey(directory);
    for (int csidl : {CSIDL_PROGRAMS, CSIDL_COMMON_PROGRAMS}) RemoveTree(Folder(csidl) + "\\BrenmarkSoft");
    DeleteFileA((Folder(CSIDL_DESKTOP) + "\\Vantor 3.lnk").c_str());
    DeleteFileA((Folder(CSIDL_DESKTOP) + "\\Vantor 3 (NoSetup).lnk").c_str());
    tempBefore = TempFilesMatching("tmp*.tmp");
  }
  void TearDown() override { RemoveTree(game.directory); }
  void Fault(const std::string& text) { ASSERT_TRUE(WriteFileBytes(game.directory + "\\standin_fault.txt", text)); }
  LaunchResult Run() { return RunAndObserve(Sibling("Vt3update.exe"), 90000); }
  std::string GameFile(const char* name) { return game.directory + "\\" + name; }
  void ExpectNoTemporaryLeft() { EXPECT_EQ(TempFilesMatching("tmp*.tmp"), tempBefore); }
  GameInstall game;
  std::vector<std::string> tempBefore;
};

// Under VT3_WINE_VERSION the run must really see that Windows.
void ExpectReportedWindows() {
  const char* name = std::getenv("VT3_WINE_VERSION");
  if (!name) return;
  struct Reported {
    const char* name;
    DWORD platform, major, minor;
  };
  const Reported versions[] = {{"win98", VER_PLATFORM_WIN32_WINDOWS, 4, 10}, {"nt40", VER_PLATFORM_WIN32_NT, 4, 0},
                               {"win2k", VER_PLATFORM_WIN32_NT, 5, 0},       {"winxp", VER_PLATFORM_WIN32_NT, 5, 1},
                               {"win7", VER_PLATFORM_WIN32_NT, 6, 1}};
  OSVERSIONINFOA info = {};
  info.dwOSVersionInfoSize = sizeof info;
  ASSERT_TRUE(GetVersionExA(&info));
  for (const Reported& version : versions) {
    if (std::strcmp(version.name, name) != 0) continue;
    EXPECT_EQ(info.dwPlatformId, version.platform) << name;
    EXPECT_EQ(info.dwMajorVersion, version.major) << name;
    EXPECT_EQ(info.dwMinorVersion, version.minor) << name;
    return;
  }
  // Windows 10 tells programs without a compatibility manifest 6.2.
  EXPECT_EQ(info.dwPlatformId, static_cast<DWORD>(VER_PLATFORM_WIN32_NT)) << name;
  EXPECT_GE(info.dwMajorVersion, 6u) << name;
}

TEST_F(Update, SucceedsOnAnInstalledGameAndInstallsEverything) {
  ExpectReportedWindows();
  std::string oldSettings;
  ASSERT_TRUE(ReadFileBytes(GameFile("data\\players\\joystick.ini"), &oldSettings));
  HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096, kProgressProbeMapping);
  LONG* positions = static_cast<LONG*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0));
  HMODULE dll = LoadLibraryA(Sibling("box_probe.dll").c_str());
  HHOOK hook = SetWindowsHookExA(
      WH_CALLWNDPROC, reinterpret_cast<HOOKPROC>(GetProcAddress(dll, "ProgressProbeHook")), dll, 0);
  Fault("slow 5\n");
  LaunchResult result = Run();
  UnhookWindowsHookEx(hook);
  EXPECT_EQ(result.box.text, "Operation completed");
  EXPECT_EQ(result.box.icon, kBoxIconInformation);
  EXPECT_EQ(result.exitCode, 1u);

  EXPECT_EQ(Version(GameFile("vt3.exe")), "1.1.74.3");
  std::string data;
  ASSERT_TRUE(ReadFileBytes(GameFile("datafiles\\vt3.dat"), &data));
  EXPECT_EQ(data.size(), 3591199u);
  EXPECT_EQ(data.substr(0, 4), "VT3D");
  for (const char* file : {"data\\tracks\\track13.trk", "data\\cars\\v3gt.car", "data\\textures\\track13.tex",
                           "data\\sounds\\engine_v3gt.wav"})
    EXPECT_TRUE(FileExists(GameFile(file))) << file;

  for (const char* name : {"ReadMe_v1_1_En.txt", "ReadMe_v1_1_Fr.txt", "ReadMe_v1_1_Ger.txt", "ReadMe_v1_1_Ita.txt",
                           "ReadMe_v1_1_Spa.txt", "ReadMe_v1_1_Swe.txt"}) {
    std::string written, carried;
    ASSERT_TRUE(ReadFileBytes(GameFile(name), &written)) << name;
    ASSERT_TRUE(ReadFileBytes(Source((std::string("resources/readme/") + name).c_str()), &carried));
    EXPECT_TRUE(written == carried) << name;
  }

  const std::string target = game.directory + "\\Vt3.exe", workDir = game.directory + "\\";
  std::vector<std::string> folders = {Folder(CSIDL_PROGRAMS) + "\\BrenmarkSoft\\Vantor 3",
                                      Folder(CSIDL_COMMON_PROGRAMS) + "\\BrenmarkSoft\\Vantor 3",
                                      Folder(CSIDL_DESKTOP)};
  for (const std::string& folder : folders) {
    Link setup, noSetup;
    ASSERT_TRUE(ReadLink(folder + "\\Vantor 3.lnk", &setup)) << folder;
    ASSERT_TRUE(ReadLink(folder + "\\Vantor 3 (NoSetup).lnk", &noSetup)) << folder;
    EXPECT_EQ(_stricmp(setup.target.c_str(), target.c_str()), 0) << setup.target;
    EXPECT_EQ(setup.arguments, "-Setup");
    EXPECT_EQ(noSetup.arguments, "-NoSetup");
    EXPECT_EQ(setup.directory, workDir);
    EXPECT_EQ(noSetup.directory, workDir);
  }

  std::string value;
  for (const char* name : {"CURRENTDIRECTORY", "EXECUTABLEFILENAME", "LAUNCHERFILENAME", "EXECUTABLEPATH",
                           "APPLICATIONNAME", "DESCRIPTION", "LAUNCHERPATH", "COMMANDLINE"})
    EXPECT_TRUE(GetMachineString(kNewLobbyKey, name, &value)) << name;
  EXPECT_TRUE(GetMachineString(kNewLobbyKey, "COMMANDLINE", &value) && value == "-lobby");
  EXPECT_TRUE(GetMachineString(kNewLobbyKey, "GUID", &value) && value == kNewLobbyGuid);
  HKEY old;
  EXPECT_NE(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kOldLobbyKey, 0, KEY_READ, &old), ERROR_SUCCESS);

  std::string backup, settings, defaults;
  ASSERT_TRUE(ReadFileBytes(GameFile("data\\players\\joystick.bak"), &backup));
  ASSERT_TRUE(ReadFileBytes(GameFile("data\\players\\joystick.ini"), &settings));
  ASSERT_TRUE(ReadFileBytes(Source("resources/joystick.ini"), &defaults));
  EXPECT_EQ(backup, oldSettings);
  EXPECT_EQ(settings, defaults);
  EXPECT_EQ(settings.size(), 550u);
  ExpectNoTemporaryLeft();

  ASSERT_NE(positions, nullptr);
  std::vector<LONG> sent(positions + 1, positions + 1 + positions[0]);
  ASSERT_FALSE(sent.empty());
  EXPECT_EQ(sent.back(), 100);
  for (size_t i = 1; i < sent.size(); ++i) EXPECT_GT(sent[i], sent[i - 1]);
  UnmapViewOfFile(positions);
  CloseHandle(mapping);
}

TEST_F(Update, SecondRunIsRefusedAsNotNewer) {
  ASSERT_EQ(Run().exitCode, 1u);
  std::string installed, after;
  ASSERT_TRUE(ReadFileBytes(GameFile("vt3.exe"), &installed));
  LaunchResult second = Run();
  EXPECT_EQ(second.box.text, "Update is older than your version of VT3.");
  EXPECT_EQ(second.box.icon, kBoxIconError);
  EXPECT_EQ(second.exitCode, 0u);
  ASSERT_TRUE(ReadFileBytes(GameFile("vt3.exe"), &after));
  EXPECT_TRUE(after == installed);
  ExpectNoTemporaryLeft();
}

TEST_F(Update, GameDirectoryWithBlanksIsHandedOverUnquoted) {
  Install("C:\\Games\\My Racing Games\\Vantor 3");
  std::string record = TempDirectory() + "vt3_command_line.txt";
  DeleteFileA(record.c_str());
  Fault("record " + record + "\n");
  LaunchResult result = Run();
  EXPECT_EQ(result.box.text, "Operation completed");
  std::string lines;
  ASSERT_TRUE(ReadFileBytes(record, &lines));
  EXPECT_EQ(lines, "C:\\Games\\My Racing Games\\Vantor 3 -nosetup\r\n");
  EXPECT_EQ(Version(GameFile("vt3.exe")), "1.1.74.3");
  DeleteFileA(record.c_str());
}

TEST_F(Update, ReadOnlyExecutableIsReplacedAndAHeldOneIsKept) {
  SetFileAttributesA(GameFile("vt3.exe").c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(Run().box.text, "Operation completed");
  EXPECT_EQ(Version(GameFile("vt3.exe")), "1.1.74.3");

  Install("C:\\Games\\Vantor 3");
  HANDLE held = CreateFileA(GameFile("vt3.exe").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                            nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  LaunchResult result = Run();
  CloseHandle(held);
  EXPECT_EQ(result.box.text, "Can not upgrade VT3 executable: upgrade aborts.");
  EXPECT_EQ(Version(GameFile("vt3.exe")), "1.0.0.0");  // the game still has a working executable
  ExpectNoTemporaryLeft();
}

TEST_F(Update, RegistryAndDirectoryFailuresHaveTheirMessages) {
  HKEY key;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kGameKeyPath, 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
  RegDeleteValueA(key, "DataPath");
  RegCloseKey(key);
  EXPECT_EQ(Run().box.text, "Corrupted registery data detected: update aborts.");
  EXPECT_EQ(Version(GameFile("vt3.exe")), "1.0.0.0");

  Install("C:\\Games\\Vantor 3");
  ASSERT_TRUE(SetMachineString(kGameKeyPath, "SavingPath", "C:\\Games\\Nowhere"));
  EXPECT_EQ(Run().box.text, "Can not locate directory: update aborts.");
  ExpectNoTemporaryLeft();
}

TEST_F(Update, DataStageFailuresAreShownAndTheGameStaysPlayable) {
  Fault("fail 5 300\n");
  LaunchResult result = Run();
  EXPECT_EQ(result.box.text, "Corrupted data detected: update aborts.");
  EXPECT_EQ(result.exitCode, 0u);
  // The worker carries on: the new executable is in place.
  EXPECT_EQ(Version(GameFile("vt3.exe")), "1.1.74.3");
  ExpectNoTemporaryLeft();

  Install("C:\\Games\\Vantor 3");
  Fault("crash 100\n");
  result = Run();
  EXPECT_EQ(result.box.text, "Update process failed: update aborts.");
  // A crashed data stage is no success: the old game stays, ready for another try.
  EXPECT_EQ(Version(GameFile("vt3.exe")), "1.0.0.0");
  ExpectNoTemporaryLeft();
}

// The worker on its own, against a block this test makes as the launcher would.
class WorkerAlone : public Update {
 protected:
  DWORD RunWorker(volatile uint32_t** fields, SharedSection* block, int32_t sectionCount) {
    *fields = static_cast<volatile uint32_t*>(block->Create("VuzFshare", 88));
    if (!*fields) return 0xFFFFFFFF;
    (*fields)[0] = 0x56545550;
    (*fields)[2] = 1;
    (*fields)[4] = static_cast<uint32_t>(sectionCount);
    return RunProcess("\"" + Sibling("vt3worker.exe") + "\"", 60000);
  }
};

TEST_F(WorkerAlone, ExitCodeIsOneExactlyWhenTheInstallationSucceeded) {
  SharedSection block;
  volatile uint32_t* fields = nullptr;
  EXPECT_EQ(RunWorker(&fields, &block, 0), 1u);
  EXPECT_EQ(fields[5], 0u);   // errorCode
  EXPECT_EQ(fields[6], 1u);   // doneFlag
  EXPECT_EQ(fields[2], 1000u);  // the data stage took over
  EXPECT_EQ(fields[1], 0x50475353u);
}

TEST_F(WorkerAlone, DataStageCodeStaysWhenTheWorkerFailsLater) {
  // No payload sections: the data stage reports 3; a held joystick.ini then
  // makes the worker fail with 13 of its own.
  HANDLE held = CreateFileA(GameFile("data\\players\\joystick.ini").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                            0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  SharedSection block;
  volatile uint32_t* fields = nullptr;
  EXPECT_EQ(RunWorker(&fields, &block, 2), 0u);
  CloseHandle(held);
  EXPECT_EQ(fields[5], 3u);
  EXPECT_EQ(fields[6], 1u);
}

TEST_F(WorkerAlone, MissingJoystickSettingsGetTheDefaultsWithoutBackup) {
  DeleteFileA(GameFile("data\\players\\joystick.ini").c_str());
  SharedSection block;
  volatile uint32_t* fields = nullptr;
  EXPECT_EQ(RunWorker(&fields, &block, 0), 1u);
  std::string settings;
  ASSERT_TRUE(ReadFileBytes(GameFile("data\\players\\joystick.ini"), &settings));
  EXPECT_EQ(settings.size(), 550u);
  EXPECT_FALSE(FileExists(GameFile("data\\players\\joystick.bak")));
}

TEST_F(WorkerAlone, GivesUpAfterAboutTenSecondsWithoutABlock) {
  DWORD start = GetTickCount();
  EXPECT_EQ(RunProcess("\"" + Sibling("vt3worker.exe") + "\"", 60000), 0u);
  DWORD elapsed = GetTickCount() - start;
  EXPECT_GE(elapsed, 9000u);
  EXPECT_LT(elapsed, 30000u);
  EXPECT_EQ(Version(GameFile("vt3.exe")), "1.0.0.0");
}

TEST(FileVersion, ReadsTheFirstTranslationAndComparesText) {
  char version[kVersionStringSize];
  ASSERT_TRUE(GetFileVersionString(Sibling("vt3_standin_1_0.exe").c_str(), version));
  EXPECT_STREQ(version, "1.0.0.0");
  EXPECT_TRUE(IsNewerFileVersion(Sibling("vt3_standin_1_1.exe").c_str(), Sibling("vt3_standin_1_0.exe").c_str()));
  EXPECT_FALSE(IsNewerFileVersion(Sibling("vt3_standin_1_0.exe").c_str(), Sibling("vt3_standin_1_1.exe").c_str()));
  EXPECT_FALSE(IsNewerFileVersion(Sibling("vt3_standin_1_1.exe").c_str(), Sibling("vt3_standin_1_1.exe").c_str()));
  EXPECT_FALSE(IsNewerFileVersion(Sibling("vt3_standin_1_1.exe").c_str(), "C:\\no\\such\\vt3.exe"));
  EXPECT_FALSE(GetFileVersionString(Sibling("section_peer.exe").c_str(), version));  // no version resource
  // The version API came from the system directory.
  char loaded[MAX_PATH] = {}, system[MAX_PATH] = {};
  ASSERT_NE(GetModuleFileNameA(GetModuleHandleA("version.dll"), loaded, MAX_PATH), 0u);
  GetSystemDirectoryA(system, MAX_PATH);
  EXPECT_EQ(_strnicmp(loaded, system, strlen(system)), 0) << loaded;
}

}  // namespace
