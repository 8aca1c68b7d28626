// The complete update under Wine: the shipped launcher, its worker and the
// stand-in data stage on an installed 1.0, checked afterwards on disk, in
// the registry and in the shortcuts.
#include <shlobj.h>
#include <windows.h>

#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "game/game_key.h"
#include "launcher/tests/wait_probe.h"
#include "platform/system/system_library.h"
#include "tests/support/box_probe.h"
#include "tests/support/cut_event.h"
#include "tests/support/scanner.h"
#include "transport/shared_section.h"
#include "worker/data_stage.h"
#include "worker/image_version.h"
#include "worker/step_record.h"
#include "worker/tests/installed_game.h"
#include "worker/tests/joystick_table.h"

namespace {

// A shortcut as "target|arguments|working directory".
std::string ReadLink(const std::string& path) {
  CoInitialize(nullptr);
  WCHAR wide[MAX_PATH] = {};
  MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
  IShellLinkA* shell = nullptr;
  IPersistFile* file = nullptr;
  char target[MAX_PATH] = {}, arguments[MAX_PATH] = {}, directory[MAX_PATH] = {};
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                 reinterpret_cast<void**>(&shell))) &&
      SUCCEEDED(shell->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
      SUCCEEDED(file->Load(wide, STGM_READ))) {
    shell->GetPath(target, MAX_PATH, nullptr, 0);
    shell->GetArguments(arguments, MAX_PATH);
    shell->GetWorkingDirectory(directory, MAX_PATH);
  }
  if (file) file->Release();
  if (shell) shell->Release();
  return std::string(CharLowerA(target)) + "|" + arguments + "|" + directory;
}

class Update : public InstalledGame {
 protected:
  std::vector<std::string> ShortcutFolders() {
    return {SpecialFolder(CSIDL_PROGRAMS) + "\\BrenmarkSoft\\Vantor 3",
            SpecialFolder(CSIDL_COMMON_PROGRAMS) + "\\BrenmarkSoft\\Vantor 3", SpecialFolder(CSIDL_DESKTOP)};
  }

  // Everything the update installs: the new game, the ReadMe files, the
  // six shortcuts, the lobby under its new key, the default joystick
  // settings with the player's own in joystick.bak, nothing left over,
  // not even a link under its fresh name.
  void ExpectEverythingInstalled(const std::string& context = "") {
    EXPECT_EQ(GameVersion(), "1.1.74.3") << context;
    for (const std::string code : {"En", "Fr", "Ger", "Ita", "Spa", "Swe"})  // of each language
      EXPECT_TRUE(FileBytes(GameFile("ReadMe_v1_1_" + code + ".txt")) ==
                  FileBytes(VT3_SOURCE_DIR "/resources/readme/ReadMe_v1_1_" + code + ".txt")) << code << context;
    // Each link to the game, as ReadLink gives it.
    std::string value, target = GameFile("vt3.exe");
    CharLowerA(&target[0]);
    for (const std::string& folder : ShortcutFolders()) {
      EXPECT_EQ(ReadLink(folder + "\\Vantor 3.lnk"), target + "|-Setup|" + game.directory + "\\") << folder << context;
      EXPECT_EQ(ReadLink(folder + "\\Vantor 3 (NoSetup).lnk"), target + "|-NoSetup|" + game.directory + "\\")
          << folder << context;
      EXPECT_EQ(FilesMatching(folder + "\\*.tmp"), std::vector<std::string>()) << folder << context;
    }
    EXPECT_TRUE(GetMachineString(kNewLobbyKey, "CURRENTDIRECTORY", &value) && value == game.directory) << context;
    EXPECT_TRUE(GetMachineString(kNewLobbyKey, "GUID", &value) && value == kNewLobbyGuid) << context;
    EXPECT_FALSE(GetMachineString(kOldLobbyKey, "GUID", &value)) << context;
    EXPECT_EQ(FileBytes(PlayersFile("joystick.bak")), playersSettings) << context;
    EXPECT_EQ(FileBytes(PlayersFile("joystick.ini")), DefaultJoystickSettings()) << context;
    EXPECT_EQ(FilesMatching(PlayersFile("*")).size(), 2u) << context;
    ExpectNoTemporaryLeft();
  }
};

