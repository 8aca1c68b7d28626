// Bad input and faults across the whole update, under Wine: whatever
// happens, the update ends with a clear message and the game keeps a
// working vt3.exe.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <tuple>
#include <vector>

#include "game/game_folder.h"
#include "game/game_key.h"
#include "game/registry_key.h"
#include "tests/support/box_probe.h"
#include "worker/tests/installed_game.h"

namespace {

const char* kSuccess = "Operation completed";
const char* kBadRegistry = "Corrupted registery data detected: update aborts.";
const char* kFailed = "Update process failed: update aborts.";

class Hardening : public InstalledGame {
 protected:
  // `launcher` run beside `racer`, a program of the player's account given
  // `victim`, the file whose creation stops it, `rest`, then the temporary
  // and the game folder to watch: its exit code.
  DWORD RaceRun(const char* racer, const std::string& victim, const std::string& rest, LaunchResult* result,
                const std::string& launcher = "") {
    const std::string stop = "C:\\racer_stop.txt";
    DeleteFileA(stop.c_str());
    HANDLE process = StartProcess("\"" + Sibling(racer) + "\" " + victim + " " + stop + " " + rest + " \"" +
                                  TempDirectory() + ".\" \"" + game.directory + "\"");
    EXPECT_NE(process, nullptr);
    Sleep(500);  // its first look at what is there before
    *result = Run(launcher);
    WriteFileBytes(stop, "");
    return process ? FinishProcess(process) : 0;
  }
};

// Every value of the game key in every shape gives its outcome and nothing
// overruns. The game folder's forms and its longest length are the rules of
// GameFolder.*; here one refused form shows they are applied (a game at
// that length updates: PlantedDlls…).
TEST_F(Hardening, GameValuesOfEveryShapeGiveTheirOutcome) {
  // Name, type (none: the value is missing), data (stored with one more
  // terminator), the box's text.
  const std::tuple<const char*, DWORD, std::string, const char*> cases[] = {
      // Only a string is read, and only one that fits.
      {"SavingPath", REG_EXPAND_SZ, "%SystemDrive%\\Games", kBadRegistry},
      {"SavingPath", REG_SZ, "", "Can not locate directory: update aborts."},
      {"SavingPath", REG_SZ, "Games\\Vantor 3", kBadRegistry},
      {"SavingPath", 0, "", kBadRegistry},
      // Only its presence counts: any string that fits will do (one of 259
      // characters: PlantedDlls…).
      {"DataPath", REG_SZ, std::string(260, 'x'), kBadRegistry},
      {"DataPath", 0, "", kBadRegistry},
      // The low byte of a value of any type that fits four bytes, else
      // English (a string: PlantedDlls…).
      {"Language", REG_EXPAND_SZ, std::string("\x1D\0", 2), "Operationen klar"},
      // No game key at all (the unnamed value: the key): the game is not installed.
      {"", 0, "", "This update only runs when Vantor 3 is installed on your machine"}};
  for (const auto& [name, type, data, text] : cases) {
    Install("C:\\Games\\Vantor 3");
    if (!type) RegistryKey(kGameKeyPath, name).Delete();
    ASSERT_TRUE(!type || SetMachineString(kGameKeyPath, name, data, type));
    EXPECT_EQ(Run().box.text, text) << name << " " << type << " " << data.size();
    // Refused: nothing is written.
    if (std::strcmp(text, "Operationen klar")) ExpectOldGameAndNothingFinished();
  }
}

// A data stage code is the data stage's from ten counts on, the worker's
// text below; a crash, an ordinary exit part-way (ended from outside, or
// its own abort), or a game that never takes over the block, is the
// general failure. A block that nothing lets go of (an earlier data stage
// that hangs, or a program of the player's that made one): the launcher
// waits its bound, then refuses, and never runs a second update beside it.
// A worker whose bytes differ from what was written, by whatever means, is
// never started: the launcher whose writes damage one byte stops. The old
// game stays and nothing is installed, so that the next run repeats the
// whole update. Any process can create and hold the control block's mutex:
// the worker of that next run waits for it a few seconds at its start and
// at its end, and reports all the same. Catches data-stage-error-ignored,
// part-way-data-stage-accepted, read-back-skipped, block-mutex-waited-for-ever.
TEST_F(Hardening, FailuresKeepTheOldGameAndTheNextRunCompletes) {
  struct {
    const char* fault;
    const char* text;
    std::string launcher;  // another build than the shipped one
  } cases[] = {{"fail 4 500\n", "There is not enough space on your hard disk."},
               {"fail 7 5\n", kBadRegistry},
               {"fail 7 500\n", "Not enough system resource available: update aborts."},
               {"crash 5\n", kFailed},
               {"exit 1 321\n", kFailed},
               {"", kFailed, "Vt3update_shortwait.exe"},  // with the block held
               {"", "Extraction failed: update aborts.", "Vt3update_badwrite.exe"},
               {"ignore\n", kFailed}};
  for (const auto& c : cases) {
    Install("C:\\Games\\Vantor 3");
    Fault(c.fault);
    HANDLE block = c.launcher == "Vt3update_shortwait.exe"
                       ? CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 88, "VuzFshare")
                       : nullptr;
    LaunchResult result = Run(c.launcher.empty() ? "" : Sibling(c.launcher.c_str()));
    if (block) CloseHandle(block);
    EXPECT_EQ(result.box.text, c.text) << c.fault << c.launcher;
    EXPECT_EQ(result.exitCode, 0u) << c.fault << c.launcher;
    ExpectOldGameAndNothingFinished();
  }
  EXPECT_EQ(FileBytes(GameFile("datafiles\\vt3.dat")), std::string(100000, 'd')) << "the game that ignored the block";
  DeleteFileA(GameFile("standin_fault.txt").c_str());
  HANDLE mutex = CreateMutexA(nullptr, TRUE, "VuzFshareMutex");
  ASSERT_NE(mutex, nullptr);
  LaunchResult result = Run();
  ReleaseMutex(mutex);
  CloseHandle(mutex);
  EXPECT_EQ(result.box.text, kSuccess);
  EXPECT_EQ(result.exitCode, 1u);
  EXPECT_LT(result.millisecondsToBox, 40000u);
  EXPECT_EQ(GameVersion(), "1.1.74.3");
}

