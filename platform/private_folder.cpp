#include "platform/private_folder.h"

#include <cstring>

#include "platform/admin_only_security.h"
#include "platform/file_helpers.h"
#include "platform/random_name.h"
#include "platform/removal_at_reboot.h"
#include "platform/system_library.h"

namespace {

constexpr int kNameAttempts = 8;

bool SameWide(const wchar_t* a, const wchar_t* b) {
  while (*a && *a == *b) ++a, ++b;
  return *a == *b;
}

}  // namespace

PrivateFolder::PrivateFolder() { path[0] = 0; }

PrivateFolder::~PrivateFolder() { Remove(); }

bool PrivateFolder::Create(const char* parent) {
  Remove();
  char base[MAX_PATH];
  if (!parent || !FormatPath(base, MAX_PATH, "%s", parent)) return false;
  size_t length = std::strlen(base);
  if (length > 0 && base[length - 1] == '\\') base[length - 1] = 0;
  // On NT the folder gets its protection in the creating call itself: set
  // afterwards, there would be a moment in which the user's inherited
  // rights let another program in.
  AdminOnlySecurity security;
  bool nt = IsWindowsNT();
  if (nt && !security.Build(true)) return false;
  bool withOwner = true;
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    char candidate[MAX_PATH];
    if (!RandomName(candidate, MAX_PATH, base, "vt3_", "")) return false;
    if (CreateDirectoryA(candidate, nt ? security.Attributes() : nullptr)) {
      std::memcpy(path, candidate, sizeof path);
      return true;
    }
    DWORD error = GetLastError();
    // Owner rights missing from the token: the creator stays owner, the
    // entries still keep everybody else out.
    if (nt && withOwner && error == ERROR_INVALID_OWNER) {
      withOwner = false;
      if (!security.Build(false)) return false;
      continue;
    }
    if (error != ERROR_ALREADY_EXISTS) return false;
  }
  return false;
}

bool PrivateFolder::FileName(char* name, DWORD size, const char* prefix, const char* extension) const {
  if (!path[0]) {
    if (size) name[0] = 0;
    return false;
  }
  return RandomName(name, size, path, prefix, extension);
}

void PrivateFolder::Remove() {
  if (!path[0]) return;
  char pattern[MAX_PATH];
  WIN32_FIND_DATAA found;
  HANDLE search = FormatPath(pattern, MAX_PATH, "%s\\*", path) ? FindFirstFileA(pattern, &found) : INVALID_HANDLE_VALUE;
  if (search != INVALID_HANDLE_VALUE) {
    do {
      char child[MAX_PATH];
      if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
          !FormatPath(child, MAX_PATH, "%s\\%s", path, found.cFileName))
        continue;
      SetFileAttributesA(child, FILE_ATTRIBUTE_NORMAL);
      // A program still running from it: it goes at the next start of Windows.
      if (!DeleteFileA(child)) RemoveAtReboot(child);
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  // Scheduled after its files, so that the folder is empty when its turn comes.
  if (!RemoveDirectoryA(path)) RemoveAtReboot(path);
  path[0] = 0;
}

bool SurvivesAnsi(const wchar_t* path) {
  char ansi[MAX_PATH];
  BOOL usedDefault = FALSE;
  if (WideCharToMultiByte(CP_ACP, 0, path, -1, ansi, MAX_PATH, nullptr, &usedDefault) <= 0 || usedDefault)
    return false;
  wchar_t back[MAX_PATH];
  return MultiByteToWideChar(CP_ACP, 0, ansi, -1, back, MAX_PATH) > 0 && SameWide(back, path);
}

bool AnsiTemporaryFolder(char* path, DWORD size) {
  if (size) path[0] = 0;
  if (!IsWindowsNT()) {
    DWORD length = GetTempPathA(size, path);
    return length > 0 && length < size;
  }
  // A stub on 9x; looked up so that only NT ever reaches it.
  typedef DWORD(WINAPI * GetTempPathWFunction)(DWORD, LPWSTR);
  auto getTempPath = KernelFunction<GetTempPathWFunction>("GetTempPathW");
  wchar_t wide[MAX_PATH];
  DWORD length = getTempPath ? getTempPath(MAX_PATH, wide) : 0;
  if (length == 0 || length >= MAX_PATH || !SurvivesAnsi(wide)) return false;
  int converted = WideCharToMultiByte(CP_ACP, 0, wide, -1, path, static_cast<int>(size), nullptr, nullptr);
  if (converted <= 0) {
    if (size) path[0] = 0;
    return false;
  }
  return true;
}
