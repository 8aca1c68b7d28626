// The record of an update's finishing steps, kept under the game key in
// HKEY_LOCAL_MACHINE (only administrators may write there): one REG_DWORD
// value named "Update " + the new game's FileVersion, whose bits are the
// steps done. It is written before the new game is renamed into place,
// completed after each step and removed once all are done, so that a run
// which finds the new game in place and a record of it knows what a killed
// worker left undone.
#pragma once
#include <cstdint>

enum FinishingStep : uint32_t {
  kStepReadMe = 1,
  kStepShortcuts = 2,
  kStepLobby = 4,
  kStepJoystick = 8,
};
constexpr uint32_t kAllFinishingSteps = kStepReadMe | kStepShortcuts | kStepLobby | kStepJoystick;

// False when there is no record for this version.
bool ReadStepRecord(const char* version, uint32_t* steps);
// With `flushed`, true only once the record is on disk (RegFlushKey): for
// the record a rename relies on.
bool WriteStepRecord(const char* version, uint32_t steps, bool flushed = false);
void RemoveStepRecord(const char* version);
