#include "worker/joystick_record.h"

#include <windows.h>

#include "game/game_key.h"
#include "platform/files/disk_flush.h"

namespace {

constexpr char kValueName[] = "Joystick step";

bool IsHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

}  // namespace

bool ReadJoystickRecord(char* digits) {
  RegistryKey gameKey;
  if (!OpenGameKey(&gameKey, KEY_QUERY_VALUE)) return false;
  char value[kRandomDigits + 2] = {};
  DWORD type = 0, size = sizeof value - 1;
  bool read = RegQueryValueExA(gameKey.Handle(), kValueName, nullptr, &type, reinterpret_cast<BYTE*>(value), &size) ==
                  ERROR_SUCCESS &&
              type == REG_SZ;
  gameKey.Close();
  // Stored with or without its terminator.
  if (!read || size < kRandomDigits || size > kRandomDigits + 1 || (size == kRandomDigits + 1 && value[kRandomDigits]))
    return false;
  for (unsigned i = 0; i < kRandomDigits; ++i)
    if (!IsHexDigit(value[i])) return false;
  for (unsigned i = 0; i < kRandomDigits; ++i) digits[i] = value[i];
  digits[kRandomDigits] = 0;
  return true;
}

bool WriteJoystickRecord(const char* digits) {
  // RegFlushKey needs KEY_QUERY_VALUE on the handle.
  RegistryKey gameKey;
  if (!OpenGameKey(&gameKey, KEY_SET_VALUE | KEY_QUERY_VALUE)) return false;
  bool written = RegSetValueExA(gameKey.Handle(), kValueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(digits),
                                kRandomDigits + 1) == ERROR_SUCCESS &&
                 FlushKeyToDisk(gameKey.Handle()) == ERROR_SUCCESS;
  return written;
}

void RemoveJoystickRecord() {
  RegistryKey gameKey;
  if (OpenGameKey(&gameKey, KEY_SET_VALUE)) RegDeleteValueA(gameKey.Handle(), kValueName);
}
