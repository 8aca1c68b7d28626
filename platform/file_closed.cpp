#include "platform/file_closed.h"

void NoteFileClosed(const char*) {}

void NoteFileClosedW(const WCHAR*) {}
