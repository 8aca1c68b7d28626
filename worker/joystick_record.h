// The working names of the joystick step: "joystick.new." and
// "joystick.old." + sixteen random hexadecimal digits in data\players, so
// that a player's own joystick.new or joystick.old is never taken for the
// update's. The digits are kept under the game key in HKEY_LOCAL_MACHINE
// (only administrators may write there), in a REG_SZ value of their own,
// "Joystick step", and are on disk before the step makes its first file:
// a run cut part-way leaves names that the next run, and only it, knows.
#pragma once

#include "platform/files/random_name.h"

// The recorded digits (kRandomDigits and a terminator); false when there is
// no record or it is not of that form.
bool ReadJoystickRecord(char* digits);
// Records `digits` and flushes the key; false when either failed.
bool WriteJoystickRecord(const char* digits);
void RemoveJoystickRecord();
