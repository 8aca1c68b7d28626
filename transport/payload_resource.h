// Payloads carried as resources of the running executable.
#pragma once
#include <cstdint>

// The resource's bytes in the module image (read-only, never freed).
bool LoadPayloadResource(uint32_t id, const char* type, const char* moduleName, const void** bytes,
                         uint32_t* size);
// Writes "BINARY" resource `id` to `path`, inflated when it is a COMP
// container. False, and an existing file untouched, when the resource is
// missing or does not inflate; false when the file cannot be written whole.
bool WriteResourceToFile(uint32_t id, const char* path);
// The same, byte for byte.
bool WriteRawResourceToFile(uint32_t id, const char* path);
