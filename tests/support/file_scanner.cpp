// A stand-in for an on-access virus scanner: each file a test build of the
// update hands over (tests/support/scanner_handoff.cpp) it opens for
// reading, sharing reading only (with "exclusive", sharing nothing, as
// some scanners and backup agents do), so that nobody can write, rename or
// delete it meanwhile, says that it holds it, and lets go HOLD_MS later.
// A file it cannot open yet (exclusive: the update still has it open) it
// lets the update go on with, and opens as soon as it can, within 2 s.
// Appends "held PATH" (or "missed PATH ERROR") to LOG; runs until the
// event kScannerStop is set. Exit code: the number of files held.
//   file_scanner HOLD_MS LOG [exclusive]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/expiring_holds.h"
#include "tests/support/scanner.h"

namespace {

struct Held {
  HANDLE file;
  DWORD until;
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 && !(argc == 4 && !std::strcmp(argv[3], "exclusive"))) return 255;
  DWORD share = argc == 4 ? 0 : FILE_SHARE_READ, holdMs = std::strtoul(argv[1], nullptr, 10);
  const char* log = argv[2];
  HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                      kScannerPathChars * sizeof(WCHAR), kScannerMapping);
  WCHAR* shared = mapping ? static_cast<WCHAR*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0)) : nullptr;
  HANDLE turn = CreateMutexA(nullptr, FALSE, kScannerTurn);
  HANDLE ask = CreateEventA(nullptr, FALSE, FALSE, kScannerAsk);
  HANDLE holds = CreateEventA(nullptr, FALSE, FALSE, kScannerHolds);
  HANDLE stop = CreateEventA(nullptr, TRUE, FALSE, kScannerStop);
  if (!shared || !turn || !ask || !holds || !stop) return 254;
  std::vector<Held> held;
  std::vector<std::pair<std::wstring, DWORD>> pending;  // a path, and until when it is tried
  int count = 0;
  // Holds each file asked for that it can open; one it cannot open yet is
  // tried again until its time is up. The wait until the next thing to do.
  auto holdPending = [&]() -> DWORD {
    DWORD now = GetTickCount(), timeout = INFINITE;
    for (size_t i = 0; i < pending.size();) {
      const WCHAR* path = pending[i].first.c_str();
      HANDLE file = CreateFileW(path, GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr);
      DWORD error = file == INVALID_HANDLE_VALUE ? GetLastError() : 0;
      if (error == ERROR_SHARING_VIOLATION && static_cast<LONG>(pending[i].second - now) > 0) {
        timeout = 5;
        ++i;
        continue;
      }
      if (!error) held.push_back({file, now + holdMs});
      count += !error;
      char name[kScannerPathChars * 2] = {};
      WideCharToMultiByte(CP_ACP, 0, path, -1, name, sizeof name - 1, nullptr, nullptr);
      if (FILE* note = std::fopen(log, "a")) {
        std::fprintf(note, error ? "missed %s %lu\n" : "held %s\n", name, error);
        std::fclose(note);
      }
      pending.erase(pending.begin() + i);
    }
    return ReleaseExpiredHolds(&held, now, timeout);
  };
  for (;;) {
    HANDLE waits[] = {stop, ask};
    DWORD woken = WaitForMultipleObjects(2, waits, FALSE, holdPending());
    if (woken == WAIT_OBJECT_0 || woken == WAIT_FAILED) break;
    if (woken != WAIT_OBJECT_0 + 1) continue;
    WCHAR path[kScannerPathChars];
    lstrcpynW(path, shared, kScannerPathChars);
    // Only an exclusive scanner waits for the update to let go of a file.
    pending.push_back({path, GetTickCount() + (share ? 0 : 2000)});
    holdPending();
    SetEvent(holds);
  }
  for (const Held& file : held) CloseHandle(file.file);
  return count;
}
