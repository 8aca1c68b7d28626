// What the launcher's failing wait (a test build) records, in a mapping a
// test creates before it starts that launcher.
#pragma once
#include <windows.h>

constexpr char kWaitProbeMapping[] = "Vt3WaitProbe";

struct WaitProbe {
  LONG calls;
  DWORD firstTick;  // GetTickCount at the first and the latest call
  DWORD lastTick;
};