// The worker killed while the data stage runs: the launcher notices at its
// next look at the worker, not at the end of some long wait (a launcher
// without a bound would poll for ever), and reports the general failure.
// (What the game is left with after a cut at any step: the cut table.)
TEST_F(Hardening, KilledWorkerEndsTheRun) {
  Fault("slow 40\n");
  HANDLE launcher = StartProcess("\"" + Sibling("Vt3update.exe") + "\"");
  // The first .tmp process: the data stage comes later.
  DWORD worker = 0;
  for (int i = 0; i < 2000 && !(worker = FindProcess(".tmp")); ++i) Sleep(1);
  Sleep(1500);
  HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, worker);
  ASSERT_TRUE(launcher && process);
  TerminateProcess(process, 1);
  CloseHandle(process);
  DWORD killedAt = GetTickCount();
  EXPECT_EQ(ObserveBox(launcher, 20000).text, kFailed);
  EXPECT_LT(GetTickCount() - killedAt, 10000u) << "generous for a loaded machine";
  FinishProcess(launcher);
}

// A double click: a second launcher met at each moment of the first run,
// and after the first launcher was ended with its worker still at work.
// The second ends without a word and touches nothing; the first installs
// everything, once, and the player's joystick settings stay in the backup.
// Catches second-launcher-not-stopped, earlier-block-not-waited-for.
TEST_F(Hardening, SecondLauncherLeavesTheFirstOneAlone) {
  HANDLE paused = CreateEventA(nullptr, FALSE, FALSE, "Vt3RunPaused");
  HANDLE resume = CreateEventA(nullptr, TRUE, FALSE, "Vt3RunResume");
  const std::string record = GameFile("data_stage_runs.txt");  // a line each time it runs
  for (const std::string at : {"publishing", "between sections", "worker started", "final box", "ended"}) {
    Install("C:\\Games\\Vantor 3");
    Fault((at == "ended" ? "linger 2000\n" : "") + std::string("record ") + record + "\n");
    ResetEvent(resume);
    SetEnvironmentVariableA("VT3_PAUSE_AT", at.c_str());
    HANDLE first = StartProcess("\"" + Sibling("Vt3update_folderwait.exe") + "\"");
    SetEnvironmentVariableA("VT3_PAUSE_AT", nullptr);
    ASSERT_NE(first, nullptr);
    // The first run's box, left up; or once the data stage has read both
    // payload sections (which go with the launcher) and lingers, with the
    // worker waiting for it.
    HWND box = nullptr;
    DWORD_PTR position = 0;
    for (int i = 0; i < 9000 && at == "final box" && !(box && GetDlgItem(box, IDOK)); ++i, Sleep(10))
      box = FindWindowA("#32770", kBoxCaption);
    for (int i = 0; i < 3000 && at == "ended" && position < 100; ++i, Sleep(10))
      SendMessageTimeoutA(FindProgressBar(GetProcessId(first)), PBM_GETPOS, 0, 0, SMTO_ABORTIFHUNG, 100, &position);
    if (at == "ended") {
      ASSERT_EQ(position, 100u);
      TerminateProcess(first, 1);
    } else if (at != "final box") {
      ASSERT_EQ(WaitForSingleObject(paused, 60000), WAIT_OBJECT_0) << at;
    }
    ASSERT_TRUE(at != "final box" || box);
    std::vector<std::string> runFolders = FilesMatching(SystemTempDirectory() + "vt3_*");
    // Ended: the second waits for the worker, then finds the update done.
    LaunchResult second = Run();
    EXPECT_EQ(second.exitCode, 0u) << at;
    EXPECT_EQ(second.box.text, at == "ended" ? "Update is older than your version of VT3." : "") << at;
    if (at == "ended") {
      CloseHandle(first);
    } else {
      EXPECT_EQ(FilesMatching(SystemTempDirectory() + "vt3_*"), runFolders) << at;
      EXPECT_TRUE(!box || GetForegroundWindow() == box) << "the first run's box was not brought to the front";
      SetEvent(resume);
      EXPECT_EQ(ObserveBox(first, 90000).text, kSuccess) << at;
      EXPECT_EQ(FinishProcess(first), 1u) << at;
    }
    EXPECT_EQ(GameVersion(), "1.1.74.3") << at;
    EXPECT_EQ(FileBytes(PlayersFile("joystick.bak")), playersSettings) << at;
    EXPECT_EQ(FileBytes(record), game.directory + " -nosetup\r\n") << at << ": data stage runs";
    EXPECT_TRUE(FileExists(SpecialFolder(CSIDL_DESKTOP) + "\\Vantor 3.lnk")) << at;
    ExpectNoTemporaryLeft();
  }
  for (HANDLE event : {paused, resume}) CloseHandle(event);
}

