// Names that nobody can guess ahead of us, for what an elevated program
// creates where other programs may look: a name known in advance can be
// taken first, or watched for.
#pragma once
#include <cstdint>

#include "platform/paths/update_names.h"

// Fills `bytes` from the system's cryptographic random source.
bool RandomBytes(void* bytes, uint32_t size);
// The source is taken once and kept for the names that follow. This lets
// it go, and the provider's pages with it, when no name is needed for a
// while; the next RandomBytes takes it again.
void ReleaseRandomSource();
// kRandomDigits random hexadecimal digits and a terminator.
bool RandomDigits(char* digits);
// "<directory>\<prefix><16 hexadecimal digits><extension>" (no second "\"
// after a drive root: platform/paths/path_join.h); false when it
// does not fit `size` or no random source answered.
bool RandomName(char* name, uint32_t size, const char* directory, const char* prefix, const char* extension);
