// The files a scanner stand-in holds, each until its own time.
#pragma once
#include <windows.h>

#include <vector>

// Lets go of the files whose time has come; the wait until the next one's,
// or `timeout` when that is sooner.
template <typename Held>
DWORD ReleaseExpiredHolds(std::vector<Held>* held, DWORD now, DWORD timeout) {
  for (size_t i = 0; i < held->size();) {
    const Held& file = (*held)[i];
    if (static_cast<LONG>(file.until - now) <= 0) {
      CloseHandle(file.file);
      held->erase(held->begin() + i);
      continue;
    }
    if (file.until - now < timeout) timeout = file.until - now;
    ++i;
  }
  return timeout;
}