// The data stage starts from a copy in the run's own folder, which only
// administrators can write, with the game folder as its current folder:
// a DLL of the game's own is still found there, before one of the same
// name in the temporary folder. The copy goes when the stage has ended.
// Catches data-stage-copy-left, data-stage-started-from-the-game-folder.
TEST_F(Update, SucceedsOnAnInstalledGameAndInstallsEverything) {
  // The Windows the run must see, as "major.minor.platform" (ctest sets it
  // with the version Wine is told to be).
  if (const char* expected = std::getenv("VT3_EXPECT_WINDOWS")) {
    OSVERSIONINFOA info = {sizeof info};
    GetVersionExA(&info);  // on failure "0.0.0", which no entry expects
    EXPECT_EQ(std::to_string(info.dwMajorVersion) + "." + std::to_string(info.dwMinorVersion) + "." +
              std::to_string(info.dwPlatformId), expected);
  }
  const std::string plantedDll = TempDirectory() + "vt3lib.dll";
  for (const std::string& dll : {GameFile("vt3lib.dll"), plantedDll})
    ASSERT_TRUE(CopyFileA(Sibling("planted.dll").c_str(), dll.c_str(), FALSE));
  for (const char* name : {"C:\\planted.txt", "C:\\where.txt"}) DeleteFileA(name);
  // A game that reads its own program file, as a self-check does, while
  // the worker holds it, and tells where it runs and what it loads.
  Fault("slow 5\nselfread\nwhere C:\\where.txt\nload vt3lib.dll\n");
  LaunchResult result = Run();
  DeleteFileA(plantedDll.c_str());
  EXPECT_EQ(result.box.text, "Operation completed");
  EXPECT_EQ(result.box.icon, kBoxIconInformation);
  // The bar, read from outside while the update runs, moved and only
  // forward. (Full shows only for a moment before it closes; the rounding
  // up to 100 is the native test's.)
  const std::vector<LRESULT>& bar = result.box.bar;
  EXPECT_TRUE(std::is_sorted(bar.begin(), bar.end()) && bar.size() >= 2 && bar.back() > 0)
      << testing::PrintToString(bar);

  ExpectEverythingInstalled();

  std::string where = FileBytes("C:\\where.txt"), loaded = FileBytes("C:\\planted.txt"), folder = game.directory;
  for (std::string* text : {&where, &loaded, &folder}) CharLowerA(&(*text)[0]);
  // Its own path, "...\vt3_<16 digits>\tmp<16 digits>.tmp", outside the
  // game folder, then its current directory, the game folder.
  std::smatch program;
  ASSERT_TRUE(std::regex_match(where, program, std::regex(R"((.*\\vt3_[^\\]{16}\\tmp[^\\]{16}\.tmp)\r\n(.*)\r\n)")))
      << where;
  EXPECT_NE(where.rfind(folder + "\\", 0), 0u) << where;
  EXPECT_EQ(program[2], folder);
  EXPECT_FALSE(FileExists(program[1])) << "the data stage's copy stayed";
  EXPECT_EQ(loaded, folder + "\\vt3lib.dll\r\n");
}

// A copy of the shipped launcher with one byte of resource `id` changed.
// With `recorded`, the checksum record is made to match the damage, as a
// faulty build would: a packed payload must then still fail to publish.
bool DamagedLauncher(const std::string& copy, unsigned id, bool recorded = false) {
  std::string file = FileBytes(Sibling("Vt3update.exe")), bytes, record;
  HMODULE image = LoadLibraryExA(Sibling("Vt3update.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  for (auto [resource, into] : {std::make_pair(id, &bytes), std::make_pair(160u, &record)}) {
    HRSRC info = image ? FindResourceA(image, MAKEINTRESOURCEA(resource), "BINARY") : nullptr;
    if (info) into->assign(static_cast<const char*>(LockResource(LoadResource(image, info))), SizeofResource(image, info));
  }
  if (image) FreeLibrary(image);
  // Both are stored in the file as they are.
  const size_t at = file.find(bytes), recordAt = file.find(record);
  if (bytes.empty() || record.size() != 12 || at == std::string::npos || recordAt == std::string::npos) return false;
  bytes[bytes.size() / 2] ^= 0x20;
  file[at + bytes.size() / 2] = bytes[bytes.size() / 2];
  uint32_t crc = static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size())));
  for (size_t b = 0, slot = id == 130 ? 0 : id == 134 ? 1 : 2; b < 4 && recorded; ++b)
    file[recordAt + 4 * slot + b] = static_cast<char>(crc >> (8 * b));
  return WriteFileBytes(copy, file);
}

// Looks for a payload or control section until told to stop.
volatile LONG stopWatching = 0, sectionSeen = 0;
DWORD WINAPI WatchSections(void*) {
  for (; !stopWatching; Sleep(0))
    if (AnySectionExists()) sectionSeen = 1;
  return 0;
}

