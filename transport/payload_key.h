// The key that scrambles the payload sections. The launcher builds it from
// its one start-up clock reading; the data stage rebuilds it from the
// remainder the launcher leaves in the control block.
#pragma once
#include <cstdint>

// The key constants are the data stage's: the new game executable is built
// elsewhere with its own, and the build passes them in (VT3_KEY_PERIOD,
// VT3_KEY_MULTIPLIER). The stand-in's period is a day, far longer than the
// launcher takes to reach the data stage.
constexpr int32_t kKeyPeriod = VT3_KEY_PERIOD;
constexpr uint32_t kKeyMultiplier = VT3_KEY_MULTIPLIER;
static_assert(kKeyPeriod > 0, "the key period is a positive number of seconds");

// Periods are counted with floor division, so that a clock before 1970 or
// after the 32-bit wrap in 2038 still gives a remainder in 0 .. period - 1
// and a key the data stage can rebuild.
uint32_t PayloadKeyFromTime(int32_t time);
int32_t StartTimeRemainder(int32_t time);
uint32_t RebuildPayloadKey(int32_t now, int32_t startTimeRemainder);

// Copies length bytes, each whole 32-bit little-endian word XORed with the
// key and the 0 to 3 tail bytes unchanged. Its own inverse; the destination
// may be the source itself.
void ScrambleCopyWithKey(void* destination, const void* source, uint32_t length, uint32_t key);
// The same with the process's payload key.
void ScrambleCopy(void* destination, const void* source, uint32_t length);

// One clock reading per process, taken during static initialisation, and
// the key built from it right after.
extern const int32_t startupTime;
extern const uint32_t payloadKey;
