// The complete update under Wine: the shipped launcher, its worker and the
// stand-in data stage on an installed 1.0, checked afterwards on disk, in
// the registry and in the shortcuts.
#include <objbase.h>
#include <shlobj.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/game_key.h"
#include "platform/system_library.h"
#include "tests/support/box_probe.h"
#include "transport/shared_section.h"
#include "worker/data_stage.h"
#include "worker/tests/joystick_table.h"
#include "worker/tests/installed_game.h"

namespace {

// A shortcut as "target|arguments|working directory".
std::string ReadLink(const std::string& path) {
  IShellLinkA* shell = nullptr;
  IPersistFile* file = nullptr;
  std::string link;
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                 reinterpret_cast<void**>(&shell))) &&
      SUCCEEDED(shell->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
    WCHAR wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
    char target[MAX_PATH] = {}, arguments[MAX_PATH] = {}, directory[MAX_PATH] = {};
    if (SUCCEEDED(file->Load(wide, STGM_READ)) && SUCCEEDED(shell->GetPath(target, MAX_PATH, nullptr, 0)) &&
        SUCCEEDED(shell->GetArguments(arguments, MAX_PATH)) &&
        SUCCEEDED(shell->GetWorkingDirectory(directory, MAX_PATH)))
      link = std::string(CharLowerA(target)) + "|" + arguments + "|" + directory;
  }
  if (file) file->Release();
  if (shell) shell->Release();
  return link;
}

std::string Folder(int csidl) {
  char path[MAX_PATH] = {};
  SHGetSpecialFolderPathA(nullptr, path, csidl, FALSE);
  return path;
}

std::string Source(const std::string& relative) { return std::string(VT3_SOURCE_DIR) + "/" + relative; }

class Update : public InstalledGame {
 protected:
  static void SetUpTestSuite() { CoInitialize(nullptr); }
  void SetUp() override {
    InstalledGame::SetUp();
    for (int csidl : {CSIDL_PROGRAMS, CSIDL_COMMON_PROGRAMS}) RemoveTree(Folder(csidl) + "\\BrenmarkSoft");
    for (const char* name : {"\\Vantor 3.lnk", "\\Vantor 3 (NoSetup).lnk"})
      DeleteFileA((Folder(CSIDL_DESKTOP) + name).c_str());
  }
  // A failed update: the old game, no temporary file, none of the
  // finishing steps (ReadMe, shortcut, lobby key), so the next run repeats it all.
  void ExpectOldGameAndNothingFinished() {
    EXPECT_EQ(GameVersion(), "1.0.0.0");
    ExpectNoTemporaryLeft();
    EXPECT_FALSE(FileExists(GameFile("ReadMe_v1_1_En.txt")));
    EXPECT_FALSE(FileExists(Folder(CSIDL_DESKTOP) + "\\Vantor 3.lnk"));
    std::string value;
    EXPECT_TRUE(GetMachineString(kOldLobbyKey, "GUID", &value));
    EXPECT_FALSE(GetMachineString(kNewLobbyKey, "GUID", &value));
  }
};

// The Windows the run must see, as "major.minor.platform" (ctest sets it
// with the version Wine is told to be).
void ExpectReportedWindows() {
  const char* expected = std::getenv("VT3_EXPECT_WINDOWS");
  if (!expected) return;
  OSVERSIONINFOA info = {};
  info.dwOSVersionInfoSize = sizeof info;
  ASSERT_TRUE(GetVersionExA(&info));
  EXPECT_EQ(std::to_string(info.dwMajorVersion) + "." + std::to_string(info.dwMinorVersion) + "." +
                std::to_string(info.dwPlatformId),
            expected);
}