// Runs stopped with the old game kept and nothing finished, none kept
// waiting by what stops it: by copies of the shipped launcher with a
// damaged payload, found before any section is made (packed, 130 and 134
// that pass the check, recorded, but do not inflate are still the
// extraction failure of their file); by a build whose payload 150 is no
// program; by a mutex of a payload section held by a process that hangs (the
// launcher stops waiting for it); by a held vt3.exe. Leftovers of another
// update, a control block already there, are waited for: a row of
// Hardening.FailuresKeepTheOldGameAndTheNextRunCompletes. The next run,
// by a build without its dialog (which still waits for the worker's
// outcome), replaces the game, read-only in a folder with blanks; a ReadMe
// file or a shortcut that cannot be made then (a folder holds its name past
// the retries) leaves the update complete and the step open in its record,
// so that the run after makes what is missing. (The data stage's error
// reported through the dialog: ProgressDialog….) Catches
// payloads-not-checked, step-record-ignored, failed-finishing-step-recorded.
TEST_F(Update, FailedRunsKeepTheOldGameAReadOnlyOneIsReplacedAndAFailedFinishingStepMadeByTheNextRun) {
  Install("C:\\Games\\My Racing Games\\Vantor 3");
  // A run of `launcher` (the shipped one if empty) that stops with `text`,
  // `held` let go of once it has ended; whether it made a section meanwhile.
  auto stopped = [&](const std::string& launcher, HANDLE held, const std::string& text) {
    stopWatching = sectionSeen = 0;
    HANDLE watcher = CreateThread(nullptr, 0, WatchSections, nullptr, 0, nullptr);
    const LaunchResult result = Run(launcher);
    stopWatching = 1;
    WaitForSingleObject(watcher, 10000);
    CloseHandle(watcher);
    if (held) CloseHandle(held);  // the last handle: no mutex stays, owned or not
    EXPECT_TRUE(std::regex_match(result.box.text, std::regex(text))) << launcher << ": " << result.box.text;
    EXPECT_LT(result.millisecondsToBox, 20000u) << text;
    ExpectOldGameAndNothingFinished();
    EXPECT_EQ(FilesMatching(GameFile("*")).size(), 3u) << text;  // data, datafiles, vt3.exe
    return sectionSeen != 0;
  };
  ASSERT_TRUE(MakeDirectories("C:\\download"));
  const std::pair<unsigned, bool> cases[] = {{130, false}, {134, false}, {150, false}, {130, true}, {134, true}};
  for (auto [id, recorded] : cases) {
    const std::string copy = "C:\\download\\Vt3update_" + std::to_string(id) + (recorded ? "_recorded.exe" : ".exe");
    ASSERT_TRUE(DamagedLauncher(copy, id, recorded)) << id;
    const std::string file = std::to_string(id == 130 ? 1 : id == 134 ? 2 : 3);
    EXPECT_FALSE(stopped(copy, nullptr, "Extraction failed on file " + file + ": update aborts.") && !recorded)
        << id << ": a section was created";
  }
  RemoveTree("C:\\download");
  // Then the runtime's words: ENOEXEC on Windows for a file that is no executable, EINVAL from Wine's.
  stopped(Sibling("Vt3update_badworker.exe"), nullptr, R"(Update process does not start: update aborts\..+)");
  stopped("", CreateMutexA(nullptr, TRUE, "VuzFshare1Mutex"), "Extraction failed on file 2: update aborts.");
  stopped("",
          CreateFileA(GameFile("vt3.exe").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr),
          "Can not upgrade VT3 executable: upgrade aborts.");

  SetFileAttributesA(GameFile("vt3.exe").c_str(), FILE_ATTRIBUTE_READONLY);
  Fault("record " + GameFile("command_line.txt") + "\n");
  const std::string blockers[] = {GameFile("ReadMe_v1_1_Fr.txt"), SpecialFolder(CSIDL_DESKTOP) + "\\Vantor 3.lnk"};
  for (const std::string& blocker : blockers) ASSERT_TRUE(CreateDirectoryA(blocker.c_str(), nullptr)) << blocker;
  EXPECT_EQ(Run(Sibling("Vt3update_nodialog.exe")).box.text, "Operation completed");
  EXPECT_EQ(GameVersion(), "1.1.74.3");
  // The data stage gets the game folder unquoted, as the game expects it.
  EXPECT_EQ(FileBytes(GameFile("command_line.txt")), "C:\\Games\\My Racing Games\\Vantor 3 -nosetup\r\n");
  for (const std::string& blocker : blockers) ASSERT_TRUE(RemoveDirectoryA(blocker.c_str())) << blocker;
  EXPECT_EQ(Run().box.text, "Operation completed");
  ExpectEverythingInstalled();
}

// The French edition on a Windows of another code page (1251, 932), in a
// game folder named in that code page (Cyrillic; Japanese with Shift-JIS
// trail bytes of 0x5C): NT shows the text as the edition wrote it, 9x the
// English one, which every code page shows. The folder reaches the shortcuts
// and the lobby, and everything is installed there. (This test and the next
// run from ctest entries that start Wine in a locale, LANG, and name the
// code page it must then give; elsewhere they skip.)
TEST_F(Update, FrenchEditionReadsAsWrittenOnAnyCodePage) {
  if (!std::getenv("VT3_EXPECT_CODE_PAGE")) GTEST_SKIP() << "run by ctest in another locale";
  ASSERT_EQ(GetACP(), std::strtoul(std::getenv("VT3_EXPECT_CODE_PAGE"), nullptr, 10)) << "is the locale generated?";
  // "ゲーム\Vantor 3 表ソ" in Shift-JIS, 表 and ソ ending in 0x5C; "Игры\Vantor 3" in 1251
  Install(GetACP() == 932 ? "C:\\\x83\x51\x81\x5B\x83\x80\\Vantor 3 \x95\x5C\x83\x5C"
                          : "C:\\\xC8\xE3\xF0\xFB\\Vantor 3");
  ASSERT_TRUE(SetMachineDword(kGameKeyPath, "Language", 0x040C));
  EXPECT_EQ(Run().box.wideText, GetVersion() >= 0x80000000u ? L"Operation completed" : L"Op\u00E9ration termin\u00E9e");
  ExpectEverythingInstalled();
}

// A player whose profile folders are named outside the code page (Cyrillic
// on a Western Windows), and lobby values the code page cannot hold: all
// four per-user shortcuts are made, and the values arrive whole.
TEST_F(Update, ProfileFoldersAndLobbyValuesOutsideTheCodePage) {
  if (!std::getenv("VT3_EXPECT_CODE_PAGE")) GTEST_SKIP() << "run by ctest in another locale";
  ASSERT_EQ(GetACP(), std::strtoul(std::getenv("VT3_EXPECT_CODE_PAGE"), nullptr, 10)) << "is the locale generated?";
  // "Профиль\Рабочий стол", "Профиль\Программы": no names of 1252, the entry's code page
  const std::wstring profile = L"C:\\\u041F\u0440\u043E\u0444\u0438\u043B\u044C";
  const std::wstring desktop = profile + L"\\\u0420\u0430\u0431\u043E\u0447\u0438\u0439 \u0441\u0442\u043E\u043B";
  const std::wstring programs = profile + L"\\\u041F\u0440\u043E\u0433\u0440\u0430\u043C\u043C\u044B";
  for (const std::wstring& folder : {profile, desktop, programs})
    ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  const std::string explorer = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\";
  for (const auto& folder : {std::make_pair("Desktop", desktop), std::make_pair("Programs", programs)})
    for (DWORD type : {REG_SZ, REG_EXPAND_SZ})  // in Shell Folders, User Shell Folders
      ASSERT_TRUE(SetWideString(HKEY_CURRENT_USER, (explorer + (type == REG_SZ ? "" : "User ") + "Shell Folders").c_str(),
                                folder.first, folder.second, type));
  // "Вантор 3", "Гонки — 日本語", a folder of that name
  const std::pair<const char*, std::wstring> values[] = {
      {"APPLICATIONNAME", L"\u0412\u0430\u043D\u0442\u043E\u0440 3"}, {"LAUNCHERPATH", desktop},
      {"DESCRIPTION", L"\u0413\u043E\u043D\u043A\u0438 \u2014 \u65E5\u672C\u8A9E"}};
  for (const auto& value : values) ASSERT_TRUE(SetWideString(HKEY_LOCAL_MACHINE, kOldLobbyKey, value.first, value.second));

  EXPECT_EQ(Run().box.text, "Operation completed");
  // (What the links hold, every other run shows.)
  for (const std::wstring& folder : {programs + L"\\BrenmarkSoft\\Vantor 3", desktop})
    for (const wchar_t* name : {L"\\Vantor 3.lnk", L"\\Vantor 3 (NoSetup).lnk"})
      EXPECT_NE(GetFileAttributesW((folder + name).c_str()), INVALID_FILE_ATTRIBUTES) << name;
  std::wstring copied;
  for (const auto& value : values)
    EXPECT_TRUE(GetMachineWideString(kNewLobbyKey, value.first, &copied) && copied == value.second) << value.first;
}

