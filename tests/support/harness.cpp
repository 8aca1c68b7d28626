#include "tests/support/harness.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>

#include <commctrl.h>
#include <tlhelp32.h>

#include "game/game_key.h"
#include "tests/support/box_probe.h"
#include "tests/support/cut_event.h"

std::string Sibling(const char* name) {
  char path[MAX_PATH];
  std::string result(path, GetModuleFileNameA(nullptr, path, MAX_PATH));
  return result.substr(0, result.find_last_of('\\') + 1) + name;
}

std::string TempDirectory() {
  char path[MAX_PATH];
  GetTempPathA(MAX_PATH, path);
  return path;
}

std::vector<std::string> FilesMatching(const std::string& pattern) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(pattern.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do
    if (std::strcmp(found.cFileName, ".") && std::strcmp(found.cFileName, "..")) names.push_back(found.cFileName);
  while (FindNextFileA(search, &found));
  FindClose(search);
  return names;
}

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && ok;
}

bool ReadFileBytes(const std::string& path, std::string* bytes) {
  std::ifstream file(path, std::ios::binary);
  if (file) bytes->assign(std::istreambuf_iterator<char>(file), {});
  return bool(file);
}

std::string FileBytes(const std::string& path) {
  std::string bytes;
  return ReadFileBytes(path, &bytes) ? bytes : "(no file " + path + ")";
}

bool FileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool MakeDirectories(const std::string& path) {
  for (size_t i = 3; i <= path.size(); ++i)
    if (i == path.size() || path[i] == '\\') CreateDirectoryA(path.substr(0, i).c_str(), nullptr);
  return (GetFileAttributesA(path.c_str()) & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool RemoveTree(const std::string& path) {
  for (const std::string& name : FilesMatching(path + "\\*")) {
    std::string child = path + "\\" + name;
    DWORD attributes = GetFileAttributesA(child.c_str());
    SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) RemoveTree(child);
    else DeleteFileA(child.c_str());
  }
  // A drive's root stays: Wine would remove the folder a drive letter stands for.
  if (path.size() <= 3 && path.size() >= 2 && path[1] == ':') return FilesMatching(path + "\\*").empty();
  RemoveDirectoryA(path.c_str());
  return !FileExists(path);
}

namespace {

bool SetValue(HKEY root, const char* key, const char* name, DWORD type, const void* bytes, DWORD size) {
  HKEY handle;
  if (RegCreateKeyExA(root, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &handle, nullptr) != ERROR_SUCCESS)
    return false;
  LONG result = RegSetValueExA(handle, name, 0, type, static_cast<const BYTE*>(bytes), size);
  RegCloseKey(handle);
  return result == ERROR_SUCCESS;
}

}  // namespace

bool SetWideString(HKEY root, const char* key, const char* name, const std::wstring& value, DWORD type) {
  HKEY handle;
  if (RegCreateKeyExA(root, key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &handle, nullptr) != ERROR_SUCCESS)
    return false;
  std::wstring wideName(name, name + std::strlen(name));  // value names here are ASCII
  LONG result = RegSetValueExW(handle, wideName.c_str(), 0, type, reinterpret_cast<const BYTE*>(value.c_str()),
                               static_cast<DWORD>((value.size() + 1) * sizeof(WCHAR)));
  RegCloseKey(handle);
  return result == ERROR_SUCCESS;
}

bool GetMachineWideString(const char* key, const char* name, std::wstring* value) {
  HKEY handle;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_READ, &handle) != ERROR_SUCCESS) return false;
  std::wstring wideName(name, name + std::strlen(name));
  WCHAR buffer[4096] = {};
  DWORD size = sizeof buffer - sizeof(WCHAR), type = 0;
  LONG result = RegQueryValueExW(handle, wideName.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
  RegCloseKey(handle);
  if (result != ERROR_SUCCESS || type != REG_SZ) return false;
  *value = buffer;
  return true;
}

bool SetMachineString(const char* key, const char* name, const std::string& value, DWORD type) {
  return SetValue(HKEY_LOCAL_MACHINE, key, name, type, value.c_str(), static_cast<DWORD>(value.size() + 1));
}

bool SetMachineDword(const char* key, const char* name, DWORD value) {
  return SetValue(HKEY_LOCAL_MACHINE, key, name, REG_DWORD, &value, sizeof value);
}

