// One key under HKEY_LOCAL_MACHINE and one text value in it.
#pragma once
#include <windows.h>

class RegistryKey {
 public:
  // Opens nothing: Assign, then Open or OpenWith.
  RegistryKey();
  RegistryKey(const char* keyPath, const char* valueName);
  ~RegistryKey();
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;

  void Assign(const char* keyPath, const char* valueName);
  // With KEY_ALL_ACCESS.
  bool Open();
  // With no more than `access`, for a caller that only reads or writes values.
  bool OpenWith(REGSAM access);
  bool Create();
  bool Close();
  // The value's text, valid until the next operation; null unless REG_SZ
  // that fits 260 bytes.
  const char* GetString();
  // Texts of 260 characters or more are refused.
  bool SetString(const char* text);
  // The same as UTF-16, for texts the code page cannot hold. NT only: the
  // wide registry functions are stubs on 9x.
  const WCHAR* GetWideString();
  bool SetWideString(const WCHAR* text);
  // With an empty value name, deletes the key itself and closes it.
  bool Delete();
  bool IsOpen() const { return keyHandle != nullptr; }
  // For values of other types than text; null when not open.
  HKEY Handle() const { return keyHandle; }

 private:
  char keyPath[MAX_PATH];
  char valueName[MAX_PATH];
  char valueData[MAX_PATH];
  WCHAR wideData[MAX_PATH];
  HKEY keyHandle;
};