// What a thread of the test sees of the process's DLL search path while a
// started program runs: 1 when it is the default one.
DWORD WINAPI DllSearchPathCleared(void*) {
  Sleep(700);
  char setting[MAX_PATH] = "unread";
  GetDllDirectoryIfPresent(setting, MAX_PATH);
  return setting[0] == 0;
}

// Where the data stage inherits the worker's DLL search path (Windows; Wine
// does not pass it on), it must get the default one: the setting is
// cleared while the program starts and runs, and restored after.
TEST(DataStageStart, GetsTheDefaultDllSearchOrderOnlyWhileItStarts) {
  ASSERT_TRUE(SetDllDirectoryIfPresent("C:\\elsewhere"));
  HANDLE observer = CreateThread(nullptr, 0, DllSearchPathCleared, nullptr, 0, nullptr);
  // The started program holds a file for two seconds, time for the thread to look.
  const std::string peer = Sibling("section_peer.exe");
  EXPECT_EQ(RunDataStage(peer.c_str(), ("section_peer scan " + peer + " 2000").c_str()), DataStageEnd::kEnded);
  DWORD clearedWhileRunning = 2;
  WaitForSingleObject(observer, 10000);
  GetExitCodeThread(observer, &clearedWhileRunning);
  CloseHandle(observer);
  EXPECT_EQ(clearedWhileRunning, 1u);
  char restored[MAX_PATH];
  GetDllDirectoryIfPresent(restored, MAX_PATH);
  EXPECT_STREQ(restored, "C:\\elsewhere");
  EXPECT_EQ(RunDataStage("C:\\no\\such.exe", "such -nosetup"), DataStageEnd::kNotStarted);
  SetDllDirectoryIfPresent("");
}

// A worker whose moves fail on request, on the 9x path (delete, then move).
// Where the move and then the copy of the new game fail, the
// game is never lost: it stays under its fresh name beside the deleted old
// one, a box of the worker names it, and the record of the update stays.
// A run that finds neither vt3.exe nor a record leaves it (it may be the
// only copy of the game; a run with the record puts it in place and
// completes, as after the cut table's 9x row). Where only the move fails,
// the rescue copy puts the new game in place, and the update succeeds.
// (Run by ctest as Windows 98.) Catches record-removed-with-kept-game.
TEST_F(Update, FailedMoveOnNineXIsRescuedByACopyOrKeepsTheGameForTheNextRun) {
  if (GetVersion() < 0x80000000u) GTEST_SKIP() << "the 9x path runs where Wine reports Windows 98";
  const std::string newGame = FileBytes(Sibling("vt3_standin_1_1.exe")), version = "1.1.74.3";
  ASSERT_TRUE(WriteFileBytes(GameFile("worker_faults.txt"), "move vt3.exe\ncopy vt3.exe\n"));
  HANDLE launcher = StartProcess("\"" + Sibling("Vt3update_faults.exe") + "\"");
  ASSERT_NE(launcher, nullptr);
  // The worker's own box, above the launcher's progress bar. (The first
  // .tmp process: the data stage comes later.)
  DWORD workerId = 0;
  for (int i = 0; i < 3000 && !(workerId = FindProcess(".tmp")); ++i) Sleep(1);
  HANDLE worker = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, workerId);
  ASSERT_NE(worker, nullptr);
  const std::string rescue = ObserveBox(worker, 90000).text;
  CloseHandle(worker);
  EXPECT_EQ(ObserveBox(launcher, 90000).text, "Can not upgrade VT3 executable: upgrade aborts.");
  FinishProcess(launcher, 90000);
  std::vector<std::string> kept = FilesMatching(GameFile("tmp*.tmp"));
  ASSERT_EQ(kept.size(), 1u) << "the new game was not kept";
  EXPECT_NE(rescue.find("It has been kept as:\n" + GameFile(kept[0]) + "\n"), std::string::npos) << rescue;
  EXPECT_FALSE(FileExists(GameFile("vt3.exe")));
  uint32_t steps = 1;
  ASSERT_TRUE(ReadStepRecord(version.c_str(), &steps)) << "the record of the update is gone";
  EXPECT_EQ(steps, 0u);

  RemoveStepRecord(version.c_str());
  EXPECT_NE(Run().box.text, "Operation completed");
  EXPECT_TRUE(FileBytes(GameFile(kept[0])) == newGame) << "the only copy of the game went";

  Install("C:\\Games\\Vantor 3");
  ASSERT_TRUE(WriteFileBytes(GameFile("worker_faults.txt"), "move vt3.exe\n"));
  EXPECT_EQ(Run(Sibling("Vt3update_faults.exe")).box.text, "Operation completed");
  EXPECT_EQ(FileBytes(GameFile("worker_faults.log")), "move " + GameFile("vt3.exe") + " failed\r\n");
  ExpectEverythingInstalled();
}