bool GetMachineString(const char* key, const char* name, std::string* value) {
  HKEY handle;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_READ, &handle) != ERROR_SUCCESS) return false;
  char buffer[4096] = {};
  DWORD size = sizeof buffer - 1, type = 0;
  LONG result = RegQueryValueExA(handle, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
  RegCloseKey(handle);
  if (result != ERROR_SUCCESS || type != REG_SZ) return false;
  *value = buffer;
  return true;
}

void DeleteMachineTree(const char* key) { RegDeleteTreeA(HKEY_LOCAL_MACHINE, key); }

bool GameInstall::Create(const std::string& gameDirectory, DWORD language, const std::string& executableSource) {
  directory = gameDirectory;
  RemoveTree(directory);
  DeleteMachineTree(kGameKeyPath);
  std::string executable;
  if (!ReadFileBytes(executableSource, &executable)) return false;
  return MakeDirectories(directory + "\\datafiles") && MakeDirectories(directory + "\\data\\players") &&
         WriteFileBytes(directory + "\\vt3.exe", executable) &&
         WriteFileBytes(directory + "\\datafiles\\vt3.dat", std::string(100000, 'd')) &&
         WriteFileBytes(directory + "\\data\\players\\joystick.ini", "[Joystick]\r\nEnableJoystickAtStart=1\r\n") &&
         SetMachineString(kGameKeyPath, "SavingPath", directory) &&
         SetMachineString(kGameKeyPath, "DataPath", directory + "\\datafiles") &&
         SetMachineDword(kGameKeyPath, "Language", language);
}

HANDLE StartProcess(const std::string& commandLine) {
  std::string line = commandLine;
  STARTUPINFOA startup = {sizeof startup};
  PROCESS_INFORMATION info = {};
  if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
    return nullptr;
  CloseHandle(info.hThread);
  return info.hProcess;
}

DWORD FinishProcess(HANDLE process, DWORD timeoutMs) {
  DWORD code = 0xFFFFFFFF;
  if (WaitForSingleObject(process, timeoutMs) == WAIT_OBJECT_0) GetExitCodeProcess(process, &code);
  else TerminateProcess(process, 99);
  CloseHandle(process);
  return code;
}

DWORD RunProcess(const std::string& commandLine, DWORD timeoutMs) {
  HANDLE process = StartProcess(commandLine);
  return process ? FinishProcess(process, timeoutMs) : 0xFFFFFFFF;
}

DWORD FindProcess(const char* suffix) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32 entry = {sizeof entry};
  DWORD found = 0;
  size_t length = std::strlen(suffix);
  for (BOOL more = Process32First(snapshot, &entry); more && !found; more = Process32Next(snapshot, &entry)) {
    size_t name = std::strlen(entry.szExeFile);
    if (name > length && _stricmp(entry.szExeFile + name - length, suffix) == 0) found = entry.th32ProcessID;
  }
  CloseHandle(snapshot);
  return found;
}

namespace {

long ProbeIcon(HWND box) {
  long icon = 0;
  HMODULE dll = LoadLibraryA(Sibling("box_probe.dll").c_str());
  HOOKPROC hook = dll ? reinterpret_cast<HOOKPROC>(GetProcAddress(dll, "BoxProbeHook")) : nullptr;
  HHOOK installed = hook ? SetWindowsHookExA(WH_GETMESSAGE, hook, dll, GetWindowThreadProcessId(box, nullptr)) : nullptr;
  for (int attempt = 0; installed && attempt < 200 && !icon; ++attempt, Sleep(10)) {
    PostMessageA(box, WM_NULL, 0, 0);
    icon = static_cast<long>(reinterpret_cast<LONG_PTR>(GetPropA(box, kBoxProbeProperty)));
  }
  if (installed) UnhookWindowsHookEx(installed);
  if (dll) FreeLibrary(dll);
  return icon;
}

}  // namespace

