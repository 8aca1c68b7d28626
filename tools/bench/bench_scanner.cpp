// A stand-in for an on-access virus scanner, as a process of its own beside
// the update: it watches folders (with everything below them) and opens
// each file that appears, is changed or is renamed there for reading,
// sharing reading only, as soon as whoever writes it lets it, and lets go
// HOLD_MS later. Meanwhile nobody can write, rename or delete the file.
// Sets the event "Vt3BenchScannerReady" once it watches, and ends when
// "Vt3BenchScannerStop" is set. Exit code: the number of files it held.
//   bench_scanner HOLD_MS FOLDER...
#include <windows.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "tests/support/expiring_holds.h"

namespace {

constexpr DWORD kGiveUpMs = 2000;

struct Pending {
  std::wstring path;
  DWORD since;
};
struct Held {
  std::wstring path;
  HANDLE file;
  DWORD until;
};

CRITICAL_SECTION lock;
std::vector<Pending> pending;
HANDLE woken;

struct Watch {
  std::wstring folder;
  HANDLE handle;
};

DWORD WINAPI WatchFolder(void* context) {
  Watch* watch = static_cast<Watch*>(context);
  alignas(DWORD) static thread_local unsigned char buffer[65536];
  DWORD got = 0;
  while (ReadDirectoryChangesW(watch->handle, buffer, sizeof buffer, TRUE,
                               FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_SIZE,
                               &got, nullptr, nullptr)) {
    EnterCriticalSection(&lock);
    for (DWORD at = 0; got >= sizeof(FILE_NOTIFY_INFORMATION);) {
      const FILE_NOTIFY_INFORMATION* entry = reinterpret_cast<const FILE_NOTIFY_INFORMATION*>(buffer + at);
      if (entry->Action == FILE_ACTION_ADDED || entry->Action == FILE_ACTION_MODIFIED ||
          entry->Action == FILE_ACTION_RENAMED_NEW_NAME) {
        std::wstring path = watch->folder + std::wstring(entry->FileName, entry->FileNameLength / sizeof(WCHAR));
        bool known = false;
        for (const Pending& other : pending) known = known || other.path == path;
        if (!known) pending.push_back({path, GetTickCount()});
      }
      if (!entry->NextEntryOffset) break;
      at += entry->NextEntryOffset;
    }
    LeaveCriticalSection(&lock);
    SetEvent(woken);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return 255;
  DWORD holdMs = std::strtoul(argv[1], nullptr, 10);
  InitializeCriticalSection(&lock);
  woken = CreateEventA(nullptr, FALSE, FALSE, nullptr);
  HANDLE stop = CreateEventA(nullptr, TRUE, FALSE, "Vt3BenchScannerStop");
  HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, "Vt3BenchScannerReady");
  if (!woken || !stop || !ready) return 254;
  std::vector<Watch> watches(argc - 2);
  for (int i = 2; i < argc; ++i) {
    Watch& watch = watches[i - 2];
    wchar_t folder[MAX_PATH];
    if (MultiByteToWideChar(CP_ACP, 0, argv[i], -1, folder, MAX_PATH) <= 0) return 253;
    watch.folder = folder;
    if (watch.folder.empty() || watch.folder.back() != L'\\') watch.folder += L'\\';
    watch.handle = CreateFileW(watch.folder.c_str(), FILE_LIST_DIRECTORY,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                               FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (watch.handle == INVALID_HANDLE_VALUE) return 253;
    CloseHandle(CreateThread(nullptr, 0, WatchFolder, &watch, 0, nullptr));
  }
  Sleep(200);  // the watches are in place once each thread waits in its call
  SetEvent(ready);
  std::vector<Held> held;
  int count = 0;
  for (;;) {
    DWORD now = GetTickCount(), timeout = INFINITE;
    EnterCriticalSection(&lock);
    for (size_t i = 0; i < pending.size();) {
      // Nothing could write a file while it is held: what is noted then
      // is its writing before.
      bool holding = false;
      for (const Held& file : held) holding = holding || file.path == pending[i].path;
      HANDLE file = holding ? INVALID_HANDLE_VALUE
                            : CreateFileW(pending[i].path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                          OPEN_EXISTING, 0, nullptr);
      if (file != INVALID_HANDLE_VALUE) {
        held.push_back({pending[i].path, file, GetTickCount() + holdMs});
        ++count;
      } else if (!holding && GetLastError() == ERROR_SHARING_VIOLATION && now - pending[i].since < kGiveUpMs) {
        timeout = 5;
        ++i;
        continue;
      }
      pending.erase(pending.begin() + i);
    }
    LeaveCriticalSection(&lock);
    timeout = ReleaseExpiredHolds(&held, now, timeout);
    HANDLE waits[] = {stop, woken};
    DWORD result = WaitForMultipleObjects(2, waits, FALSE, timeout);
    if (result == WAIT_OBJECT_0 || result == WAIT_FAILED) break;
  }
  for (const Held& file : held) CloseHandle(file.file);
  return count;
}
