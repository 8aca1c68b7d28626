// The complete update under Wine: the shipped launcher, its worker and the
// stand-in data stage on an installed 1.0, checked afterwards on disk, in
// the registry and in the shortcuts.
#include <objbase.h>
#include <shlobj.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/game_key.h"
#include "tests/support/box_probe.h"
#include "tests/support/harness.h"
#include "tests/support/process.h"
#include "platform/system_library.h"
#include "transport/shared_section.h"
#include "worker/data_stage.h"
#include "worker/file_version.h"
#include "worker/lobby.h"
#include "worker/tests/joystick_table.h"
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
  // VT3_LAUNCHER runs another build of the launcher (the signed one).
  LaunchResult Run() {
    const char* launcher = std::getenv("VT3_LAUNCHER");
    return RunAndObserve(launcher ? launcher : Sibling("Vt3update.exe"), 90000);
  }
  std::string GameFile(const char* name) { return game.directory + "\\" + name; }
  // Neither the temporary folder nor the game folder keeps a temporary file.
  void ExpectNoTemporaryLeft() {
    EXPECT_EQ(TempFilesMatching("tmp*.tmp"), tempBefore);
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((game.directory + "\\tmp*.tmp").c_str(), &found);
    EXPECT_EQ(search, INVALID_HANDLE_VALUE) << "left in the game folder: " << found.cFileName;
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
  }
  // Nothing of the finishing steps: no ReadMe, no shortcut, the old lobby key.
  void ExpectNothingFinished() {
    EXPECT_FALSE(FileExists(GameFile("ReadMe_v1_1_En.txt")));
    EXPECT_FALSE(FileExists(Folder(CSIDL_DESKTOP) + "\\Vantor 3.lnk"));
    std::string value;
    EXPECT_TRUE(GetMachineString(kOldLobbyKey, "GUID", &value));
    EXPECT_FALSE(GetMachineString(kNewLobbyKey, "GUID", &value));
  }
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
  EXPECT_EQ(settings, DefaultJoystickSettings());
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
  ExpectNothingFinished();
  // Once the game is closed, the update goes through.
  EXPECT_EQ(Run().box.text, "Operation completed");
  EXPECT_EQ(Version(GameFile("vt3.exe")), "1.1.74.3");
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

TEST_F(Update, DataStageFailuresKeepTheOldGameAndTheNextRunCompletes) {
  std::string dataBefore;
  ASSERT_TRUE(ReadFileBytes(GameFile("datafiles\\vt3.dat"), &dataBefore));
  Fault("fail 4 500\n");
  LaunchResult result = Run();
  EXPECT_EQ(result.box.text, "There is not enough space on your hard disk.");
  EXPECT_EQ(result.exitCode, 0u);
  // The old executable stays with the data it matches, and nothing else is
  // installed, so that the next run repeats the whole update.
  EXPECT_EQ(Version(GameFile("vt3.exe")), "1.0.0.0");
  ExpectNothingFinished();
  ExpectNoTemporaryLeft();
  DeleteFileA(GameFile("standin_fault.txt").c_str());
  result = Run();
  EXPECT_EQ(result.box.text, "Operation completed");
  EXPECT_EQ(result.exitCode, 1u);
  EXPECT_EQ(Version(GameFile("vt3.exe")), "1.1.74.3");

  // A crash and a game that never takes over the block are failures too.
  for (const char* fault : {"crash 100\n", "ignore\n"}) {
    Install("C:\\Games\\Vantor 3");
    Fault(fault);
    result = Run();
    EXPECT_EQ(result.box.text, "Update process failed: update aborts.") << fault;
    EXPECT_EQ(result.exitCode, 0u) << fault;
    EXPECT_EQ(Version(GameFile("vt3.exe")), "1.0.0.0") << fault;
    ExpectNothingFinished();
    ExpectNoTemporaryLeft();
  }
  std::string dataAfter;
  ASSERT_TRUE(ReadFileBytes(GameFile("datafiles\\vt3.dat"), &dataAfter));
  EXPECT_TRUE(dataAfter == dataBefore) << "the game that ignored the block changed vt3.dat";
}

