// The test build's seam where the update lets go of a file: it hands the
// file to file_scanner.exe and goes on once the scanner holds it, so that
// every such file meets a scan, however briefly it lives. Without a
// scanner running, nothing happens.
#include <windows.h>

#include <initializer_list>

#include "platform/files/file_closed.h"
#include "tests/support/scanner.h"

void NoteFileClosedW(const WCHAR* path) {
  HANDLE mapping = OpenFileMappingA(FILE_MAP_WRITE, FALSE, kScannerMapping);
  if (!mapping) return;
  HANDLE turn = OpenMutexA(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, kScannerTurn);
  HANDLE ask = OpenEventA(EVENT_MODIFY_STATE, FALSE, kScannerAsk);
  HANDLE holds = OpenEventA(SYNCHRONIZE | EVENT_MODIFY_STATE, FALSE, kScannerHolds);
  WCHAR* shared = static_cast<WCHAR*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0));
  DWORD taken = turn ? WaitForSingleObject(turn, 10000) : WAIT_FAILED;
  if (ask && holds && shared && (taken == WAIT_OBJECT_0 || taken == WAIT_ABANDONED)) {
    lstrcpynW(shared, path, kScannerPathChars);
    ResetEvent(holds);  // an answer that came too late for an earlier file
    SetEvent(ask);
    WaitForSingleObject(holds, 5000);
  }
  if (taken == WAIT_OBJECT_0 || taken == WAIT_ABANDONED) ReleaseMutex(turn);
  if (shared) UnmapViewOfFile(shared);
  for (HANDLE handle : {turn, ask, holds, mapping})
    if (handle) CloseHandle(handle);
}

void NoteFileClosed(const char* path) {
  WCHAR wide[MAX_PATH];
  if (MultiByteToWideChar(CP_ACP, 0, path, -1, wide, MAX_PATH) > 0) NoteFileClosedW(wide);
}