HWND FindProgressBar(DWORD processId) {
  struct Search {
    DWORD processId;
    HWND bar;
    static BOOL CALLBACK Visit(HWND window, LPARAM parameter) {
      Search* search = reinterpret_cast<Search*>(parameter);
      DWORD owner = 0;
      GetWindowThreadProcessId(window, &owner);
      if (owner == search->processId) search->bar = GetDlgItem(window, 1004);
      return !search->bar;
    }
  } search = {processId, nullptr};
  EnumWindows(Search::Visit, reinterpret_cast<LPARAM>(&search));
  return search.bar;
}

BoxSeen ObserveBox(HANDLE process, DWORD timeoutMs) {
  BoxSeen seen;
  for (DWORD start = GetTickCount(); GetTickCount() - start < timeoutMs;) {
    DWORD_PTR position = 0, high = 0;
    HWND bar = FindProgressBar(GetProcessId(process));
    // A bar that is being destroyed answers through DefWindowProc, 0 to
    // everything: only a bar that still knows its range tells its position.
    if (bar && SendMessageTimeoutA(bar, PBM_GETPOS, 0, 0, SMTO_ABORTIFHUNG, 100, &position) &&
        SendMessageTimeoutA(bar, PBM_GETRANGE, FALSE, 0, SMTO_ABORTIFHUNG, 100, &high) && high &&
        (seen.bar.empty() || seen.bar.back() != LRESULT(position)))
      seen.bar.push_back(position);
    HWND box = FindWindowA("#32770", kBoxCaption);
    DWORD owner = 0;
    if (box) GetWindowThreadProcessId(box, &owner);
    if (box && owner == GetProcessId(process) && GetDlgItem(box, 0xFFFF) && GetDlgItem(box, IDOK)) {
      seen.text.resize(4096);
      seen.text.resize(GetDlgItemTextA(box, 0xFFFF, &seen.text[0], 4096));
      seen.wideText.resize(4096);
      seen.wideText.resize(GetDlgItemTextW(box, 0xFFFF, &seen.wideText[0], 4096));
      seen.icon = ProbeIcon(box);
      PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
      return seen;
    }
    if (WaitForSingleObject(process, 10) == WAIT_OBJECT_0) return seen;
  }
  return seen;
}

LaunchResult RunAndObserve(const std::string& exe, DWORD timeoutMs) {
  LaunchResult result;
  HANDLE process = StartProcess("\"" + exe + "\"");
  if (!process) return result;
  DWORD start = GetTickCount();
  result.box = ObserveBox(process, timeoutMs);
  result.millisecondsToBox = GetTickCount() - start;
  result.exitCode = FinishProcess(process, timeoutMs);
  return result;
}

bool RunAndCut(const std::string& exe, DWORD timeoutMs) {
  HANDLE reached = CreateEventA(nullptr, FALSE, FALSE, kCutEventName);
  HANDLE job = CreateJobObjectA(nullptr, nullptr);
  std::string line = "\"" + exe + "\"";
  STARTUPINFOA startup = {sizeof startup};
  PROCESS_INFORMATION info = {};
  bool cut = false;
  if (reached && job &&
      CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr, &startup, &info)) {
    // In the job before it runs, so that the worker and the data stage it
    // starts are in it too.
    if (AssignProcessToJobObject(job, info.hProcess)) {
      ResumeThread(info.hThread);
      HANDLE ends[] = {reached, info.hProcess};
      cut = WaitForMultipleObjects(2, ends, FALSE, timeoutMs) == WAIT_OBJECT_0;
    }
    TerminateJobObject(job, 1);
    WaitForSingleObject(info.hProcess, 30000);
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting = {};
    for (int i = 0; i < 3000 && QueryInformationJobObject(job, JobObjectBasicAccountingInformation, &accounting,
                                                          sizeof accounting, nullptr) && accounting.ActiveProcesses;
         ++i)
      Sleep(10);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
  }
  if (job) CloseHandle(job);
  if (reached) CloseHandle(reached);
  return cut;
}

// --- Shared by the run-folder and hardening tests ---
std::string TakePendingFileRenames() {
  const char* name = "PendingFileRenameOperations";
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Session Manager", 0, nullptr, 0,
                      KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
    return "";
  std::string pending(65536, '\0');
  DWORD size = static_cast<DWORD>(pending.size());
  if (RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&pending[0]), &size) != ERROR_SUCCESS)
    size = 0;
  pending.resize(size);
  RegDeleteValueA(key, name);
  RegCloseKey(key);
  return pending;
}