// What a program of the player's account cannot do while the update runs,
// tried through Windows: rename `data` or `data\players`, or remove the
// players' folder (empty here), while the worker holds them; write into the
// new game during its hand-over from the read-only hold to the one that
// renames it; foresee the fresh names the shortcuts are saved under
// (sixteen hexadecimal digits from the system's random source: no two
// alike, and no two close, as a count or a clock would make them). Each try
// fails, and the update completes.
TEST_F(Update, ProgramsOfThePlayerCannotTakeHeldFoldersTheHandedOverGameOrFreshNames) {
  if (GetVersion() >= 0x80000000u) GTEST_SKIP() << "Windows 9x has no sharing of deletion to refuse";
  const std::string data = GameFile("data"), players = GameFile("data\\players");
  ASSERT_TRUE(DeleteFileA(PlayersFile("joystick.ini").c_str()));
  // The third .tmp let go of: the new game's write, the data stage's copy,
  // then the new game's hand-over.
  ASSERT_TRUE(WriteFileBytes(GameFile("worker_faults.txt"), "pause start\npause closed .tmp 3\nnames\n"));
  HANDLE reached = CreateEventA(nullptr, FALSE, FALSE, kCutEventName);
  HANDLE over = CreateEventA(nullptr, FALSE, FALSE, kPauseOverEventName);
  HANDLE launcher = StartProcess("\"" + Sibling("Vt3update_faults.exe") + "\"");
  ASSERT_TRUE(reached && over && launcher);
  auto paused = [&] {
    HANDLE ends[] = {reached, launcher};
    return WaitForMultipleObjects(2, ends, FALSE, 60000) == WAIT_OBJECT_0;
  };
  ASSERT_TRUE(paused()) << "the worker did not pause at its start";
  for (const std::string& folder : {data, players}) {
    EXPECT_FALSE(MoveFileA(folder.c_str(), (folder + ".moved").c_str())) << folder << " was renamed";
    MoveFileA((folder + ".moved").c_str(), folder.c_str());
  }
  EXPECT_FALSE(RemoveDirectoryA(players.c_str())) << "the held players' folder was removed";
  CreateDirectoryA(players.c_str(), nullptr);
  SetEvent(over);
  ASSERT_TRUE(paused()) << "the worker did not pause at the new game's hand-over";
  const std::vector<std::string> found = FilesMatching(GameFile("tmp*.tmp"));
  ASSERT_EQ(found.size(), 1u);
  const std::string handedOver = GameFile(found[0]);
  HANDLE writer = CreateFileA(handedOver.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_EQ(writer == INVALID_HANDLE_VALUE ? GetLastError() : 0, static_cast<DWORD>(ERROR_SHARING_VIOLATION))
      << "the new game could be written during its hand-over";
  if (writer != INVALID_HANDLE_VALUE) CloseHandle(writer);
  SetEvent(over);
  EXPECT_EQ(ObserveBox(launcher, 90000).text, "Operation completed");
  FinishProcess(launcher, 90000);
  for (HANDLE handle : {reached, over}) CloseHandle(handle);
  EXPECT_EQ(FileBytes(GameFile("worker_faults.log")), "paused at start\r\npaused at " + handedOver + "\r\n");
  EXPECT_EQ(FileBytes(PlayersFile("joystick.ini")), DefaultJoystickSettings());
  EXPECT_FALSE(FileExists(PlayersFile("joystick.bak"))) << "a backup of no settings";
  // Six fresh names, each half of their digits unlike any other's: a count
  // or a clock would leave the first ones alike, a reversed one the last.
  const std::string closed = FileBytes(GameFile("worker_closed.log"));
  const std::regex fresh(R"(\.lnk\.([0-9a-f]{8})([0-9a-f]{8})\.tmp)");
  std::set<std::string> halves;
  for (std::sregex_iterator at(closed.begin(), closed.end(), fresh), end; at != end; ++at)
    halves.insert({"first " + (*at)[1].str(), "last " + (*at)[2].str()});
  EXPECT_EQ(halves.size(), 12u) << closed;
}

// Where the query of a file's links fails (a 9x network redirector or
// driver that lacks the DOS call behind it): on 9x, where FAT has no hard
// links, the file counts as having one and the update completes, with no
// folder line in wininit.ini (which removes files only). On NT a file that
// cannot tell its links is not trusted: nothing is written or started.
TEST_F(Update, WithoutTheLinkQuery) {
  std::string wininit = WindowsDirectory() + "\\wininit.ini";
  DeleteFileA(wininit.c_str());
  const bool nineX = GetVersion() >= 0x80000000u;
  EXPECT_EQ(Run(Sibling("Vt3update_nolinkinfo.exe")).box.text, nineX ? "Operation completed" : "Extraction failed: update aborts.");
  nineX ? ExpectEverythingInstalled() : ExpectOldGameAndNothingFinished();
  EXPECT_EQ(FileBytes(wininit).find("VT3_"), std::string::npos) << FileBytes(wininit);
}

// Beside an on-access virus scanner, which holds each file the update lets
// go of (the new vt3.exe after its rename too) for 300 ms without sharing
// deletion, or without sharing anything, as some scanners and backup
// agents do (the update waits until it holds the file, so that no file
// escapes it): the moves, renames, deletes, writes and link saves wait for
// it, and the update completes with nothing half-made anywhere.
TEST_F(Update, CompletesBesideAVirusScanner) {
  for (const char* sharing : {"", " exclusive"}) {
    Install("C:\\Games\\Vantor 3");
    const std::string log = GameFile("scanner.log");  // a fresh one with each game
    HANDLE scanner = StartProcess("\"" + Sibling("file_scanner.exe") + "\" 300 \"" + log + "\"" + sharing);
    ASSERT_NE(scanner, nullptr);
    HANDLE stop = nullptr;
    for (int i = 0; i < 1000 && !(stop = OpenEventA(EVENT_MODIFY_STATE, FALSE, kScannerStop)); ++i) Sleep(10);
    ASSERT_NE(stop, nullptr) << "the scanner did not start";
    LaunchResult result = Run(Sibling("Vt3update_scanned.exe"));
    SetEvent(stop);
    CloseHandle(stop);
    DWORD held = FinishProcess(scanner);
    EXPECT_EQ(result.box.text, "Operation completed") << sharing;
    ExpectEverythingInstalled(sharing);
    // The worker, the new game (written, before its rename and after it),
    // six ReadMe files, six shortcuts and the joystick defaults; sharing
    // nothing, what the update still holds or has renamed escapes it.
    std::string scanned = FileBytes(log);
    EXPECT_GE(held, *sharing ? 13u : 17u) << scanned;
    // Sharing nothing, it cannot open what the update itself still holds.
    EXPECT_TRUE(*sharing || scanned.find("missed") == std::string::npos) << scanned;
    for (const char* name : {"Vantor 3.lnk.", "Vantor 3 (NoSetup).lnk.", "joystick.new", "ReadMe_v1_1_Swe.txt",
                             "Vantor 3\\vt3.exe"})
      EXPECT_NE(scanned.find(name), std::string::npos) << name << " was not scanned:\n" << scanned;
  }
}

// What a power cut would show, through the flushes the update asks for
// (a test build records them, and fails them on request): the new game
// and the joystick defaults are flushed before they take another's place,
// the record before the rename that relies on it, the joystick step's
// names before its first file, and nothing else. A failed flush stops the
// replacement (code 8, nothing replaced), or leaves the joystick step with
// the player's settings, for the next run; one the system does not support
// loses nothing. The game folder comes in the forms installers store: with
// a trailing "\\", with "/", "." and a trailing dot, and at the root of a
// drive (X: is a folder of drive C:, mapped by cmake/wine-run for
// VT3_DRIVE_X), where the value always ends in "\\"; each is the same
// folder to the update. The free space is asked of the drive SavingPath
// names, not of its final path: for a mapped network drive that is
// "\\\\server\\share\\…", which names no drive; the test build sees X: so,
// and records the root the check asks about. Catches
// full-disk-version-checked (a failed flush is code 8 too),
// disk-check-on-the-final-path.
TEST_F(Update, WhatTakesAnotherPlaceIsOnDiskFirstWhateverFormTheGameFolderComesIn) {
  const std::string log = TempDirectory() + "flushes.log";
  auto run = [&](const char* savingPath, const char* fail, const char* error) {
    EXPECT_TRUE(SetMachineString(kGameKeyPath, "SavingPath", savingPath));
    DeleteFileA(log.c_str());
    const char* const variables[][2] = {{"VT3_FLUSH_LOG", log.c_str()}, {"VT3_FLUSH_FAIL", fail},
                                        {"VT3_FLUSH_ERROR", error}, {"VT3_X_FINAL_PATH", "\\\\fileserver\\games"}};
    for (const auto& variable : variables) SetEnvironmentVariableA(variable[0], variable[1]);
    // (Read by that build alone: the next run sets them again.)
    std::string text = Run(Sibling("Vt3update_flushes.exe")).box.text, flushed = FileBytes(log);
    EXPECT_EQ(flushed.substr(0, flushed.find('\n')), std::string("disk ") + savingPath[0] + ":\\") << savingPath;
    return text;
  };
  EXPECT_EQ(run("C:\\Games\\Vantor 3\\", ".tmp", "112"), "New data can not be read: update aborts.");
  ExpectOldGameAndNothingFinished();
  EXPECT_EQ(run("C:/Games//./Vantor 3.", "joystick.new", "112"), "Operation completed");
  EXPECT_EQ(GameVersion(), "1.1.74.3");
  EXPECT_EQ(FileBytes(PlayersFile("joystick.ini")), playersSettings);
  EXPECT_EQ(FilesMatching(PlayersFile("*")).size(), 1u);
  // From the first file on, past the launcher's disk check.
  const std::string all = FileBytes(log), flushed = all.substr(std::min(all.size(), all.find("file ")));
  size_t at = 0;  // each after the one before
  for (const std::string& flush : {"file \\\\?\\" + game.directory + "\\tmp", std::string("key Update 1.1.74.3=0 tmp:1\n"),
                                   std::string(" joystick-step "), std::string("joystick.new.")})
    EXPECT_NE(at = flushed.find(flush, at), std::string::npos) << flush << " not in order in\n" << flushed;
  EXPECT_EQ(std::count(flushed.begin(), flushed.end(), '\n'), 4) << flushed;
  // The joystick step left open; "not supported" is no failure.
  EXPECT_EQ(run("C:\\Games\\Vantor 3\\", "joystick.new", "1"), "Operation completed");
  ExpectEverythingInstalled();
  if (!FileExists("X:\\")) GTEST_SKIP() << "needs drive X: (VT3_DRIVE_X)";
  // Without joystick.ini the defaults are written and an older backup stays
  // (with no backup either, none is made: ProgramsOfThePlayer…).
  Install("X:");
  DeleteFileA(PlayersFile("joystick.ini").c_str());
  ASSERT_TRUE(WriteFileBytes(PlayersFile("joystick.bak"), playersSettings = "older backup"));
  EXPECT_EQ(run("X:\\", "", ""), "Operation completed");
  ExpectEverythingInstalled();
}

// Only the first translation's table counts, whatever comes first; an
// image in memory (the new game the worker carries) reads as its file does,
// and a cut one reads as none.
TEST(FileVersion, ReadsTheFirstTranslation) {
  // Each file's name, whether it is cut, and the version it reads as.
  const struct { const char* name; bool cut; const char* expected; } files[] = {
      {"version_decoy.exe", false, "1.1.74.3"}, {"section_peer.exe", false, ""},  // no version resource
      {"vt3_standin_1_1.exe", false, "1.1.74.3"}, {"vt3_standin_1_1.exe", true, ""}};
  for (auto [name, cut, expected] : files) {
    std::string bytes = FileBytes(Sibling(name));
    // Cut within the version resource, at its FileVersion.
    if (cut) bytes.resize(std::min(bytes.size(), bytes.find(std::string("F\0i\0l\0e\0V", 9)) + 4));
    else EXPECT_EQ(Version(Sibling(name)), expected) << name;
    char version[kVersionStringSize] = {};
    bool read = GetImageFileVersion(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), version);
    EXPECT_EQ(read ? std::string(version) : "", expected) << name << cut;
  }
  EXPECT_FALSE(IsNewerFileVersion(Sibling("vt3_standin_1_1.exe").c_str(), "C:\\no\\such\\vt3.exe"));
}