TEST_F(Update, DataStageRunsFromTheGameFolderAndLoadsTheGamesDlls) {
  // A DLL of the game's own, and one of the same name planted in the
  // temporary folder: the data stage must load the game's.
  std::string gameDll = GameFile("vt3lib.dll"), plantedDll = TempDirectory() + "vt3lib.dll";
  ASSERT_TRUE(CopyFileA(Sibling("planted.dll").c_str(), gameDll.c_str(), FALSE));
  ASSERT_TRUE(CopyFileA(Sibling("planted.dll").c_str(), plantedDll.c_str(), FALSE));
  DeleteFileA("C:\\planted.txt");
  std::string where = "C:\\where.txt";
  DeleteFileA(where.c_str());
  Fault("where " + where + "\nload vt3lib.dll\n");
  EXPECT_EQ(Run().box.text, "Operation completed");
  DeleteFileA(plantedDll.c_str());
  std::string lines, loaded;
  ASSERT_TRUE(ReadFileBytes(where, &lines));
  lines.erase(std::remove(lines.begin(), lines.end(), '\r'), lines.end());
  std::string module = lines.substr(0, lines.find('\n'));
  std::string directory = lines.substr(lines.find('\n') + 1);
  directory = directory.substr(0, directory.find('\n'));
  EXPECT_EQ(_stricmp(module.substr(0, module.find_last_of('\\')).c_str(), game.directory.c_str()), 0) << module;
  EXPECT_EQ(module.substr(module.size() - 4), ".tmp");
  EXPECT_EQ(_stricmp(directory.c_str(), game.directory.c_str()), 0) << directory;
  ASSERT_TRUE(ReadFileBytes("C:\\planted.txt", &loaded));
  EXPECT_EQ(_stricmp(loaded.c_str(), (gameDll + "\r\n").c_str()), 0) << loaded;
  DeleteFileA("C:\\planted.txt");
  DeleteFileA(where.c_str());
}

// Where the data stage inherits the worker's DLL search path (Windows; Wine
// does not pass it on), it must get the default one. Seen from inside: while
// the started program runs, a library in the current directory loads; before
// and after, with another directory set in its place, it does not. (Wine
// treats "", the worker's own setting, as no setting.)
TEST(DataStageStart, GetsTheDefaultDllSearchOrderOnlyWhileItStarts) {
  std::string folder = "C:\\dll_search";
  ASSERT_TRUE(MakeDirectories(folder));
  ASSERT_TRUE(CopyFileA(Sibling("planted.dll").c_str(), (folder + "\\cwdprobe.dll").c_str(), FALSE));
  char previous[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, previous);
  ASSERT_TRUE(SetCurrentDirectoryA(folder.c_str()));
  ASSERT_TRUE(MakeDirectories(folder + "\\elsewhere"));
  ASSERT_TRUE(SetDllDirectoryIfPresent((folder + "\\elsewhere").c_str()));
  auto loadsFromCurrentDirectory = []() {
    HMODULE module = LoadLibraryA("cwdprobe.dll");
    if (module) FreeLibrary(module);
    return module != nullptr;
  };
  EXPECT_FALSE(loadsFromCurrentDirectory());
  // The started program waits for a mutex this thread holds: it runs about
  // two seconds, time for another thread to look.
  SharedSection section;
  ASSERT_NE(section.Create("DllSearchProbe", 4), nullptr);
  ASSERT_TRUE(section.Lock(0));
  struct Observer {
    static DWORD WINAPI Run(void* result) {
      Sleep(700);
      HMODULE module = LoadLibraryA("cwdprobe.dll");
      if (module) FreeLibrary(module);
      *static_cast<int*>(result) = module ? 1 : 0;
      return 0;
    }
  };
  int loadedWhileRunning = -1;
  HANDLE observer = CreateThread(nullptr, 0, Observer::Run, &loadedWhileRunning, 0, nullptr);
  std::string peer = Sibling("section_peer.exe");
  DataStageEnd end = RunDataStage(peer.c_str(), "section_peer wait DllSearchProbe 2000");
  WaitForSingleObject(observer, 10000);
  CloseHandle(observer);
  section.Unlock();
  EXPECT_EQ(end, DataStageEnd::kEnded);
  EXPECT_EQ(loadedWhileRunning, 1);
  EXPECT_FALSE(loadsFromCurrentDirectory());
  char restored[MAX_PATH];
  GetDllDirectoryIfPresent(restored, MAX_PATH);
  EXPECT_EQ(folder + "\\elsewhere", restored);
  EXPECT_EQ(RunDataStage("C:\\no\\such.exe", "such -nosetup"), DataStageEnd::kNotStarted);
  SetDllDirectoryIfPresent("");
  SetCurrentDirectoryA(previous);
  RemoveTree(folder);
}

