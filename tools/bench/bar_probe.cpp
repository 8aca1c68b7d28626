#include <windows.h>
#include <commctrl.h>

#include "tools/bench/bar_probe.h"

// Global, so set before the launcher starts: Wine takes up a thread's hooks
// when its queue is made.
extern "C" __declspec(dllexport) LRESULT CALLBACK ProgressProbeHook(int code, WPARAM wParam, LPARAM lParam) {
  const CWPSTRUCT* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
  if (code == HC_ACTION && call && call->message == PBM_SETPOS) {
    HANDLE mapping = OpenFileMappingA(FILE_MAP_WRITE, FALSE, kProgressProbeMapping);
    if (mapping) {
      LONG* view = static_cast<LONG*>(MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, 0));
      if (view) {
        LONG index = view[0];
        if (index < kProgressProbeSlots) {
          LARGE_INTEGER now;
          QueryPerformanceCounter(&now);
          reinterpret_cast<LONGLONG*>(reinterpret_cast<char*>(view) + kProgressProbeTimes)[index] = now.QuadPart;
          view[1 + index] = static_cast<LONG>(call->wParam);
          view[0] = index + 1;
        }
        UnmapViewOfFile(view);
      }
      CloseHandle(mapping);
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}