TEST_F(Update, SucceedsOnAnInstalledGameAndInstallsEverything) {
  ExpectReportedWindows();
  std::string oldSettings, data, written, carried, settings, backup, value;
  ASSERT_TRUE(ReadFileBytes(GameFile("data\\players\\joystick.ini"), &oldSettings));
  ProgressProbe probe;
  Fault("slow 5\n");
  LaunchResult result = Run();
  EXPECT_EQ(result.box.text, "Operation completed");
  EXPECT_EQ(result.box.icon, kBoxIconInformation);
  EXPECT_EQ(result.exitCode, 1u);
  // Sent only rising positions, ending full.
  std::vector<LONG> sent = probe.Positions();
  ASSERT_FALSE(sent.empty());
  EXPECT_EQ(sent.back(), 100);
  for (size_t i = 1; i < sent.size(); ++i) EXPECT_GT(sent[i], sent[i - 1]);

  EXPECT_EQ(GameVersion(), "1.1.74.3");
  ASSERT_TRUE(ReadFileBytes(GameFile("datafiles\\vt3.dat"), &data));
  EXPECT_EQ(data.size(), 3591199u);
  EXPECT_EQ(data.substr(0, 4), "VT3D");
  for (const char* file : {"data\\tracks\\track13.trk", "data\\cars\\v3gt.car", "data\\textures\\track13.tex",
                           "data\\sounds\\engine_v3gt.wav"})
    EXPECT_TRUE(FileExists(GameFile(file))) << file;
  for (const char* language : {"En", "Fr", "Ger", "Ita", "Spa", "Swe"}) {
    std::string name = std::string("ReadMe_v1_1_") + language + ".txt";
    ASSERT_TRUE(ReadFileBytes(GameFile(name), &written)) << name;
    ASSERT_TRUE(ReadFileBytes(Source("resources/readme/" + name), &carried));
    EXPECT_TRUE(written == carried) << name;
  }

  std::string target = game.directory + "\\vt3.exe";
  CharLowerA(&target[0]);
  for (const std::string& folder : {Folder(CSIDL_PROGRAMS) + "\\BrenmarkSoft\\Vantor 3",
                                    Folder(CSIDL_COMMON_PROGRAMS) + "\\BrenmarkSoft\\Vantor 3", Folder(CSIDL_DESKTOP)}) {
    EXPECT_EQ(ReadLink(folder + "\\Vantor 3.lnk"), target + "|-Setup|" + game.directory + "\\") << folder;
    EXPECT_EQ(ReadLink(folder + "\\Vantor 3 (NoSetup).lnk"), target + "|-NoSetup|" + game.directory + "\\") << folder;
  }

  // The lobby registration moved to the new GUID's key.
  for (const char* name : {"CURRENTDIRECTORY", "EXECUTABLEFILENAME", "LAUNCHERFILENAME", "EXECUTABLEPATH",
                           "APPLICATIONNAME", "DESCRIPTION", "LAUNCHERPATH"})
    EXPECT_TRUE(GetMachineString(kNewLobbyKey, name, &value)) << name;
  EXPECT_TRUE(GetMachineString(kNewLobbyKey, "COMMANDLINE", &value) && value == "-lobby");
  EXPECT_TRUE(GetMachineString(kNewLobbyKey, "GUID", &value) && value == kNewLobbyGuid);
  EXPECT_FALSE(GetMachineString(kOldLobbyKey, "GUID", &value));

  ASSERT_TRUE(ReadFileBytes(GameFile("data\\players\\joystick.bak"), &backup));
  ASSERT_TRUE(ReadFileBytes(GameFile("data\\players\\joystick.ini"), &settings));
  EXPECT_EQ(backup, oldSettings);
  EXPECT_EQ(settings, DefaultJoystickSettings());
  ExpectNoTemporaryLeft();
}

