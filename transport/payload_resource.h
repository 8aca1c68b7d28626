// Payloads carried as resources of the running executable.
#pragma once
#include <cstdint>

#include "platform/files/held_file.h"
#include "transport/payload_view.h"

// Writes "BINARY" resource `id` to `path`, inflated when it is a COMP
// container. False, and an existing file untouched, when the resource is
// missing or does not inflate; false when the file cannot be written whole
// or does not read back as written. With `hold`, the file stays held (no
// writer, no deletion) until the caller releases it. With `replacing` (a
// file that is to take another's place), false also when its bytes cannot
// be put on disk.
bool WriteResourceToFile(uint32_t id, const char* path, HeldFile* hold = nullptr, bool replacing = false);
// The same, byte for byte; with `renamable`, a hold that can rename the
// file through its handle, and on disk as with `replacing`.
bool WriteRawResourceToFile(uint32_t id, const char* path, HeldFile* hold = nullptr, bool renamable = false);
