// What another file's or record's place is given to must be on disk first:
// after a power cut the old one or the new one, never a name on blocks
// that were never written. The one place where the update flushes.
#pragma once
#include <windows.h>

// Whether the file's bytes are on disk, or the system cannot flush it at
// all: ERROR_INVALID_FUNCTION (a device or redirector without the request,
// NT's STATUS_INVALID_DEVICE_REQUEST), ERROR_NOT_SUPPORTED (a redirector
// or file system that refuses it) and ERROR_CALL_NOT_IMPLEMENTED (a 9x
// stub) lose nothing now. Any other failure (a full server disk, a quota,
// a lost connection) means the bytes may not be there: false.
bool FlushFileToDisk(HANDLE file);
// RegFlushKey's result: ERROR_SUCCESS once the key's values are on disk.
LONG FlushKeyToDisk(HKEY key);

// The system calls themselves, one definition of their own, so that a test
// build can link calls that record what they were given or fail.
BOOL FlushFileCall(HANDLE file);
LONG FlushKeyCall(HKEY key);
