#include "platform/files/held_folder.h"

#include <cstring>

#include "platform/files/file_information.h"
#include "platform/files/folder_entry.h"
#include "platform/system/system_library.h"

namespace {

// Newer than the headers the product is built with (Windows 2000).
constexpr DWORD kOpenReparsePoint = 0x00200000;  // FILE_FLAG_OPEN_REPARSE_POINT
constexpr DWORD kNameSurrogate = 0x20000000;  // the bit IsReparseTagNameSurrogate tests

// Reparse points came with Windows 2000; NT 4.0 is not given their flag.
bool HasReparsePoints() {
  OSVERSIONINFOA version = {};
  version.dwOSVersionInfoSize = sizeof version;
  return GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_NT && version.dwMajorVersion >= 5;
}

// Kinds that lead to another name: every kind with the name-surrogate bit
// (junctions, symbolic links, and kinds of link yet to come), and kind 0,
// as Wine shows a link made on the host. Other kinds (compressed,
// deduplicated, cloud placeholders) keep their data in place.
bool IsLinkTag(DWORD tag) { return tag == 0 || (tag & kNameSurrogate) != 0; }

typedef HANDLE(WINAPI* CreateFileWFunction)(LPCWSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE);

}  // namespace

HeldFolder::HeldFolder() : handle(INVALID_HANDLE_VALUE), held(false), wide(false) {
  path[0] = 0;
  widePath[0] = 0;
}

HeldFolder::~HeldFolder() { Release(); }

bool HeldFolder::Hold(const char* folder) {
  Release();
  size_t length = folder ? std::strlen(folder) : 0;
  if (length == 0 || length >= MAX_PATH) return false;
  if (!IsWindowsNT()) return held = true;
  std::memcpy(path, folder, length + 1);
  // Read access, so that the sharing counts: a handle that only reads
  // attributes would not keep anybody from renaming the folder.
  return Keep(CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, HoldFlags(),
                          nullptr));
}

bool HeldFolder::HoldWide(const wchar_t* folder) {
  Release();
  size_t length = 0;
  while (folder && folder[length]) ++length;
  if (length == 0 || length >= MAX_PATH) return false;
  if (!IsWindowsNT()) return held = true;
  auto create = KernelFunction<CreateFileWFunction>("CreateFileW");
  if (!create) return false;
  for (size_t i = 0; i <= length; ++i) widePath[i] = folder[i];
  wide = true;
  return Keep(create(widePath, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, HoldFlags(),
                     nullptr));
}

DWORD HeldFolder::HoldFlags() { return FILE_FLAG_BACKUP_SEMANTICS | (HasReparsePoints() ? kOpenReparsePoint : 0); }

bool HeldFolder::Keep(HANDLE opened) {
  handle = opened;
  held = handle != INVALID_HANDLE_VALUE;
  if (!IsHeldAndPlain()) {
    Release();
    return false;
  }
  return true;
}

bool HeldFolder::Open(const char* folder) {
  Release();
  size_t length = folder ? std::strlen(folder) : 0;
  if (length == 0 || length >= MAX_PATH || !IsWindowsNT()) return false;
  // Without deletion shared (and without DELETE access of our own) nobody
  // can rename the folder or put another in its place while it is held;
  // the files inside stay free to be read, written and renamed.
  handle = CreateFileA(folder, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                       FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  BY_HANDLE_FILE_INFORMATION information;
  if (handle == INVALID_HANDLE_VALUE || !GetFileInformationByHandle(handle, &information) ||
      !(information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
    Release();
    return false;
  }
  std::memcpy(path, folder, length + 1);
  held = true;
  return true;
}

bool HeldFolder::IsHeldAndPlain() const {
  if (!held) return false;
  if (handle == INVALID_HANDLE_VALUE) return true;  // Windows 9x
  // Windows tells a link by the handle opened on the link itself; Wine
  // follows a host-side link even then, and shows it only in the entry. The
  // entry is the held folder's: held, it cannot be renamed or replaced.
  BY_HANDLE_FILE_INFORMATION information;
  if (!GetFileInformationByHandle(handle, &information) ||
      !(information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
    return false;
  DWORD attributes = 0, tag = 0;
  // An entry that cannot be read may hide a link, and a reparse point whose
  // kind cannot be read is not followed.
  bool entryRead = wide ? ReadFolderEntryW(widePath, &attributes, &tag) : ReadFolderEntry(path, &attributes, &tag);
  if (!entryRead) return false;
  bool reparse = (information.dwFileAttributes & kReparsePointAttribute) || (attributes & kReparsePointAttribute);
  return !reparse || !IsLinkTag(tag);
}

void HeldFolder::Release() {
  if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  handle = INVALID_HANDLE_VALUE;
  held = false;
  wide = false;
  path[0] = 0;
  widePath[0] = 0;
}
