// The launcher's one wait on the worker and its own messages. A file of its
// own, so that a test build can link a wait that fails as old Windows fails
// a wake mask it does not know.
#pragma once
#include <windows.h>

// Only the queue-status bits that Windows 95 and NT 4.0 define. QS_ALLINPUT
// of newer headers adds raw input (XP), touch and pointer input (8), which
// an older system may refuse with the whole wait.
constexpr DWORD kWakeMask =
    QS_KEY | QS_MOUSEMOVE | QS_MOUSEBUTTON | QS_POSTMESSAGE | QS_TIMER | QS_PAINT | QS_SENDMESSAGE | QS_HOTKEY;

// MsgWaitForMultipleObjects on one object with kWakeMask: WAIT_OBJECT_0
// when it is signalled, WAIT_OBJECT_0 + 1 for input, WAIT_TIMEOUT, or
// WAIT_FAILED.
DWORD WaitForObjectOrInput(HANDLE object, DWORD milliseconds);
