// Runs the demo inside its Wine prefix: installs Vantor 3 1.0 (the stand-in),
// runs the launcher on it, and prints what changed. With a screenshot
// folder it asks the script outside for a picture of the progress dialog
// and of the final box (a request file, answered by a done file).
//   demo_driver LAUNCHER [--language fr] [--second-run] [--shots DIR]
#include <objbase.h>
#include <shlobj.h>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "game/game_key.h"
#include "tests/support/harness.h"
#include "worker/file_version.h"
#include "worker/lobby.h"
#include "worker/tests/worker_test_util.h"

namespace {

const char* kGameDirectory = "C:\\Games\\BrenmarkSoft\\Vantor 3";

struct LanguageName {
  const char* code;
  DWORD id;
} kLanguages[] = {{"en", 0x0409}, {"fr", 0x040C}, {"de", 0x0407}, {"es", 0x0C0A}, {"it", 0x0410}, {"sv", 0x041D}};

std::string Folder(int csidl) {
  char path[MAX_PATH] = {};
  SHGetSpecialFolderPathA(nullptr, path, csidl, FALSE);
  return path;
}

std::string Describe(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return "-";
  char version[kVersionStringSize] = {};
  std::string text = std::to_string(data.nFileSizeLow) + " bytes";
  if (GetFileVersionString(path.c_str(), version)) text += ", version " + std::string(version);
  return text;
}

std::string LinkArguments(const std::string& path) {
  IShellLinkA* link = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                              reinterpret_cast<void**>(&link))))
    return "-";
  std::string result = "-";
  IPersistFile* file = nullptr;
  if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
    WCHAR wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
    if (SUCCEEDED(file->Load(wide, STGM_READ))) {
      char target[MAX_PATH] = {}, arguments[MAX_PATH] = {};
      link->GetPath(target, MAX_PATH, nullptr, 0);
      link->GetArguments(arguments, MAX_PATH);
      result = std::string(target) + " " + arguments;
    }
    file->Release();
  }
  link->Release();
  return result;
}

std::string KeyState(const char* key) {
  std::string value;
  HKEY handle;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_READ, &handle) != ERROR_SUCCESS) return "absent";
  DWORD values = 0;
  RegQueryInfoKeyA(handle, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr, nullptr,
                   nullptr);
  RegCloseKey(handle);
  return std::to_string(values) + " values";
}

struct Row {
  std::string name, before, after;
};

std::string Snapshot(int item) {
  std::string dir = kGameDirectory;
  std::string desktop = Folder(CSIDL_DESKTOP), programs = Folder(CSIDL_PROGRAMS) + "\\BrenmarkSoft\\Vantor 3",
              common = Folder(CSIDL_COMMON_PROGRAMS) + "\\BrenmarkSoft\\Vantor 3";
  switch (item) {
    case 0: return Describe(dir + "\\vt3.exe");
    case 1: return Describe(dir + "\\datafiles\\vt3.dat");
    case 2: {
      int count = 0;
      for (const char* name : {"En", "Fr", "Ger", "Ita", "Spa", "Swe"})
        count += FileExists(dir + "\\ReadMe_v1_1_" + name + ".txt");
      return std::to_string(count) + " of 6";
    }
    case 3: return LinkArguments(programs + "\\Vantor 3.lnk");
    case 4: return LinkArguments(programs + "\\Vantor 3 (NoSetup).lnk");
    case 5: return LinkArguments(common + "\\Vantor 3.lnk");
    case 6: return LinkArguments(common + "\\Vantor 3 (NoSetup).lnk");
    case 7: return LinkArguments(desktop + "\\Vantor 3.lnk");
    case 8: return LinkArguments(desktop + "\\Vantor 3 (NoSetup).lnk");
    case 9: return KeyState(kOldLobbyKey);
    case 10: return KeyState(kNewLobbyKey);
    case 11: return Describe(dir + "\\data\\players\\joystick.ini");
    case 12: return Describe(dir + "\\data\\players\\joystick.bak");
    case 13: return FileExists(dir + "\\data\\tracks\\track13.trk") ? "present" : "-";
  }
  return "";
}