// Beside DLLs planted beside the launcher in a download folder, in the
// temporary folder, and in the game folder, where the data stage works and
// loads DLLs by bare name: none is loaded. In a game folder with accents
// whose joystick files cannot be moved, held open for longer than the
// retries wait (the game running), beside an older backup, or that backup
// held: the player keeps both files as they were and plays with them. The old lobby values are copied only as strings that fit, and
// values already in the new key stay. The second time the game folder is
// of the longest length (one character more is refused), where every name
// the worker builds must still fit. Each update is complete.
TEST_F(Hardening, PlantedDllsHeldJoystickFilesAndLobbyValuesOfEveryShapeLeaveACompleteUpdateAtAnyLength) {
  // Wine prefers its own DLLs; this test runs with it told to prefer a file
  // it finds for comctl32, as Windows would for a DLL that is no KnownDLL.
  // (version.dll cannot be tried here: Wine's own user32 imports it, so a
  // planted one would be loaded before any code of the program runs.)
  const std::string downloads = "C:\\users\\Public\\Downloads\\patch", planted = "C:\\planted.txt";
  ASSERT_TRUE(MakeDirectories(downloads));
  for (const char* name : {"Vt3update.exe", "naive_loader.exe"})
    ASSERT_TRUE(CopyFileA(Sibling(name).c_str(), (downloads + "\\" + name).c_str(), FALSE));
  for (const std::string& folder : {downloads, TempDirectory() + "."})
    ASSERT_TRUE(CopyFileA(Sibling("planted.dll").c_str(), (folder + "\\comctl32.dll").c_str(), FALSE));
  // A naive program beside the planted DLL does load it: the planting works here.
  DeleteFileA(planted.c_str());
  RunProcess("\"" + downloads + "\\naive_loader.exe\"");
  const bool plantingWorks = DeleteFileA(planted.c_str());
  const std::string accented = "C:\\Jeux\\Vantor 3 \xE9" "dition \xFC" "ber p\xE5";
  for (bool holdSettings : {true, false}) {
    Install(holdSettings ? accented : accented + std::string(kLongestGameFolder - accented.size(), 'v'));
    // A DataPath of 259 characters, and a Language string (English).
    ASSERT_TRUE(holdSettings || (SetMachineString(kGameKeyPath, "DataPath", std::string(259, 'x')) &&
                                 SetMachineString(kGameKeyPath, "Language", "French")));
    const std::string settings = PlayersFile("joystick.ini"), backup = PlayersFile("joystick.bak");
    ASSERT_TRUE(CopyFileA(Sibling("planted.dll").c_str(), GameFile("comctl32.dll").c_str(), FALSE));
    ASSERT_TRUE(WriteFileBytes(backup, "older backup"));
    SetMachineString(kOldLobbyKey, "DESCRIPTION", std::string(259, 'd'));
    SetMachineString(kOldLobbyKey, "APPLICATIONNAME", std::string(260, 'a'));
    SetMachineString(kOldLobbyKey, "EXECUTABLEPATH", "%ProgramFiles%", REG_EXPAND_SZ);
    SetMachineDword(kOldLobbyKey, "COMMANDLINE", 5);
    RegistryKey(kOldLobbyKey, "LAUNCHERPATH").Delete();
    SetMachineString(kNewLobbyKey, "LAUNCHERPATH", "kept");
    Fault("load comctl32.dll\n");
    HANDLE held = CreateFileA((holdSettings ? settings : backup).c_str(), GENERIC_READ, holdSettings ? 0 : FILE_SHARE_READ,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(Run(downloads + "\\Vt3update.exe").box.text, kSuccess) << holdSettings;
    CloseHandle(held);
    EXPECT_FALSE(FileExists(planted)) << "loaded: " << FileBytes(planted);
    EXPECT_EQ(GameVersion(), "1.1.74.3");
    EXPECT_TRUE(FileExists(GameFile("ReadMe_v1_1_Swe.txt")));
    EXPECT_EQ(FileBytes(settings), playersSettings) << holdSettings;
    EXPECT_EQ(FileBytes(backup), "older backup") << holdSettings;
    EXPECT_EQ(FilesMatching(PlayersFile("*")).size(), 2u) << holdSettings << ": a file left over";
    std::string value;
    EXPECT_TRUE(GetMachineString(kNewLobbyKey, "DESCRIPTION", &value) && value == std::string(259, 'd'));
    for (const char* name : {"APPLICATIONNAME", "EXECUTABLEPATH", "COMMANDLINE"})
      EXPECT_FALSE(GetMachineString(kNewLobbyKey, name, &value)) << name;
    EXPECT_TRUE(GetMachineString(kNewLobbyKey, "LAUNCHERPATH", &value) && value == "kept");
    ExpectNoTemporaryLeft();
  }
  DeleteFileA((TempDirectory() + "comctl32.dll").c_str());
  RemoveTree(downloads);
  if (!plantingWorks) GTEST_SKIP() << "Wine did not load a planted DLL even for a naive program";
}

// A program of the player's account races to replace every new file in
// the temporary folder, the game folder, the desktop and the Start menu by
// a hard link to a file of its own. Nothing of ours is ever written through
// such a name: its file stays as it was, and the update ends with a clear
// message and a whole vt3.exe. (A shortcut's fresh file swapped between
// its save and its rename puts the player's own file in its place, in the
// player's own folder.)
TEST_F(Hardening, NewFilesSwappedForLinksNeverLeadOurWritesElsewhere) {
  const std::string victim = "C:\\players_own_file.txt", original(4096, 'p');
  ASSERT_TRUE(WriteFileBytes(victim, original));
  // The player's desktop and Start menu too, where the shortcuts are saved
  // under fresh names and renamed. Names prepared before the run, where
  // the worker recreates the shortcuts: the player's own desktop.
  const std::string desktop = SpecialFolder(CSIDL_DESKTOP), programs = SpecialFolder(CSIDL_PROGRAMS);
  ASSERT_TRUE(MakeDirectories(programs));
  for (const char* name : {"\\Vantor 3.lnk", "\\Vantor 3 (NoSetup).lnk"})
    ASSERT_TRUE(CreateHardLinkA((desktop + name).c_str(), victim.c_str(), nullptr));
  LaunchResult result;
  DWORD replaced = RaceRun("link_racer.exe", victim, "\"" + desktop + "\" \"" + programs + "\"", &result);
  EXPECT_TRUE(FileBytes(victim) == original) << "written through a link; the racer replaced " << replaced << " files";
  // A swapped worker, new game or joystick file is refused.
  EXPECT_TRUE(result.box.text == kSuccess || result.box.text == "Extraction failed: update aborts." ||
              result.box.text == "New data can not be read: update aborts." ||
              result.box.text.find("joystick") != std::string::npos)
      << result.box.text;
  EXPECT_TRUE(GameVersion() == "1.0.0.0" || GameVersion() == "1.1.74.3") << "vt3.exe: '" << GameVersion() << "'";
  EXPECT_GT(replaced, 0u) << "the racer never got a file: the test proves nothing";
  // After a complete update the shortcuts took the place of the prepared
  // names, or the racer's files did.
  for (const char* name : {"\\Vantor 3.lnk", "\\Vantor 3 (NoSetup).lnk"})
    EXPECT_TRUE(result.box.text != kSuccess || FileBytes(desktop + name).rfind("L\0\0\0", 0, 4) == 0 ||
                FileBytes(desktop + name) == original) << name;
  DeleteFileA(victim.c_str());
}

// A program of the player's account races to take each new run folder: it
// removes or renames it through Windows as soon as it appears, and where it
// can, a link to a folder of its own takes its place (made host-side: a
// host-side removal would bypass Wine's handles). This test build of the
// launcher waits between the folder's creation and the worker's write
// until the racer has tried. The folder is held from the call that creates
// it, so the racer never wins and nothing outside the folder is touched;
// and it is made in the system's temporary folder. (A look-alike of a run
// folder's name, a link to a folder of the player's, is not followed by the
// clean-up of earlier runs' folders: PrivateFolder.OnlyAdministrators….)
TEST_F(Hardening, TheRunFolderCannotBeTakenAndIsMadeInTheSystemsTemporaryFolder) {
  const std::string victim = "C:\\victim", log = "C:\\racer_log.txt", systemTemp = SystemTempDirectory() + ".";
  ASSERT_TRUE(MakeDirectories(victim) && WriteFileBytes(victim + "\\precious.txt", "precious"));
  LaunchResult result;
  const std::string launcher = Sibling("Vt3update_folderwait.exe");
  DWORD taken = RaceRun("folder_racer.exe", victim, log + " \"" + systemTemp + "\"", &result, launcher);
  std::string seen = FileBytes(log);
  EXPECT_EQ(FileBytes(victim + "\\precious.txt"), "precious") << seen;
  EXPECT_EQ(taken, 0u) << seen;
  EXPECT_NE(seen.find("seen " + systemTemp + "\\vt3_"), std::string::npos)
      << "no run folder in the system's temporary folder: " << seen;
  EXPECT_EQ(result.box.text, kSuccess);
  EXPECT_EQ(GameVersion(), "1.1.74.3");
  ExpectNoTemporaryLeft();
  RemoveTree(victim);
}

// A profile whose temporary folder is named outside the ANSI code page,
// and on NT a file where the system's temporary folder should be: the
// run's folder goes into the game folder, the last one left (on 9x, run by
// ctest as Windows 98, there is no system's one); nothing stays anywhere.
// Catches game-folder-no-run-folder-parent, game-folder-parent-on-9x-only.
TEST_F(Hardening, ATemporaryFolderNamedOutsideTheCodePageStillUpdates) {
  const std::wstring temporary = L"C:\\users\\Public\\\x0412\x0440\x0435\x043c\x044f";
  ASSERT_TRUE(CreateDirectoryW(temporary.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS);
  const bool nt = GetVersion() < 0x80000000u;
  const std::string systemTemp = WindowsDirectory() + "\\Temp", aside = systemTemp + ".aside";
  ASSERT_TRUE(!nt || (MoveFileA(systemTemp.c_str(), aside.c_str()) && WriteFileBytes(systemTemp, "not a folder")))
      << GetLastError();
  wchar_t kept[MAX_PATH] = {};
  GetEnvironmentVariableW(L"TMP", kept, MAX_PATH);
  SetEnvironmentVariableW(L"TMP", temporary.c_str());  // the temporary folder's first name, before TEMP
  // The case only exists where the ANSI name is not the folder's.
  const std::string seen = TempDirectory(), where = GameFile("where.txt");
  // The data stage runs from its copy in the worker's run folder.
  Fault("where " + where + "\n");
  std::string box = Run().box.text;
  SetEnvironmentVariableW(L"TMP", kept);
  EXPECT_TRUE(!nt || (DeleteFileA(systemTemp.c_str()) && MoveFileA(aside.c_str(), systemTemp.c_str())))
      << GetLastError();
  EXPECT_NE(seen.find('?'), std::string::npos) << seen << ": the code page holds these letters";
  EXPECT_EQ(box, kSuccess);
  const std::string runFrom = FileBytes(where), expected = game.directory + "\\vt3_";
  EXPECT_EQ(_strnicmp(runFrom.c_str(), expected.c_str(), expected.size()), 0) << runFrom << ": the worker ran elsewhere";
  EXPECT_EQ(GameVersion(), "1.1.74.3");
  ExpectNoTemporaryLeft();
  EXPECT_TRUE(RemoveDirectoryW(temporary.c_str())) << "something was left in the temporary folder";
}

// A data stage that stays after its error (behind a message box of its
// own) keeps the worker waiting past the launcher's end: the worker's file
// and then its folder are removed at the next start of Windows. It lingers
// well past the launcher's short wait and the delete's retries (5 s).
// Catches leftover-not-scheduled.
TEST_F(Hardening, AWorkerThatOutlivesTheLauncherGoesAtTheNextStart) {
  TakePendingFileRenames();
  Fault("fail 5 500\nlinger 15000\n");
  EXPECT_EQ(Run(Sibling("Vt3update_shortwait.exe")).box.text, "Corrupted data detected: update aborts.");
  const std::string pending = TakePendingFileRenames();
  size_t named = pending.find("\\vt3_");
  ASSERT_NE(named, std::string::npos) << "the run's folder is not named";
  std::string folder = pending.substr(named, 21);  // "\vt3_" and 16 digits
  size_t file = pending.find(folder + "\\tmp"), itself = pending.find(folder + std::string(1, '\0'));
  EXPECT_NE(itself, std::string::npos) << "its folder is not scheduled";
  EXPECT_LT(file, itself) << "the worker's file must be scheduled, before its folder";
  for (int i = 0; i < 3000 && FindProcess(".tmp"); ++i) Sleep(10);
}

// The game on a full drive: the disk check stops the run, and both game
// files have lost their read-only flag all the same. (A drive that fills
// while the worker writes the new game is code 8, as a failed flush is:
// Update.WhatTakesAnotherPlaceIsOnDiskFirst….)
TEST_F(Hardening, AFullGameDriveStopsTheRunAndTheGameFilesAreNoLongerReadOnly) {
  if (!FileExists("T:\\")) GTEST_SKIP() << "needs the small file system of with_small_disks";
  Install("T:\\Vantor 3");
  for (const char* file : {"vt3.exe", "datafiles\\vt3.dat"})
    SetFileAttributesA(GameFile(file).c_str(), FILE_ATTRIBUTE_READONLY);
  // More than the drive holds: what fits fills it.
  WriteFileBytes("T:\\filler.bin", std::string(1 << 20, 'f'));
  EXPECT_EQ(Run().box.text, "There is not enough space on your hard disk.");
  for (const char* file : {"vt3.exe", "datafiles\\vt3.dat"})
    EXPECT_EQ(GetFileAttributesA(GameFile(file).c_str()) & FILE_ATTRIBUTE_READONLY, 0u) << file;
}

}  // namespace