// A worker whose moves fail on request, on the 9x path (delete, then move):
// the rescue copy puts the new game in place, and the update succeeds.
TEST_F(Update, FailedMoveOnNineXIsRescuedByACopy) {
  // Processes started from now on see Windows 98.
  HKEY wine;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &wine,
                            nullptr),
            ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExA(wine, "Version", 0, REG_SZ, reinterpret_cast<const BYTE*>("win98"), 6), ERROR_SUCCESS);
  ASSERT_TRUE(WriteFileBytes(GameFile("worker_faults.txt"), "move vt3.exe\n"));
  LaunchResult result = RunAndObserve(Sibling("Vt3update_faults.exe"), 90000);
  RegDeleteValueA(wine, "Version");
  RegCloseKey(wine);
  EXPECT_EQ(result.box.text, "Operation completed");
  EXPECT_EQ(result.exitCode, 1u);
  EXPECT_EQ(Version(GameFile("vt3.exe")), "1.1.74.3");
  EXPECT_TRUE(FileExists(GameFile("ReadMe_v1_1_En.txt")));
  ExpectNoTemporaryLeft();
  std::string log;
  ASSERT_TRUE(ReadFileBytes(GameFile("worker_faults.log"), &log));
  EXPECT_EQ(log, "move " + GameFile("vt3.exe") + " failed\r\n");
}

// Everything the update could touch, as text: the game folder's files and
// sizes, the game and lobby keys, the shortcuts and the temporary folder.
std::string MachineState(const std::string& gameDirectory) {
  std::string state;
  std::vector<std::string> folders = {gameDirectory};
  for (size_t i = 0; i < folders.size(); ++i) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folders[i] + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) continue;
    do {
      std::string name = found.cFileName;
      if (name == "." || name == "..") continue;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) folders.push_back(folders[i] + "\\" + name);
      else state += folders[i] + "\\" + name + " " + std::to_string(found.nFileSizeLow) + "\n";
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  for (const char* key : {kGameKeyPath, kOldLobbyKey, kNewLobbyKey})
    for (const char* name : {"SavingPath", "DataPath", "GUID", "CURRENTDIRECTORY"}) {
      std::string value;
      if (GetMachineString(key, name, &value)) state += std::string(key) + "\\" + name + "=" + value + "\n";
    }
  for (int csidl : {CSIDL_DESKTOP, CSIDL_PROGRAMS, CSIDL_COMMON_PROGRAMS})
    state += FileExists(Folder(csidl) + "\\Vantor 3.lnk") || FileExists(Folder(csidl) + "\\BrenmarkSoft") ? "link\n" : "";
  for (const std::string& name : TempFilesMatching("*")) state += "temp " + name + "\n";
  return state;
}

// A copy of the shipped launcher with `id`'s resource rewritten with one
// byte changed.
bool DamagedLauncher(const std::string& copy, unsigned id) {
  if (!CopyFileA(Sibling("Vt3update.exe").c_str(), copy.c_str(), FALSE)) return false;
  HMODULE image = LoadLibraryExA(copy.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!image) return false;
  HRSRC info = FindResourceA(image, MAKEINTRESOURCEA(id), "BINARY");
  WORD language = 0;
  struct FirstLanguage {
    static BOOL CALLBACK Take(HMODULE, LPCSTR, LPCSTR, WORD found, LONG_PTR into) {
      *reinterpret_cast<WORD*>(into) = found;
      return FALSE;
    }
  };
  EnumResourceLanguagesA(image, "BINARY", MAKEINTRESOURCEA(id), FirstLanguage::Take,
                         reinterpret_cast<LONG_PTR>(&language));
  std::string bytes;
  if (info) {
    const char* data = static_cast<const char*>(LockResource(LoadResource(image, info)));
    bytes.assign(data, SizeofResource(image, info));
  }
  FreeLibrary(image);
  if (bytes.empty()) return false;
  bytes[bytes.size() / 2] ^= 0x20;
  HANDLE update = BeginUpdateResourceA(copy.c_str(), FALSE);
  return update && UpdateResourceA(update, "BINARY", MAKEINTRESOURCEA(id), language, &bytes[0],
                                   static_cast<DWORD>(bytes.size())) &&
         EndUpdateResourceA(update, FALSE);
}

