#include "platform/system/working_set.h"

#include <windows.h>

#include "platform/system/system_library.h"

void LeaveWorkingSet(const void* bytes, uint32_t size) {
  // VirtualUnlock on pages that are not locked releases them from the
  // working set (and reports ERROR_NOT_LOCKED). Looked up: not every
  // Windows of the list implements it.
  typedef BOOL(WINAPI * VirtualUnlockFunction)(void*, SIZE_T);
  VirtualUnlockFunction unlock = KernelFunction<VirtualUnlockFunction>("VirtualUnlock");
  if (unlock && bytes && size) unlock(const_cast<void*>(bytes), size);
}
