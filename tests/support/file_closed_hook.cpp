#include "tests/support/file_closed_hook.h"

#include "platform/files/file_closed.h"

void (*fileClosedHook)(const char* path) = nullptr;

void NoteFileClosed(const char* path) {
  if (fileClosedHook) fileClosedHook(path);
}

void NoteFileClosedW(const WCHAR*) {}
