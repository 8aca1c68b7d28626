// Sleep reaches this through its import pointer, defined here in place of
// the system's (objects come before the import libraries); the name is
// that of 32-bit x86 (stdcall decoration).
#include "tests/support/counted_sleep.h"

namespace {

volatile LONG counting = 0;
volatile LONG slept = 0;

void WINAPI CountedSleep(DWORD milliseconds) {
  static auto systemSleep = reinterpret_cast<void(WINAPI*)(DWORD)>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "Sleep")));
  if (counting) {
    InterlockedExchangeAdd(&slept, static_cast<LONG>(milliseconds));
    milliseconds = 0;
  }
  systemSleep(milliseconds);
}

}  // namespace

extern "C" {
void(WINAPI* countedSleepPointer)(DWORD) __asm__("__imp__Sleep@4") = CountedSleep;
}

void CountSleeps(bool on) { InterlockedExchange(&counting, on ? 1 : 0); }

DWORD SleptMs() { return static_cast<DWORD>(slept); }
