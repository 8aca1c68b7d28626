// A stand-in for an on-access virus scanner: each file a test build of the
// update hands over (tests/support/scanner_handoff.cpp) it opens for
// reading, sharing reading only, so that nobody can write, rename or
// delete it meanwhile, says that it holds it, and lets go HOLD_MS later.
// Appends "held PATH" (or "missed PATH ERROR") to LOG; runs until the
// event kScannerStop is set. Exit code: the number of files held.
//   file_scanner HOLD_MS LOG
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "tests/support/scanner.h"

namespace {

struct Held {
  HANDLE file;
  DWORD until;
};

void Note(const char* log, const char* what, const WCHAR* path, DWORD error) {
  char name[kScannerPathChars * 2] = {};
  WideCharToMultiByte(CP_ACP, 0, path, -1, name, sizeof name - 1, nullptr, nullptr);
  FILE* file = std::fopen(log, "a");
  if (!file) return;
  if (error) std::fprintf(file, "%s %s %lu\n", what, name, error);
  else std::fprintf(file, "%s %s\n", what, name);
  std::fclose(file);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) return 255;
  DWORD holdMs = std::strtoul(argv[1], nullptr, 10);
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
  int count = 0;
  for (;;) {
    DWORD now = GetTickCount(), timeout = INFINITE;
    for (size_t i = 0; i < held.size();) {
      if (static_cast<LONG>(held[i].until - now) <= 0) {
        CloseHandle(held[i].file);
        held.erase(held.begin() + i);
        continue;
      }
      if (held[i].until - now < timeout) timeout = held[i].until - now;
      ++i;
    }
    HANDLE waits[] = {stop, ask};
    DWORD woken = WaitForMultipleObjects(2, waits, FALSE, timeout);
    if (woken == WAIT_OBJECT_0 || woken == WAIT_FAILED) break;
    if (woken != WAIT_OBJECT_0 + 1) continue;
    WCHAR path[kScannerPathChars];
    lstrcpynW(path, shared, kScannerPathChars);
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      held.push_back({file, GetTickCount() + holdMs});
      ++count;
      Note(log, "held", path, 0);
    } else {
      Note(log, "missed", path, GetLastError());
    }
    SetEvent(holds);
  }
  for (const Held& file : held) CloseHandle(file.file);
  return count;
}
