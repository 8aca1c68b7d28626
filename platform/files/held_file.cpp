#include "platform/files/held_file.h"

#include <zlib.h>

#include <cstring>

#include "platform/files/disk_flush.h"
#include "platform/files/file_closed.h"
#include "platform/files/file_information.h"
#include "platform/files/file_write.h"
#include "platform/system/native_files.h"
#include "platform/system/system_library.h"

namespace {

// Reads the file from its start, handing each piece and its offset to
// `check`; true when `size` bytes came back, no more, and every piece passed.
template <typename Check>
bool ReadsBack(HANDLE file, uint32_t size, Check check) {
  if (SetFilePointer(file, 0, nullptr, FILE_BEGIN) != 0) return false;
  unsigned char chunk[65536];
  uint32_t read = 0;
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(file, chunk, sizeof chunk, &got, nullptr)) return false;
    if (got == 0) return read == size;
    if (got > size - read || !check(chunk, got, read)) return false;
    read += got;
  }
}

bool ReadsBackAs(HANDLE file, const void* bytes, uint32_t size) {
  const unsigned char* expected = static_cast<const unsigned char*>(bytes);
  return ReadsBack(file, size, [&](const unsigned char* chunk, DWORD got, uint32_t at) {
    return std::memcmp(chunk, expected + at, got) == 0;
  });
}

// The bytes as read back have the length and CRC-32 of those written.
bool ReadsBackSummed(HANDLE file, const PieceSink& written) {
  uLong crc = crc32(0, Z_NULL, 0);
  return ReadsBack(file, written.size,
                   [&](const unsigned char* chunk, DWORD got, uint32_t) {
                     crc = crc32(crc, chunk, got);
                     return true;
                   }) &&
         static_cast<uint32_t>(crc) == written.crc;
}

// A second name would let whoever made it change the file once we let go,
// or mean that we wrote into somebody else's file. On 9x the query is a DOS
// call that some network redirectors and drivers lack; there a file that
// cannot tell has one link, as every file of FAT has.
bool HasOneLink(HANDLE file, BY_HANDLE_FILE_INFORMATION* info) {
  if (!ReadFileInformation(file, info)) return !IsWindowsNT();
  return info->nNumberOfLinks == 1;
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

// The Win32 error of a failed native call, as far as a retry needs it: a
// file another program has open, or one that cannot go yet.
DWORD ErrorOf(LONG status) {
  switch (static_cast<ULONG>(status)) {
    case 0xC0000043:  // STATUS_SHARING_VIOLATION
      return ERROR_SHARING_VIOLATION;
    case 0xC0000022:  // STATUS_ACCESS_DENIED
    case 0xC0000056:  // STATUS_DELETE_PENDING
    case 0xC0000121:  // STATUS_CANNOT_DELETE
      return ERROR_ACCESS_DENIED;
    default:
      return ERROR_GEN_FAILURE;
  }
}

}  // namespace

bool PieceSink::Put(const void* bytes, uint32_t length) {
  if (length > UINT32_MAX - size || !WriteAll(file, bytes, length)) return false;
  crc = static_cast<uint32_t>(crc32(crc, static_cast<const Bytef*>(bytes), length));
  size += length;
  return true;
}

// How the bytes get into the file, and how the read-back checks them.
struct HeldFile::Content {
  const void* bytes;  // all of them at once, compared byte for byte
  uint32_t size;
  PieceProducer produce;  // or made in pieces, checked by their sum
  void* context;
};

HeldFile::HeldFile()
    : handle(INVALID_HANDLE_VALUE), bridge(INVALID_HANDLE_VALUE), bridging(false), renamable(false), deletable(false),
      identity(), path() {}

HeldFile::~HeldFile() { Release(); }

void HeldFile::Release() {
  if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
  handle = INVALID_HANDLE_VALUE;
  EndBridge();
  bridging = false;
}

void HeldFile::EndBridge() {
  if (bridge != INVALID_HANDLE_VALUE) CloseHandle(bridge);
  bridge = INVALID_HANDLE_VALUE;
}

bool HeldFile::Write(const char* path, const void* bytes, uint32_t size, bool renamable, bool replacing) {
  Content content = {bytes, size, nullptr, nullptr};
  return WriteContent(path, content, renamable, replacing);
}

bool HeldFile::WriteProduced(const char* path, PieceProducer produce, void* context, bool renamable,
                             bool replacing) {
  Content content = {nullptr, 0, produce, context};
  return WriteContent(path, content, renamable, replacing);
}