TEST_F(Update, HandsTheDirectoryOverUnquotedAndASecondRunIsRefused) {
  Install("C:\\Games\\My Racing Games\\Vantor 3");
  std::string record = TempDirectory() + "vt3_command_line.txt", lines, installed, after;
  DeleteFileA(record.c_str());
  Fault("record " + record + "\n");
  EXPECT_EQ(Run().box.text, "Operation completed");
  ASSERT_TRUE(ReadFileBytes(record, &lines));
  DeleteFileA(record.c_str());
  EXPECT_EQ(lines, "C:\\Games\\My Racing Games\\Vantor 3 -nosetup\r\n");
  ASSERT_TRUE(ReadFileBytes(GameFile("vt3.exe"), &installed));
  LaunchResult second = Run();
  EXPECT_EQ(second.box.text, "Update is older than your version of VT3.");
  EXPECT_EQ(second.box.icon, kBoxIconError);
  EXPECT_EQ(second.exitCode, 0u);
  ASSERT_TRUE(ReadFileBytes(GameFile("vt3.exe"), &after));
  EXPECT_TRUE(after == installed);
  ExpectNoTemporaryLeft();
}

TEST_F(Update, ReadOnlyExecutableIsReplacedAndAHeldOneIsKept) {
  SetFileAttributesA(GameFile("vt3.exe").c_str(), FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(Run().box.text, "Operation completed");
  EXPECT_EQ(GameVersion(), "1.1.74.3");

  Install("C:\\Games\\Vantor 3");
  HANDLE held = CreateFileA(GameFile("vt3.exe").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0,
                            nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  LaunchResult result = Run();
  CloseHandle(held);
  EXPECT_EQ(result.box.text, "Can not upgrade VT3 executable: upgrade aborts.");
  ExpectOldGameAndNothingFinished();
  // Once the game is closed, the update goes through.
  EXPECT_EQ(Run().box.text, "Operation completed");
  EXPECT_EQ(GameVersion(), "1.1.74.3");
}

TEST_F(Update, DataStageFailuresKeepTheOldGameAndTheNextRunCompletes) {
  std::string dataBefore, dataAfter;
  ASSERT_TRUE(ReadFileBytes(GameFile("datafiles\\vt3.dat"), &dataBefore));
  // An error the data stage reports, a crash, and a game that never takes
  // over the block (nor touches vt3.dat).
  const std::pair<const char*, const char*> faults[] = {
      {"fail 4 500\n", "There is not enough space on your hard disk."},
      {"crash 100\n", "Update process failed: update aborts."},
      {"ignore\n", "Update process failed: update aborts."}};
  for (const auto& fault : faults) {
    Install("C:\\Games\\Vantor 3");
    Fault(fault.first);
    LaunchResult result = Run();
    EXPECT_EQ(result.box.text, fault.second) << fault.first;
    EXPECT_EQ(result.exitCode, 0u) << fault.first;
    ExpectOldGameAndNothingFinished();
  }
  ASSERT_TRUE(ReadFileBytes(GameFile("datafiles\\vt3.dat"), &dataAfter));
  EXPECT_TRUE(dataAfter == dataBefore) << "the game that ignored the block changed vt3.dat";
  DeleteFileA(GameFile("standin_fault.txt").c_str());
  EXPECT_EQ(Run().box.text, "Operation completed");
  EXPECT_EQ(GameVersion(), "1.1.74.3");
}

TEST_F(Update, DataStageRunsFromTheGameFolderAndLoadsTheGamesDlls) {
  // A DLL of the game's own, and one of the same name planted in the
  // temporary folder: the data stage must load the game's.
  std::string gameDll = GameFile("vt3lib.dll"), plantedDll = TempDirectory() + "vt3lib.dll";
  ASSERT_TRUE(CopyFileA(Sibling("planted.dll").c_str(), gameDll.c_str(), FALSE));
  ASSERT_TRUE(CopyFileA(Sibling("planted.dll").c_str(), plantedDll.c_str(), FALSE));
  DeleteFileA("C:\\planted.txt");
  DeleteFileA("C:\\where.txt");
  Fault("where C:\\where.txt\nload vt3lib.dll\n");
  EXPECT_EQ(Run().box.text, "Operation completed");
  DeleteFileA(plantedDll.c_str());
  std::string where, loaded, folder = game.directory;
  ASSERT_TRUE(ReadFileBytes("C:\\where.txt", &where));
  ASSERT_TRUE(ReadFileBytes("C:\\planted.txt", &loaded));
  // Its own path (a .tmp beside vt3.exe) and its current directory.
  for (std::string* text : {&where, &loaded, &folder}) CharLowerA(&(*text)[0]);
  EXPECT_EQ(where.substr(0, folder.size() + 4), folder + "\\tmp") << where;
  EXPECT_NE(where.find(".tmp\r\n" + folder + "\r\n"), std::string::npos) << where;
  EXPECT_EQ(loaded, folder + "\\vt3lib.dll\r\n");
  DeleteFileA("C:\\planted.txt");
  DeleteFileA("C:\\where.txt");
}

// Where the data stage inherits the worker's DLL search path (Windows; Wine
// does not pass it on), it must get the default one. Seen from inside: while
// the started program runs, a library in the current directory loads; before
// and after, with another directory set in its place, it does not. (Wine
// treats "", the worker's own setting, as no setting.)
TEST(DataStageStart, GetsTheDefaultDllSearchOrderOnlyWhileItStarts) {
  std::string folder = "C:\\dll_search";
  ASSERT_TRUE(MakeDirectories(folder + "\\elsewhere"));
  ASSERT_TRUE(CopyFileA(Sibling("planted.dll").c_str(), (folder + "\\cwdprobe.dll").c_str(), FALSE));
  char previous[MAX_PATH], restored[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, previous);
  ASSERT_TRUE(SetCurrentDirectoryA(folder.c_str()));
  ASSERT_TRUE(SetDllDirectoryIfPresent((folder + "\\elsewhere").c_str()));
  struct Probe {
    static DWORD WINAPI Loads(void* delay) {
      Sleep(static_cast<DWORD>(reinterpret_cast<uintptr_t>(delay)));
      HMODULE module = LoadLibraryA("cwdprobe.dll");
      if (module) FreeLibrary(module);
      return module != nullptr;
    }
  };
  EXPECT_FALSE(Probe::Loads(nullptr));
  // The started program waits about two seconds for a mutex held here,
  // time for another thread to look.
  SharedSection section;
  ASSERT_NE(section.Create("DllSearchProbe", 4), nullptr);
  ASSERT_TRUE(section.Lock(0));
  HANDLE observer = CreateThread(nullptr, 0, Probe::Loads, reinterpret_cast<void*>(700), 0, nullptr);
  DataStageEnd end = RunDataStage(Sibling("section_peer.exe").c_str(), "section_peer wait DllSearchProbe 2000");
  DWORD loadedWhileRunning = 2;
  WaitForSingleObject(observer, 10000);
  GetExitCodeThread(observer, &loadedWhileRunning);
  CloseHandle(observer);
  section.Unlock();
  EXPECT_EQ(end, DataStageEnd::kEnded);
  EXPECT_EQ(loadedWhileRunning, 1u);
  EXPECT_FALSE(Probe::Loads(nullptr));
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
  ASSERT_TRUE(SetWineVersion("win98"));
  ASSERT_TRUE(WriteFileBytes(GameFile("worker_faults.txt"), "move vt3.exe\n"));
  LaunchResult result = Run(Sibling("Vt3update_faults.exe"));
  SetWineVersion(nullptr);
  EXPECT_EQ(result.box.text, "Operation completed");
  EXPECT_EQ(GameVersion(), "1.1.74.3");
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
  for (size_t i = 0; i < folders.size(); ++i)
    for (const std::string& name : FilesMatching(folders[i] + "\\*")) {
      std::string path = folders[i] + "\\" + name, bytes;
      if (ReadFileBytes(path, &bytes)) state += path + " " + std::to_string(bytes.size()) + "\n";
      else folders.push_back(path);
    }
  for (const char* key : {kGameKeyPath, kOldLobbyKey, kNewLobbyKey})
    for (const char* name : {"SavingPath", "DataPath", "GUID", "CURRENTDIRECTORY"}) {
      std::string value;
      if (GetMachineString(key, name, &value)) state += std::string(key) + "\\" + name + "=" + value + "\n";
    }
  for (int csidl : {CSIDL_DESKTOP, CSIDL_PROGRAMS, CSIDL_COMMON_PROGRAMS})
    state += FileExists(Folder(csidl) + "\\Vantor 3.lnk") || FileExists(Folder(csidl) + "\\BrenmarkSoft") ? "link\n" : "";
  for (const std::string& name : FilesMatching(TempDirectory() + "*")) state += "temp " + name + "\n";
  return state;
}

// A copy of the shipped launcher with one byte of resource `id` changed.
bool DamagedLauncher(const std::string& copy, unsigned id) {
  if (!CopyFileA(Sibling("Vt3update.exe").c_str(), copy.c_str(), FALSE)) return false;
  HMODULE image = LoadLibraryExA(copy.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  HRSRC info = image ? FindResourceA(image, MAKEINTRESOURCEA(id), "BINARY") : nullptr;
  std::string bytes;
  if (info) bytes.assign(static_cast<const char*>(LockResource(LoadResource(image, info))), SizeofResource(image, info));
  struct FirstLanguage {  // the language the resource is stored under, to replace it
    static BOOL CALLBACK Take(HMODULE, LPCSTR, LPCSTR, WORD found, LONG_PTR into) {
      return *reinterpret_cast<WORD*>(into) = found, FALSE;
    }
  };
  WORD language = 0;
  if (info) EnumResourceLanguagesA(image, "BINARY", MAKEINTRESOURCEA(id), FirstLanguage::Take, LONG_PTR(&language));
  if (image) FreeLibrary(image);
  if (bytes.empty()) return false;
  bytes[bytes.size() / 2] ^= 0x20;
  HANDLE update = BeginUpdateResourceA(copy.c_str(), FALSE);
  return update &&
         UpdateResourceA(update, "BINARY", MAKEINTRESOURCEA(id), language, &bytes[0], static_cast<DWORD>(bytes.size())) &&
         EndUpdateResourceA(update, FALSE);
}

TEST_F(Update, DamagedPayloadsStopTheUpdateBeforeAnythingIsTouched) {
  std::string folder = "C:\\download";
  ASSERT_TRUE(MakeDirectories(folder));
  for (unsigned id : {130u, 134u, 150u}) {
    std::string copy = folder + "\\Vt3update_" + std::to_string(id) + ".exe";
    ASSERT_TRUE(DamagedLauncher(copy, id)) << id;
    std::string before = MachineState(game.directory);
    // Looks for a payload or control section for as long as the run lasts.
    struct Watch {
      volatile LONG stop = 0, seen = 0;
      static DWORD WINAPI Run(void* parameter) {
        Watch* watch = static_cast<Watch*>(parameter);
        while (!watch->stop)
          for (const char* name : {"VuzFshare", "VuzFshare0", "VuzFshare1"}) {
            HANDLE mapping = OpenFileMappingA(FILE_MAP_READ, FALSE, name);
            if (mapping) watch->seen = CloseHandle(mapping);
            Sleep(0);
          }
        return 0;
      }
    } watch;
    HANDLE watcher = CreateThread(nullptr, 0, Watch::Run, &watch, 0, nullptr);
    LaunchResult result = Run(copy);
    watch.stop = 1;
    WaitForSingleObject(watcher, 10000);
    CloseHandle(watcher);
    EXPECT_EQ(result.box.text, "Extraction failed on file " + std::to_string(id == 130 ? 1 : id == 134 ? 2 : 3) +
                                   ": update aborts.");
    EXPECT_EQ(watch.seen, 0) << id << ": a section was created";
    EXPECT_EQ(MachineState(game.directory), before) << id;
  }
  RemoveTree(folder);
}

// The worker on its own, against a block this test makes as the launcher would.
class WorkerAlone : public Update {
 protected:
  DWORD RunWorker(int32_t sectionCount) {
    fields = static_cast<volatile uint32_t*>(block.Create("VuzFshare", 88));
    if (!fields) return 0xFFFFFFFF;
    fields[0] = 0x56545550;
    fields[2] = 1;
    fields[4] = static_cast<uint32_t>(sectionCount);
    DWORD code = RunProcess("\"" + Sibling("vt3worker.exe") + "\"", 60000);
    return code;
  }
  SharedSection block;
  volatile uint32_t* fields = nullptr;
};

// Without joystick.ini the defaults are written and an older backup stays;
// the worker ends with 1 and a block the data stage took over.
TEST_F(WorkerAlone, SucceedsWithoutJoystickSettingsAndKeepsAnOlderBackup) {
  for (bool withBackup : {false, true}) {
    Install("C:\\Games\\Vantor 3");
    DeleteFileA(GameFile("data\\players\\joystick.ini").c_str());
    ASSERT_TRUE(!withBackup || WriteFileBytes(GameFile("data\\players\\joystick.bak"), "older backup"));
    EXPECT_EQ(RunWorker(0), 1u) << withBackup;
    EXPECT_EQ(fields[1], 0x50475353u);  // stageTag
    EXPECT_EQ(fields[2], 1000u);        // progressTotal, the data stage's
    EXPECT_EQ(fields[5], 0u);           // errorCode
    EXPECT_EQ(fields[6], 1u);           // doneFlag
    std::string settings, backup;
    ASSERT_TRUE(ReadFileBytes(GameFile("data\\players\\joystick.ini"), &settings));
    EXPECT_EQ(settings, DefaultJoystickSettings());
    EXPECT_EQ(ReadFileBytes(GameFile("data\\players\\joystick.bak"), &backup), withBackup);
    EXPECT_EQ(backup, withBackup ? "older backup" : "");
    block.Close();
  }
}

TEST_F(WorkerAlone, DataStageCodeStaysWhenTheWorkerFailsLater) {
  // No payload sections: the data stage reports 3; a held joystick.ini then
  // makes the worker fail with 13 of its own.
  HANDLE held = CreateFileA(GameFile("data\\players\\joystick.ini").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                            0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_EQ(RunWorker(2), 0u);
  CloseHandle(held);
  EXPECT_EQ(fields[5], 3u);
  EXPECT_EQ(fields[6], 1u);
}

TEST_F(WorkerAlone, GivesUpAfterAboutTenSecondsWithoutABlock) {
  DWORD start = GetTickCount();
  EXPECT_EQ(RunProcess("\"" + Sibling("vt3worker.exe") + "\"", 60000), 0u);
  EXPECT_GE(GetTickCount() - start, 9000u);
  EXPECT_LT(GetTickCount() - start, 30000u);
  EXPECT_EQ(GameVersion(), "1.0.0.0");
}

TEST(FileVersion, ReadsTheFirstTranslationAndComparesText) {
  const std::string old = Sibling("vt3_standin_1_0.exe"), fresh = Sibling("vt3_standin_1_1.exe");
  EXPECT_EQ(Version(old), "1.0.0.0");
  // Only the first translation's table counts, whatever comes first.
  EXPECT_EQ(Version(Sibling("version_decoy.exe")), "1.1.74.3");
  EXPECT_EQ(Version(Sibling("section_peer.exe")), "");  // no version resource
  EXPECT_TRUE(IsNewerFileVersion(fresh.c_str(), old.c_str()));
  EXPECT_FALSE(IsNewerFileVersion(old.c_str(), fresh.c_str()));
  EXPECT_FALSE(IsNewerFileVersion(fresh.c_str(), fresh.c_str()));
  EXPECT_FALSE(IsNewerFileVersion(fresh.c_str(), "C:\\no\\such\\vt3.exe"));
  // The version API came from the system directory.
  char loaded[MAX_PATH] = {}, system[MAX_PATH] = {};
  ASSERT_NE(GetModuleFileNameA(GetModuleHandleA("version.dll"), loaded, MAX_PATH), 0u);
  GetSystemDirectoryA(system, MAX_PATH);
  EXPECT_EQ(_strnicmp(loaded, system, strlen(system)), 0) << loaded;
}

}  // namespace
