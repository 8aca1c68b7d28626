#include "platform/held_file.h"

#include <cstring>

#include "platform/file_write.h"
#include "platform/system_library.h"

namespace {

bool ReadsBackAs(HANDLE file, const void* bytes, uint32_t size) {
  if (SetFilePointer(file, 0, nullptr, FILE_BEGIN) != 0) return false;
  const unsigned char* expected = static_cast<const unsigned char*>(bytes);
  unsigned char chunk[65536];
  uint32_t compared = 0;
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(file, chunk, sizeof chunk, &got, nullptr)) return false;
    if (got == 0) return compared == size;
    if (got > size - compared || std::memcmp(chunk, expected + compared, got) != 0) return false;
    compared += got;
  }
}

// A second name would let whoever made it change the file once we let go,
// or mean that we wrote into somebody else's file.
bool HasOneLink(HANDLE file, BY_HANDLE_FILE_INFORMATION* info) {
  return GetFileInformationByHandle(file, info) && info->nNumberOfLinks == 1;
}

// Both handles name the same file. The 9x family gives no reliable file
// index, but has no hard links either, and the name cannot have changed
// while the writer refused deletion.
bool SameFile(const BY_HANDLE_FILE_INFORMATION& written, HANDLE held) {
  if (!IsWindowsNT()) return true;
  BY_HANDLE_FILE_INFORMATION info;
  return HasOneLink(held, &info) && info.dwVolumeSerialNumber == written.dwVolumeSerialNumber &&
         info.nFileIndexHigh == written.nFileIndexHigh && info.nFileIndexLow == written.nFileIndexLow;
}

// The native rename of an open file, in ntdll since NT 3.1 (its Win32 form,
// SetFileInformationByHandle, is Vista and later).
struct RenameInformation {
  BOOLEAN replaceIfExists;
  HANDLE rootDirectory;
  ULONG fileNameLength;
  WCHAR fileName[MAX_PATH + 4];
};
struct IoStatus {
  LONG status;
  ULONG_PTR information;
};
typedef LONG(NTAPI* SetInformationFunction)(HANDLE, IoStatus*, void*, ULONG, int);
constexpr int kFileRenameInformation = 10;

SetInformationFunction SetInformation() {
  if (!IsWindowsNT()) return nullptr;
  return LookUpFunction<SetInformationFunction>(GetModuleHandleA("ntdll.dll"), "NtSetInformationFile");
}

}  // namespace

HeldFile::HeldFile() : handle(INVALID_HANDLE_VALUE) {}

HeldFile::~HeldFile() { Release(); }

void HeldFile::Release() {
  if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  handle = INVALID_HANDLE_VALUE;
}

bool HeldFile::Write(const char* path, const void* bytes, uint32_t size, bool renamable) {
  Release();
  // Created here or not at all: never written through a name somebody else
  // prepared, which may be a link to any file of the system.
  HANDLE writer = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (writer == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION written;
  if (!WriteAll(writer, bytes, size) || !HasOneLink(writer, &written)) {
    CloseHandle(writer);
    DeleteFileA(path);
    return false;
  }
  // Windows starts no program from a file open for writing, and reopening
  // a handle without a name (ReOpenFile) is Vista and later. So a bridge
  // that refuses deletion keeps the name on this file while the writer
  // closes; the held handle then refuses writers too. Whatever another
  // program managed in between shows in the read-back. A renamable hold
  // (NT only: 9x rejects the sharing flag) asks for deletion access, so its
  // bridge must share deletion; there the file index check below tells
  // whether the name still leads to this file.
  bool deletable = renamable && IsWindowsNT();
  HANDLE bridge = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | (deletable ? FILE_SHARE_DELETE : 0),
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  bool closed = CloseHandle(writer) != 0;  // a full disk may show only now
  DWORD access = GENERIC_READ | (deletable ? DELETE : 0);
  HANDLE held = CreateFileA(path, access, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (bridge != INVALID_HANDLE_VALUE) CloseHandle(bridge);
  if (held == INVALID_HANDLE_VALUE || !closed || !SameFile(written, held) || !ReadsBackAs(held, bytes, size)) {
    if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
    // Deleting a name never touches the file another name may lead to.
    DeleteFileA(path);
    return false;
  }
  handle = held;
  return true;
}

bool HeldFile::CanRename() { return SetInformation() != nullptr; }

bool HeldFile::RenameReplacing(HANDLE folder, const char* target) {
  SetInformationFunction setInformation = SetInformation();
  if (!setInformation || handle == INVALID_HANDLE_VALUE) return false;
  RenameInformation rename = {};
  rename.replaceIfExists = TRUE;
  int prefixLength = 0;
  if (folder != INVALID_HANDLE_VALUE && folder) {
    // A bare name in the held folder: no native prefix to build, and no
    // change to the path above the folder can send the rename elsewhere.
    rename.rootDirectory = folder;
  } else {
    // The native form of a drive or a network path ("\\server\share").
    bool network = target[0] == '\\' && target[1] == '\\';
    const WCHAR* prefix = network ? L"\\?" L"?\\UNC" : L"\\?" L"?\\";
    prefixLength = network ? 7 : 4;
    std::memcpy(rename.fileName, prefix, prefixLength * sizeof(WCHAR));
    if (network) ++target;
  }
  const int room = static_cast<int>(sizeof rename.fileName / sizeof rename.fileName[0]) - prefixLength;
  int converted = MultiByteToWideChar(CP_ACP, 0, target, -1, rename.fileName + prefixLength, room);
  if (converted <= 1) return false;
  rename.fileNameLength = static_cast<ULONG>((prefixLength + converted - 1) * sizeof(WCHAR));
  IoStatus status = {};
  return setInformation(handle, &status, &rename, sizeof rename, kFileRenameInformation) >= 0;
}