bool HeldFile::WriteContent(const char* path, const Content& content, bool renamable, bool replacing) {
  Release();
  this->renamable = deletable = false;
  // A renamable file is taken again by its name for the rename.
  if (renamable && std::strlen(path) >= sizeof this->path) return false;
  // Created here or not at all: never written through a name somebody else
  // prepared, which may be a link to any file of the system.
  HANDLE writer = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (writer == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION written;
  PieceSink sink = {writer, static_cast<uint32_t>(crc32(0, Z_NULL, 0)), 0};
  bool made = content.produce ? content.produce(content.context, &sink) : WriteAll(writer, content.bytes, content.size);
  // On disk before anything puts the file in place of another. NT's
  // CloseHandle does not report the cache's failure to write it out, and
  // the read-back below reads the cache: the flush is the only word.
  if (!made || !HasOneLink(writer, &written) ||
      (replacing && !FlushFileToDisk(writer))) {
    CloseHandle(writer);
    DeleteFileA(path);
    return false;
  }
  // Windows starts no program from a file open for writing, and reopening
  // a handle without a name (ReOpenFile) is Vista and later. So a bridge
  // that refuses deletion keeps the name on this file while the writer
  // closes; the held handle then refuses writers too. Until the data stage
  // has ended nothing of ours shares deletion, so the name cannot be taken
  // from this file; a link added meanwhile shows in the check below, and
  // whatever else another program managed in the read-back.
  HANDLE bridge = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  bool closed = CloseHandle(writer) != 0;  // a full disk may show only now
  NoteFileClosed(path);
  HANDLE held = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (bridge != INVALID_HANDLE_VALUE) CloseHandle(bridge);
  bool kept = held != INVALID_HANDLE_VALUE && closed && SameFile(written, held) &&
              (content.produce ? ReadsBackSummed(held, sink) : ReadsBackAs(held, content.bytes, content.size));
  if (!kept) {
    if (held != INVALID_HANDLE_VALUE) CloseHandle(held);
    // Deleting a name never touches the file another name may lead to.
    DeleteFileA(path);
    return false;
  }
  handle = held;
  identity = written;
  if (renamable) std::memcpy(this->path, path, std::strlen(path) + 1);
  this->renamable = renamable;
  return true;
}

// The read-only hold gives way to one with the right to rename the file.
// Both cannot stand at once, and another program may have the file open
// (a scanner busy with the program the data stage ran), so: a bridge that
// shares deletion and nothing else keeps writers out while the hold
// closes, the file is opened again by its name, and it must still be the
// file written, with this one link. A busy file fails with its error and
// the bridge standing: the caller's retry takes it from there, so that
// the rename has one loop of waits, not two.
bool HeldFile::TakeForRename() {
  if (deletable) return true;
  if (!renamable || (handle == INVALID_HANDLE_VALUE && !bridging)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return false;
  }
  if (!bridging) {
    bridge = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
    CloseHandle(handle);
    handle = INVALID_HANDLE_VALUE;
    bridging = true;
    NoteFileClosed(path);
  }
  HANDLE reopened = CreateFileA(path, GENERIC_READ | DELETE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
  if (reopened == INVALID_HANDLE_VALUE) return false;
  EndBridge();
  bridging = false;
  if (!SameFile(identity, reopened)) {
    CloseHandle(reopened);
    SetLastError(ERROR_FILE_INVALID);
    return false;
  }
  handle = reopened;
  deletable = true;
  return true;
}

bool HeldFile::CanRename() { return CanRenameNatively(); }

bool HeldFile::RenameReplacing(HANDLE folder, const char* target) {
  if (!CanRenameNatively() || !TakeForRename()) return false;
  wchar_t name[kNativePathCapacity];
  USHORT bytes = 0;
  // A bare name in the held folder: no change to the path above the folder
  // can send the rename elsewhere.
  bool inFolder = folder != INVALID_HANDLE_VALUE && folder;
  if (inFolder) {
    int converted = MultiByteToWideChar(CP_ACP, 0, target, -1, name, static_cast<int>(kNativePathCapacity));
    if (converted <= 1) return false;
    bytes = static_cast<USHORT>((converted - 1) * sizeof(wchar_t));
  } else if (!NativePath(target, name, kNativePathCapacity, &bytes)) {
    SetLastError(ERROR_INVALID_NAME);
    return false;
  }
  LONG result = NativeRename(handle, inFolder ? folder : nullptr, name, bytes);
  if (result < 0) SetLastError(ErrorOf(result));
  return result >= 0;
}