const char* kItems[] = {"vt3.exe",
                        "datafiles\\vt3.dat",
                        "ReadMe files",
                        "Start menu: Vantor 3.lnk",
                        "Start menu: Vantor 3 (NoSetup).lnk",
                        "All users: Vantor 3.lnk",
                        "All users: Vantor 3 (NoSetup).lnk",
                        "Desktop: Vantor 3.lnk",
                        "Desktop: Vantor 3 (NoSetup).lnk",
                        "Lobby key ...8E37 (old)",
                        "Lobby key ...8E36 (new)",
                        "joystick.ini",
                        "joystick.bak",
                        "data\\tracks\\track13.trk"};
constexpr int kItemCount = sizeof kItems / sizeof kItems[0];

void RequestShot(const std::string& shots, const char* name) {
  if (shots.empty()) return;
  std::string request = shots + "\\" + name + ".request", done = shots + "\\" + name + ".done";
  WriteFileBytes(request, name);
  for (int i = 0; i < 1000 && !FileExists(done); ++i) Sleep(10);
}

HWND FindProgressDialog(HANDLE process) {
  for (HWND window = FindWindowExA(nullptr, nullptr, "#32770", nullptr); window;
       window = FindWindowExA(nullptr, window, "#32770", nullptr)) {
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == GetProcessId(process) && GetDlgItem(window, 1004)) return window;
  }
  return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  std::string launcher = argv[1], shots;
  DWORD language = 0x0409;
  bool secondRun = false;
  for (int i = 2; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--second-run")) secondRun = true;
    else if (!std::strcmp(argv[i], "--shots") && i + 1 < argc) shots = argv[++i];
    else if (!std::strcmp(argv[i], "--language") && i + 1 < argc) {
      ++i;
      for (const LanguageName& name : kLanguages)
        if (!std::strcmp(argv[i], name.code)) language = name.id;
    }
  }
  CoInitialize(nullptr);
  GameInstall game;
  if (!game.Create(kGameDirectory, language, Sibling("vt3_standin_1_0.exe"))) {
    std::printf("could not create the demo installation\n");
    return 1;
  }
  InstallOldLobbyKey(kGameDirectory);
  // Slow enough for the progress bar to be seen moving.
  WriteFileBytes(std::string(kGameDirectory) + "\\standin_fault.txt", shots.empty() ? "slow 10\n" : "slow 60\n");

  std::string before[kItemCount];
  for (int i = 0; i < kItemCount; ++i) before[i] = Snapshot(i);

  int runs = secondRun ? 2 : 1;
  LaunchResult result;
  for (int run = 1; run <= runs; ++run) {
    std::string line = "\"" + launcher + "\"";
    HANDLE process = StartProcess(line);
    if (!process) {
      std::printf("could not start %s\n", launcher.c_str());
      return 1;
    }
    if (!shots.empty() && run == runs) {
      HWND dialog = nullptr;
      for (int i = 0; i < 2000 && !(dialog = FindProgressDialog(process)); ++i) Sleep(5);
      for (int i = 0; i < 500 && dialog && SendDlgItemMessageA(dialog, 1004, 0x0408 /* PBM_GETPOS */, 0, 0) < 30; ++i)
        Sleep(10);
      if (dialog) RequestShot(shots, "progress");
    }
    // The box is read and closed by the observer; for the picture it waits a moment first.
    if (!shots.empty() && run == runs) {
      for (int i = 0; i < 3000 && !FindWindowA("#32770", "Vantor 3 v1.1.74.3"); ++i) Sleep(10);
      Sleep(800);
      RequestShot(shots, "message");
    }
    result.box = ObserveBox(process, 120000);
    WaitForSingleObject(process, 60000);
    GetExitCodeProcess(process, &result.exitCode);
    CloseHandle(process);
    std::printf("Run %d: message \"%s\" with the %s icon, exit code %lu\n", run, result.box.text.c_str(),
                result.box.icon == 1 ? "information" : result.box.icon == 2 ? "error" : "unknown",
                static_cast<unsigned long>(result.exitCode));
  }

  std::printf("\n%-36s | %-44s | %s\n", "", "before", "after");
  std::printf("%s\n", std::string(130, '-').c_str());
  for (int i = 0; i < kItemCount; ++i)
    std::printf("%-36s | %-44s | %s\n", kItems[i], before[i].c_str(), Snapshot(i).c_str());
  std::printf("\nTemporary worker files left: %u\n", static_cast<unsigned>(FilesMatching(TempDirectory() + "tmp*.tmp").size()));
  return 0;
}
