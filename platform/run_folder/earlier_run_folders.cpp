#include "platform/run_folder/earlier_run_folders.h"

#include <cstring>

#include "platform/files/file_helpers.h"
#include "platform/paths/path_join.h"
#include "platform/paths/update_names.h"
#include "platform/run_folder/run_folder_proof.h"
#include "platform/system/native_files.h"
#include "platform/system/system_library.h"

namespace {

constexpr DWORD kKind = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT;
constexpr UpdateNameForm kRunFolder = {"vt3_", "", false, false};
constexpr UpdateNameForm kRunFile = {"tmp", ".tmp", false, false};

// The first `count` characters alike, ASCII letters in either case.
bool SameLetters(const char* a, const char* b, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    char x = a[i] >= 'A' && a[i] <= 'Z' ? static_cast<char>(a[i] | 0x20) : a[i];
    char y = b[i] >= 'A' && b[i] <= 'Z' ? static_cast<char>(b[i] | 0x20) : b[i];
    if (x != y) return false;
  }
  return true;
}

struct DescriptorBuffer {
  alignas(8) unsigned char bytes[4096];
};

bool ProvenOurs(HANDLE folder, HANDLE ours) {
  DescriptorBuffer theirs, own;
  if (!ReadOwnerAndDacl(folder, theirs.bytes, sizeof theirs.bytes)) return false;
  bool ownRead = ReadOwnerAndDacl(ours, own.bytes, sizeof own.bytes);
  return ProvesRunFolder(theirs.bytes, ownRead ? own.bytes : nullptr);
}

// The files of the update's own naming directly in `folder`: a run leaves
// one, so a few are all there can be of ours.
constexpr int kMostRunFiles = 8;
struct RunFiles {
  char names[kMostRunFiles][kRandomDigits + 8];
  int count;
};

void ListRunFiles(const char* folder, RunFiles* files) {
  files->count = 0;
  char pattern[MAX_PATH];
  WIN32_FIND_DATAA found;
  HANDLE search = JoinInFolder(pattern, MAX_PATH, folder, "tmp*.tmp") ? FindFirstFileA(pattern, &found) : INVALID_HANDLE_VALUE;
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    if (!(found.dwFileAttributes & kKind) && IsUpdateName(found.cFileName, kRunFile))
      std::memcpy(files->names[files->count++], found.cFileName, std::strlen(found.cFileName) + 1);
  } while (files->count < kMostRunFiles && FindNextFileA(search, &found));
  FindClose(search);
}

// NT: opened as itself (a link is not followed on Windows; Wine follows a
// host-side link, but shows it by the name), held without delete sharing,
// its files opened inside that very folder and deleted through their
// handles, then the folder through its own. The names are listed before:
// the hold's delete access keeps any other opening of the folder out, a
// listing too, and a name that is not in the held folder opens nothing.
void RemoveHeld(const char* folder, HANDLE ours) {
  RunFiles files;
  ListRunFiles(folder, &files);
  wchar_t native[kNativePathCapacity];
  USHORT bytes = 0;
  HANDLE held = nullptr;
  if (!NativePath(folder, native, kNativePathCapacity, &bytes) ||
      NativeCreate(&held, FILE_LIST_DIRECTORY | READ_CONTROL | DELETE | SYNCHRONIZE, nullptr, native, bytes, nullptr,
                   FILE_SHARE_READ | FILE_SHARE_WRITE, kFileOpen,
                   kDirectoryFile | kSynchronousIo | OpenReparsePointOption()) < 0)
    return;
  BY_HANDLE_FILE_INFORMATION info;
  if (GetFileInformationByHandle(held, &info) && (info.dwFileAttributes & kKind) == FILE_ATTRIBUTE_DIRECTORY &&
      (GetFileAttributesA(folder) & kKind) == FILE_ATTRIBUTE_DIRECTORY && ProvenOurs(held, ours)) {
    for (int i = 0; i < files.count; ++i) {
      wchar_t wide[kRandomDigits + 8];
      size_t length = std::strlen(files.names[i]);  // the update's own form: ASCII
      for (size_t c = 0; c <= length; ++c) wide[c] = static_cast<unsigned char>(files.names[i][c]);
      HANDLE file = nullptr;
      if (NativeCreate(&file, DELETE | SYNCHRONIZE, held, wide, static_cast<USHORT>(length * sizeof(wchar_t)), nullptr,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, kFileOpen,
                       kNonDirectoryFile | kSynchronousIo | OpenReparsePointOption()) < 0)
        continue;
      DeleteOnClose(file);  // refused while a program runs from it
      CloseHandle(file);
    }
    DeleteOnClose(held);  // refused, or without effect, unless it is empty
  }
  CloseHandle(held);
}

// Windows 9x has neither links nor accounts, and opens no folders.
void RemoveUnheld(const char* folder) {
  if ((GetFileAttributesA(folder) & kKind) != FILE_ATTRIBUTE_DIRECTORY) return;
  RunFiles files;
  ListRunFiles(folder, &files);
  for (int i = 0; i < files.count; ++i) {
    char file[MAX_PATH];
    if (JoinInFolder(file, MAX_PATH, folder, files.names[i])) DeleteFileA(file);
  }
  RemoveDirectoryA(folder);
}

}  // namespace

void RemoveEarlierRunFolders(const char* parent, const PrivateFolder& current) {
  char base[MAX_PATH];
  if (!parent || !FormatPath(base, MAX_PATH, "%s", parent)) return;
  size_t length = std::strlen(base);
  while (length > 0 && base[length - 1] == '\\') base[--length] = 0;
  // The run's own folder, by its last name: random, so never another's.
  const char* ownName = current.Path();
  for (const char* c = ownName; *c; ++c)
    if (*c == '\\') ownName = c + 1;
  char pattern[MAX_PATH];
  WIN32_FIND_DATAA found;
  HANDLE search = JoinInFolder(pattern, MAX_PATH, base, "vt3_*") ? FindFirstFileA(pattern, &found) : INVALID_HANDLE_VALUE;
  if (search == INVALID_HANDLE_VALUE) return;
  bool nt = IsWindowsNT();
  do {
    char folder[MAX_PATH];
    if ((found.dwFileAttributes & kKind) != FILE_ATTRIBUTE_DIRECTORY || !IsUpdateName(found.cFileName, kRunFolder) ||
        (ownName[0] && SameLetters(ownName, found.cFileName, std::strlen(ownName) + 1)) ||
        !JoinInFolder(folder, MAX_PATH, base, found.cFileName))
      continue;
    if (nt) {
      RemoveHeld(folder, current.Hold());
    } else {
      RemoveUnheld(folder);
    }
  } while (FindNextFileA(search, &found));
  FindClose(search);
}