TEST_F(Update, DamagedPayloadsStopTheUpdateBeforeAnythingIsTouched) {
  std::string folder = "C:\\download";
  ASSERT_TRUE(MakeDirectories(folder));
  struct Case {
    unsigned id;
    int file;
  };
  for (Case c : {Case{130, 1}, Case{134, 2}, Case{150, 3}}) {
    std::string copy = folder + "\\Vt3update_" + std::to_string(c.id) + ".exe";
    ASSERT_TRUE(DamagedLauncher(copy, c.id)) << c.id;
    std::string before = MachineState(game.directory);
    // Watches for any payload or control section for as long as the run lasts.
    struct Watch {
      volatile LONG stop = 0;
      volatile LONG seen = 0;
      static DWORD WINAPI Run(void* parameter) {
        Watch* watch = static_cast<Watch*>(parameter);
        while (!watch->stop) {
          for (const char* name : {"VuzFshare", "VuzFshare0", "VuzFshare1"}) {
            HANDLE mapping = OpenFileMappingA(FILE_MAP_READ, FALSE, name);
            if (mapping) {
              watch->seen = 1;
              CloseHandle(mapping);
            }
          }
          Sleep(0);
        }
        return 0;
      }
    } watch;
    HANDLE watcher = CreateThread(nullptr, 0, Watch::Run, &watch, 0, nullptr);
    LaunchResult result = RunAndObserve(copy, 90000);
    watch.stop = 1;
    WaitForSingleObject(watcher, 10000);
    CloseHandle(watcher);
    EXPECT_EQ(result.box.text, "Extraction failed on file " + std::to_string(c.file) + ": update aborts.");
    EXPECT_EQ(result.exitCode, 0u);
    EXPECT_EQ(watch.seen, 0) << c.id << ": a section was created";
    EXPECT_EQ(MachineState(game.directory), before) << c.id;
  }
  RemoveTree(folder);
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

TEST_F(WorkerAlone, MissingJoystickSettingsGetTheDefaultsAndKeepAnOldBackup) {
  DeleteFileA(GameFile("data\\players\\joystick.ini").c_str());
  for (bool withBackup : {false, true}) {
    if (withBackup) {
      ASSERT_TRUE(WriteFileBytes(GameFile("data\\players\\joystick.bak"), "older backup"));
    }
    SetFileAttributesA(GameFile("vt3.exe").c_str(), FILE_ATTRIBUTE_NORMAL);
    ASSERT_TRUE(CopyFileA(Sibling("vt3_standin_1_0.exe").c_str(), GameFile("vt3.exe").c_str(), FALSE));
    DeleteFileA(GameFile("data\\players\\joystick.ini").c_str());
    SharedSection block;
    volatile uint32_t* fields = nullptr;
    EXPECT_EQ(RunWorker(&fields, &block, 0), 1u) << withBackup;
    std::string settings, backup;
    ASSERT_TRUE(ReadFileBytes(GameFile("data\\players\\joystick.ini"), &settings));
    EXPECT_EQ(settings, DefaultJoystickSettings());
    EXPECT_EQ(ReadFileBytes(GameFile("data\\players\\joystick.bak"), &backup), withBackup);
    if (withBackup) {
      EXPECT_EQ(backup, "older backup");
    }
  }
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
  // Only the first translation's table counts, whatever comes first.
  ASSERT_TRUE(GetFileVersionString(Sibling("version_decoy.exe").c_str(), version));
  EXPECT_STREQ(version, "1.1.74.3");
  // The version API came from the system directory.
  char loaded[MAX_PATH] = {}, system[MAX_PATH] = {};
  ASSERT_NE(GetModuleFileNameA(GetModuleHandleA("version.dll"), loaded, MAX_PATH), 0u);
  GetSystemDirectoryA(system, MAX_PATH);
  EXPECT_EQ(_strnicmp(loaded, system, strlen(system)), 0) << loaded;
}

}  // namespace
