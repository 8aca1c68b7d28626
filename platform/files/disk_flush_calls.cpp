#include "platform/files/disk_flush.h"

BOOL FlushFileCall(HANDLE file) { return FlushFileBuffers(file); }

LONG FlushKeyCall(HKEY key) { return RegFlushKey(key); }
