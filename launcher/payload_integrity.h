// The launcher's own payloads against the checksums recorded when it was
// built: a download damaged in transit must not reach the game's data stage.
// Only the payloads are covered, so a signature added to the file later
// leaves the check valid.
#pragma once
#include <cstdint>

// The launcher's "BINARY" resources: the data stage's two payloads, the
// packed worker, and the checksums of all three.
constexpr uint32_t kGameDataPayload = 130;
constexpr uint32_t kArchivePayload = 134;
constexpr uint32_t kWorkerPayload = 150;
constexpr uint32_t kPayloadChecksumsResource = 160;

// The number of the first payload whose bytes differ from the record (1 for
// 130, 2 for 134, 3 for 150), or 0 when all three match. A missing record
// counts as damage to the first.
int32_t FirstDamagedPayload();