// A Windows that refuses the launcher's wait (as old ones refuse wake bits
// they do not know): the launcher still sleeps between its looks at the
// block, and still waits for the worker's end before its message, also
// when the worker outlives the outcome (a data stage slow to end after its
// error). Its progress dialog cannot be closed meanwhile.
TEST_F(Update, ProgressDialogCannotBeClosedAndWaitsThatFailNeitherSpinNorHurryTheBox) {
  SharedSection section;
  auto* probe = static_cast<volatile WaitProbe*>(section.Create(kWaitProbeMapping, sizeof(WaitProbe)));
  ASSERT_NE(probe, nullptr);
  Fault("fail 9 500\nlinger 3000\n");
  HANDLE launcher = StartProcess("\"" + Sibling("Vt3update_waitfails.exe") + "\"");
  ASSERT_NE(launcher, nullptr);
  // Alt+F4 and the system menu's Close, each handled before the check.
  HWND dialog = nullptr;
  for (int i = 0; i < 1000 && !(dialog = GetParent(FindProgressBar(GetProcessId(launcher)))); ++i) Sleep(10);
  DWORD_PTR answer = 0;
  for (UINT message : {WM_SYSCOMMAND, WM_CLOSE}) {
    EXPECT_NE(SendMessageTimeoutA(dialog, message, message == WM_SYSCOMMAND ? SC_CLOSE : 0, 0, SMTO_NORMAL, 10000, &answer), 0)
        << message << " unanswered: " << GetLastError();
    EXPECT_TRUE(IsWindow(dialog) && IsWindowVisible(dialog)) << message << " closed it while the update runs";
  }
  BoxSeen box = ObserveBox(launcher, 90000);
  EXPECT_EQ(FindProcess(".tmp"), 0u) << "the message came while the worker ran";
  EXPECT_EQ(FinishProcess(launcher), 0u);
  EXPECT_EQ(box.text, "Addition of data failed: update aborts.");
  ExpectOldGameAndNothingFinished();
  // Every wait failed and was followed by a sleep: a few dozen a second,
  // where a spinning loop makes thousands.
  LONG calls = probe->calls;
  DWORD span = probe->lastTick - probe->firstTick;
  EXPECT_GT(calls, 0) << "the launcher did not wait through its own wait";
  EXPECT_LE(calls, 10 + 300 * static_cast<LONG>(span) / 1000) << calls << " waits in " << span << " ms";
}

