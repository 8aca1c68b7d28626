#include "platform/files/file_closed.h"

void NoteFileClosed(const char*) {}

void NoteFileClosedW(const WCHAR*) {}
