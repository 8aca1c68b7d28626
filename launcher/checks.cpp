#include "launcher/checks.h"

#include <cstdlib>

#include "game/game_key.h"
#include "launcher/disk_free_space_call.h"
#include "launcher/run_rules.h"
#include "platform/system/account_sids.h"
#include "platform/system/system_library.h"

namespace {

bool TokenHasAdministrators(HANDLE token) {
  // The group list is read at its real size: a user in many groups is still
  // an administrator.
  DWORD size = 0;
  GetTokenInformation(token, TokenGroups, nullptr, 0, &size);
  if (size == 0) return false;
  TOKEN_GROUPS* groups = static_cast<TOKEN_GROUPS*>(std::malloc(size));
  if (!groups) return false;
  bool member = GetTokenInformation(token, TokenGroups, groups, size, &size) && GroupsIncludeAdministrators(groups);
  std::free(groups);
  return member;
}

}  // namespace

bool GroupsIncludeAdministrators(const TOKEN_GROUPS* groups) {
  PSID administrators = AdministratorsSid();
  // A filtered administrator (UAC's limited token) holds the group for
  // deny only: not enabled, it grants nothing.
  bool member = false;
  for (DWORD i = 0; i < groups->GroupCount && !member; ++i) {
    DWORD attributes = groups->Groups[i].Attributes;
    member = (attributes & SE_GROUP_ENABLED) && !(attributes & SE_GROUP_USE_FOR_DENY_ONLY) &&
             EqualSid(administrators, groups->Groups[i].Sid);
  }
  return member;
}

BOOL IsAdministrator() {
  if (!IsWindowsNT()) return TRUE;
  HANDLE token = nullptr;
  if (!OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, &token)) {
    if (GetLastError() != ERROR_NO_TOKEN) return FALSE;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return FALSE;
  }
  bool member = TokenHasAdministrators(token);
  CloseHandle(token);
  return member ? TRUE : FALSE;
}

bool IsGameInstalled() {
  RegistryKey key;
  return OpenGameKey(&key);
}

bool HasEnoughColours() {
  HDC screen = GetDC(nullptr);
  if (!screen) return true;
  bool enough = ColoursSuffice(GetDeviceCaps(screen, NUMCOLORS));
  ReleaseDC(nullptr, screen);
  return enough;
}

bool HasEnoughDiskSpace(const char* path, uint64_t required) {
  char root[] = "c:\\";
  if (path && path[0]) root[0] = path[0];
  DWORD sectorsPerCluster, bytesPerSector, freeClusters, totalClusters;
  if (!DiskFreeSpaceCall(root, &sectorsPerCluster, &bytesPerSector, &freeClusters, &totalClusters)) return true;
  return DiskSpaceSuffices(required, sectorsPerCluster * bytesPerSector, freeClusters);
}
