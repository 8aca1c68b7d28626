#include "platform/run_folder/folder_creation.h"

#include "platform/system/native_files.h"

LONG CreateFolderHeld(HANDLE* folder, const wchar_t* name, USHORT bytes, void* security, ACCESS_MASK access, ULONG share) {
  return NativeCreate(folder, access, nullptr, name, bytes, security, share, kFileCreate, kDirectoryFile | kSynchronousIo);
}
