#include "worker/file_version.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/system/system_library.h"
#include "worker/version_compare.h"

namespace {

typedef DWORD(WINAPI* GetSizeFunction)(LPCSTR, LPDWORD);
typedef BOOL(WINAPI* GetInfoFunction)(LPCSTR, DWORD, DWORD, LPVOID);
typedef BOOL(WINAPI* QueryFunction)(LPCVOID, LPCSTR, LPVOID*, PUINT);

struct VersionApi {
  GetSizeFunction getSize = nullptr;
  GetInfoFunction getInfo = nullptr;
  QueryFunction query = nullptr;
};

// version.dll is no KnownDLL: loaded from the system directory, never from
// beside the worker.
const VersionApi& Api() {
  static VersionApi api;
  static bool loaded = false;
  if (!loaded) {
    loaded = true;
    HMODULE module = LoadSystemLibrary("version.dll");
    if (module) {
      api.getSize = LookUpFunction<GetSizeFunction>(module, "GetFileVersionInfoSizeA");
      api.getInfo = LookUpFunction<GetInfoFunction>(module, "GetFileVersionInfoA");
      api.query = LookUpFunction<QueryFunction>(module, "VerQueryValueA");
    }
  }
  return api;
}

}  // namespace

bool GetFileVersionString(const char* path, char* version) {
  const VersionApi& api = Api();
  if (!api.getSize || !api.getInfo || !api.query) return false;
  DWORD handle = 0;
  DWORD size = api.getSize(path, &handle);
  if (size == 0) return false;
  void* block = std::malloc(size);
  if (!block) return false;
  bool found = false;
  if (api.getInfo(path, handle, size, block)) {
    WORD* translation = nullptr;
    UINT translationLength = 0;
    if (api.query(block, "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &translationLength) &&
        translation && translationLength >= 2 * sizeof(WORD)) {
      char query[64];
      std::snprintf(query, sizeof query, "\\StringFileInfo\\%04x%04x\\FileVersion", translation[0], translation[1]);
      char* text = nullptr;
      UINT textLength = 0;
      // The value ends at its length or at its terminator, whichever comes
      // first, and never outside the block: a malformed resource may have
      // no terminator at all.
      const char* end = static_cast<const char*>(block) + size;
      if (api.query(block, query, reinterpret_cast<void**>(&text), &textLength) && text && text >= block &&
          text < end) {
        size_t room = static_cast<size_t>(end - text);
        size_t length = strnlen(text, textLength < room ? textLength : room);
        if (length < kVersionStringSize) {
          std::memcpy(version, text, length);
          version[length] = 0;
          found = true;
        }
      }
    }
  }
  std::free(block);
  return found;
}

bool IsNewerFileVersion(const char* newPath, const char* installedPath) {
  char newVersion[kVersionStringSize];
  char installedVersion[kVersionStringSize];
  if (!GetFileVersionString(newPath, newVersion)) return false;
  if (!GetFileVersionString(installedPath, installedVersion)) return false;
  return VersionTextIsNewer(newVersion, installedVersion);
}
