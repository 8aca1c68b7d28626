#include "platform/held_folder.h"

#include <cstring>

#include "platform/system_library.h"

namespace {

// Newer than the headers the product is built with (Windows 2000).
constexpr DWORD kTagMountPoint = 0xA0000003;  // IO_REPARSE_TAG_MOUNT_POINT: junctions
constexpr DWORD kTagSymbolicLink = 0xA000000C;  // IO_REPARSE_TAG_SYMLINK
constexpr DWORD kReparsePoint = 0x400;  // FILE_ATTRIBUTE_REPARSE_POINT
constexpr DWORD kOpenReparsePoint = 0x00200000;  // FILE_FLAG_OPEN_REPARSE_POINT

// Reparse points came with Windows 2000; NT 4.0 is not given their flag.
bool HasReparsePoints() {
  OSVERSIONINFOA version = {};
  version.dwOSVersionInfoSize = sizeof version;
  return GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_NT && version.dwMajorVersion >= 5;
}

// The folder's entry: its attributes, and the kind of reparse point in
// dwReserved0. False when the entry cannot be read.
bool ReadEntry(const char* path, DWORD* attributes, DWORD* tag) {
  WIN32_FIND_DATAA entry;
  HANDLE search = FindFirstFileA(path, &entry);
  if (search == INVALID_HANDLE_VALUE) return false;
  FindClose(search);
  *attributes = entry.dwFileAttributes;
  *tag = entry.dwReserved0;
  return true;
}

// Junctions and symbolic links. Windows always names the kind of a reparse
// point; one without (Wine's host-side links) is taken for a link too.
// Other kinds (compressed, deduplicated, cloud placeholders) are no links.
bool IsLinkTag(DWORD tag) { return tag == kTagMountPoint || tag == kTagSymbolicLink || tag == 0; }

}  // namespace

HeldFolder::HeldFolder() : handle(INVALID_HANDLE_VALUE), held(false) { path[0] = 0; }

HeldFolder::~HeldFolder() { Release(); }

bool HeldFolder::Hold(const char* folder) {
  Release();
  size_t length = folder ? std::strlen(folder) : 0;
  if (length == 0 || length >= MAX_PATH) return false;
  if (!IsWindowsNT()) return held = true;
  std::memcpy(path, folder, length + 1);
  // Read access, so that the sharing counts: a handle that only reads
  // attributes would not keep anybody from renaming the folder.
  DWORD flags = FILE_FLAG_BACKUP_SEMANTICS | (HasReparsePoints() ? kOpenReparsePoint : 0);
  handle = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, flags, nullptr);
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
  bool entryRead = ReadEntry(path, &attributes, &tag);
  bool reparse = (information.dwFileAttributes & kReparsePoint) || (entryRead && (attributes & kReparsePoint));
  if (!reparse) return true;
  // A reparse point whose kind cannot be read is not followed.
  return entryRead && !IsLinkTag(tag);
}

void HeldFolder::Release() {
  if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  handle = INVALID_HANDLE_VALUE;
  held = false;
  path[0] = 0;
}
