// Hook DLL for the tests' message-box observer. Set as a WH_GETMESSAGE hook
// on the box's thread, it runs inside the process that shows the box, where
// the box's icon can be compared with the system's icons; the answer goes
// back as the box's window property "Vt3BoxProbe": 1 information, 2 error,
// 3 another icon or none.
#include <windows.h>

#include "tests/support/box_probe.h"

extern "C" __declspec(dllexport) LRESULT CALLBACK BoxProbeHook(int code, WPARAM wParam, LPARAM lParam) {
  HWND box = FindWindowA("#32770", kBoxCaption);
  if (box && GetWindowThreadProcessId(box, nullptr) == GetCurrentThreadId()) {
    HWND iconControl = GetDlgItem(box, 1088);
    if (!iconControl) iconControl = GetDlgItem(box, 20);
    HICON shown = iconControl ? reinterpret_cast<HICON>(SendMessageA(iconControl, STM_GETICON, 0, 0)) : nullptr;
    LONG answer = 3;
    if (shown && shown == LoadIcon(nullptr, IDI_INFORMATION)) answer = kBoxIconInformation;
    else if (shown && shown == LoadIcon(nullptr, IDI_ERROR)) answer = kBoxIconError;
    SetPropA(box, kBoxProbeProperty, reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(answer)));
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}
