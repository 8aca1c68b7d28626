#include "launcher/message_wait.h"

DWORD WaitForObjectOrInput(HANDLE object, DWORD milliseconds) {
  return MsgWaitForMultipleObjects(1, &object, FALSE, milliseconds, kWakeMask);
}
