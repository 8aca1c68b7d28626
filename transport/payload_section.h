// Payloads handed to the data stage in sections "VuzFshare0" and
// "VuzFshare1": a length word, then the payload scrambled with the key.
#pragma once
#include <cstdint>

#include "transport/shared_section.h"

constexpr uint32_t kPayloadHeaderSize = 4;
// How long publishing waits for a section's mutex, in milliseconds.
constexpr uint32_t kPublishLockTimeout = 5000;

// A new, filled section owned by the caller (delete it), or null.
SharedSection* PublishPayloadSection(uint32_t resourceId, int32_t sectionIndex);