// A run cut short at any step, as Task Manager, a crash, a power cut or a
// log-off ends it: the launcher, its worker and the data stage end
// together at that step. Right after, vt3.exe is a whole game, old or new
// (on 9x, cut between the delete and the move, the new one is kept beside
// it), and the player's settings are in joystick.ini or .bak. One more run
// completes the update, each finishing step done once (across both runs,
// the data stage only again when the cut came before the replacement), and
// leaves nothing behind: half-made shortcuts of the cut shortcut step go,
// names merely like them stay; a new game an earlier run left goes, other
// files of such names stay. A player's own joystick.old and joystick.new
// are no files of the update: kept byte for byte. Once complete, the game
// is too new for another run, which touches nothing. The 9x row runs where Wine reports Windows
// 98, the others elsewhere. Rows "move" are runs whose joystick defaults
// cannot take the place of the player's settings, once or every time: the
// settings come back, the game is complete and plays with them, and the
// next run installs the defaults; only settings that cannot come back give
// code 13, whose box tells the player to delete joystick.ini. Catches
// joystick-defaults-moved-twice, joystick-ini-not-restored,
// cut-replacement-not-finished (the 9x row).
TEST_F(Update, ACutAtAnyStepLeavesAWholeGameThatOneMoreRunCompletes) {
  // The worker's checkpoints, the data stage's cuts (digits), and the 9x one.
  const std::string rows[] = {"cut start", "cut written", "cut 0", "cut 1000", "cut replaced", "cut readme",
                              "cut shortcuts", "cut lobby", "cut bak-aside", "cut ini-backed-up", "cut defaults-placed",
                              "cut joystick", "cut deleted", "move joystick.ini once", "move joystick.ini"};
  const std::string launcher = Sibling("Vt3update_faults.exe"), oldGame = FileBytes(Sibling("vt3_standin_1_0.exe")),
                    newGame = FileBytes(Sibling("vt3_standin_1_1.exe")), desktop = SpecialFolder(CSIDL_DESKTOP);
  const bool nineX = GetVersion() >= 0x80000000u;
  // What a cut while a shortcut is saved leaves: the link under its fresh name.
  const char* const halfMade[] = {"Vantor 3.lnk.0123456789abcdef.tmp", "Vantor 3 (NoSetup).lnk.fedcba9876543210.tmp"};
  // Before the completing run: a new game of ours an earlier run left, and
  // what stays, files of another content or name and one merely like a
  // half-made link (the names' forms are UpdateNames' table).
  const struct { std::string path, bytes; bool ours; } leftovers[] = {
      {GameFile("tmpab12.tmp"), newGame, true}, {GameFile("tmp1234.tmp"), "not a program", false},
      {GameFile("tmp5678.tmp"), oldGame, false}, {GameFile("tmpgame.tmp"), newGame, false},
      {desktop + "\\Vantor 3.lnk.0123456789abcdeg.tmp", "not ours", false}};
  const std::string owns[] = {"joystick.old", "joystick.new"};
  for (const std::string& row : rows) {
    if ((row == "cut deleted") != nineX) continue;
    const bool cut = row[0] == 'c', dataStage = row.find_first_of("0123456789") == 4;
    Install("C:\\Games\\Vantor 3");
    ASSERT_TRUE(WriteFileBytes(PlayersFile("joystick.bak"), "older backup"));
    for (const std::string& own : owns) ASSERT_TRUE(WriteFileBytes(PlayersFile(own), "the player's " + own));
    ASSERT_TRUE(WriteFileBytes(GameFile(dataStage ? "standin_fault.txt" : "worker_faults.txt"), row + "\n"));
    if (cut) {
      ASSERT_TRUE(RunAndCut(launcher)) << row << ": the run ended without reaching that step";
    } else {
      const bool once = row.back() == 'e';
      EXPECT_EQ(Run(launcher).box.text, once ? "Operation completed"
                                             : "Your joystick settings may have suffered from the upgrade: please "
                                               "destroy joystick.ini File.");
      EXPECT_EQ(FileBytes(PlayersFile(once ? "joystick.ini" : "joystick.bak")), playersSettings) << row;
      EXPECT_EQ(FilesMatching(PlayersFile("*")).size(), 4u) << row << ": a file left over";
    }

    bool keptNew = false;
    for (const std::string& name : FilesMatching(GameFile("tmp*.tmp"))) keptNew |= FileBytes(GameFile(name)) == newGame;
    const std::string cutGame = FileBytes(GameFile("vt3.exe"));
    EXPECT_TRUE(nineX ? !FileExists(GameFile("vt3.exe")) && keptNew : cutGame == oldGame || cutGame == newGame)
        << row << (nineX ? ": the new game was not kept" : ": vt3.exe is no whole game");
    EXPECT_TRUE(FileBytes(PlayersFile("joystick.ini")) == playersSettings ||
                FileBytes(PlayersFile("joystick.bak")) == playersSettings) << row << ": the player's settings are lost";
    if (row == "cut readme") {
      for (const std::string& folder : ShortcutFolders())
        for (const char* name : halfMade) ASSERT_TRUE(MakeDirectories(folder) && WriteFileBytes(folder + "\\" + name, "half"));
    }
    for (const auto& leftover : leftovers) ASSERT_TRUE(WriteFileBytes(leftover.path, leftover.bytes));

    for (const char* name : {"worker_faults.txt", "standin_fault.txt"}) DeleteFileA(GameFile(name).c_str());
    EXPECT_EQ(Run(launcher).box.text, "Operation completed") << row;
    for (const auto& [path, bytes, ours] : leftovers) {
      EXPECT_TRUE(ours ? !FileExists(path) : FileBytes(path) == bytes) << row << ": " << path;
      DeleteFileA(path.c_str());
    }
    // The steps passed by both runs, a line each: the data stage's new game
    // written again only when the cut came before the new game was in place.
    const std::string log = FileBytes(GameFile("worker_steps.log"));
    const std::regex word("\\S+");
    const std::vector<std::string> passed{std::sregex_token_iterator(log.begin(), log.end(), word), {}};
    for (const char* name : {"replaced", "readme", "shortcuts", "lobby", "joystick"})
      EXPECT_EQ(std::count(passed.begin(), passed.end(), name), 1) << row << ": " << name;
    EXPECT_EQ(std::count(passed.begin(), passed.end(), "written"), dataStage || row == "cut written" ? 2 : 1) << row;

    for (const char* name : {"worker_faults.log", "worker_steps.log"}) DeleteFileA(GameFile(name).c_str());
    // The ReadMe files, data, datafiles and vt3.exe, as checked below: nothing else.
    EXPECT_EQ(FilesMatching(GameFile("*")).size(), 9u) << row;
    // The half-made links went: no .tmp is left in a shortcut folder.
    for (const std::string& own : owns)
      EXPECT_TRUE(FileBytes(PlayersFile(own)) == "the player's " + own && DeleteFileA(PlayersFile(own).c_str())) << row;
    ExpectEverythingInstalled(row);
  }
  const LaunchResult older = Run();
  EXPECT_EQ(older.box.text, "Update is older than your version of VT3.");
  EXPECT_EQ(older.box.icon, kBoxIconError);
  EXPECT_TRUE(FileBytes(GameFile("vt3.exe")) == newGame) << "the complete game was touched";
  ExpectNoTemporaryLeft();
}

}  // namespace
