// The launcher's one wait on the worker and its own messages. A file of its
// own, so that a test build can link a wait that fails as old Windows fails
// a wake mask it does not know.
#pragma once
#include <windows.h>

// Only the queue-status bits that Windows 98 and NT 4.0 document. Newer
// headers' QS_ALLINPUT adds raw input (XP), touch and pointer input (8):
// an older system may fail the whole wait for them. Where such input
// comes, it is taken at the launcher's next look, at most 30 ms later.
constexpr DWORD kWakeMask =
    QS_KEY | QS_MOUSEMOVE | QS_MOUSEBUTTON | QS_POSTMESSAGE | QS_TIMER | QS_PAINT | QS_SENDMESSAGE | QS_HOTKEY;

// MsgWaitForMultipleObjects on one object with kWakeMask: WAIT_OBJECT_0
// when it is signalled, WAIT_OBJECT_0 + 1 for input, WAIT_TIMEOUT, or
// WAIT_FAILED.
DWORD WaitForObjectOrInput(HANDLE object, DWORD milliseconds);
