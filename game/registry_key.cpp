#include "game/registry_key.h"

#include <cstring>
#include <cwchar>

namespace {

// At most 260 bytes, the rest of the buffer zero, always terminated.
void CopyBounded(char* buffer, const char* text) {
  std::memset(buffer, 0, MAX_PATH);
  if (text) std::strncpy(buffer, text, MAX_PATH - 1);
}

// The value name as UTF-16; false when it does not convert.
bool WideName(const char* name, WCHAR* wide) { return MultiByteToWideChar(CP_ACP, 0, name, -1, wide, MAX_PATH) > 0; }

}  // namespace

RegistryKey::RegistryKey() : keyHandle(nullptr) { Assign("", ""); }

RegistryKey::RegistryKey(const char* path, const char* name) : keyHandle(nullptr) {
  Assign(path, name);
  Open();
}

RegistryKey::~RegistryKey() { Close(); }

void RegistryKey::Assign(const char* path, const char* name) {
  Close();
  CopyBounded(keyPath, path);
  CopyBounded(valueName, name);
  std::memset(valueData, 0, sizeof valueData);
  std::memset(wideData, 0, sizeof wideData);
}

bool RegistryKey::Open() { return OpenWith(KEY_ALL_ACCESS); }

bool RegistryKey::OpenWith(REGSAM access) {
  Close();
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, access, &keyHandle) == ERROR_SUCCESS) return true;
  keyHandle = nullptr;
  return false;
}

bool RegistryKey::Create() {
  Close();
  char emptyClass[] = "";
  if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, emptyClass, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                      &keyHandle, nullptr) == ERROR_SUCCESS)
    return true;
  keyHandle = nullptr;
  return false;
}

bool RegistryKey::Close() {
  if (!keyHandle) return true;
  LONG result = RegCloseKey(keyHandle);
  keyHandle = nullptr;
  return result == ERROR_SUCCESS;
}

const char* RegistryKey::GetString() {
  if (!keyHandle) return nullptr;
  std::memset(valueData, 0, sizeof valueData);
  DWORD type = 0;
  DWORD size = sizeof valueData;
  if (RegQueryValueExA(keyHandle, valueName, nullptr, &type, reinterpret_cast<BYTE*>(valueData), &size) !=
          ERROR_SUCCESS ||
      type != REG_SZ)
    return nullptr;
  // A value stored without its terminator, and filling the buffer, has no room for one.
  if (size == sizeof valueData && valueData[sizeof valueData - 1] != 0) return nullptr;
  return valueData;
}

bool RegistryKey::SetString(const char* text) {
  if (!keyHandle || !text || std::strlen(text) >= MAX_PATH) return false;
  CopyBounded(valueData, text);
  return RegSetValueExA(keyHandle, valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(valueData),
                        static_cast<DWORD>(std::strlen(valueData) + 1)) == ERROR_SUCCESS;
}

const WCHAR* RegistryKey::GetWideString() {
  WCHAR name[MAX_PATH];
  if (!keyHandle || !WideName(valueName, name)) return nullptr;
  std::memset(wideData, 0, sizeof wideData);
  DWORD type = 0;
  DWORD size = sizeof wideData;
  if (RegQueryValueExW(keyHandle, name, nullptr, &type, reinterpret_cast<BYTE*>(wideData), &size) != ERROR_SUCCESS ||
      type != REG_SZ)
    return nullptr;
  if (size >= sizeof wideData - 1 && wideData[MAX_PATH - 1] != 0) return nullptr;
  return wideData;
}

bool RegistryKey::SetWideString(const WCHAR* text) {
  WCHAR name[MAX_PATH];
  size_t length = text ? std::wcslen(text) : MAX_PATH;
  if (!keyHandle || length >= MAX_PATH || !WideName(valueName, name)) return false;
  std::memset(wideData, 0, sizeof wideData);
  std::memcpy(wideData, text, length * sizeof(WCHAR));
  return RegSetValueExW(keyHandle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(wideData),
                        static_cast<DWORD>((length + 1) * sizeof(WCHAR))) == ERROR_SUCCESS;
}

bool RegistryKey::Delete() {
  if (!keyHandle) return true;
  if (valueName[0]) return RegDeleteValueA(keyHandle, valueName) == ERROR_SUCCESS;
  LONG result = RegDeleteKeyA(keyHandle, "");
  Close();
  return result == ERROR_SUCCESS;
}
