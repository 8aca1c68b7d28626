// A folder held open for a run, so that it can be neither renamed nor
// replaced meanwhile, and names can be given relative to it: what they
// reach then no longer depends on the path above the folder.
#pragma once
#include <windows.h>

class HeldFolder {
 public:
  HeldFolder();
  ~HeldFolder();
  HeldFolder(const HeldFolder&) = delete;
  HeldFolder& operator=(const HeldFolder&) = delete;

  // Opens the folder `path` for reading, sharing reading and writing but
  // not deletion. False, holding nothing, where it is no folder or cannot
  // be opened, and on 9x, which opens no folders.
  bool Open(const char* path);
  // The held folder's handle, or INVALID_HANDLE_VALUE.
  HANDLE Handle() const { return handle; }
  void Release();

 private:
  HANDLE handle;
};
