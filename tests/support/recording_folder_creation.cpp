// For a test build: the run folder's creating call, which also keeps a copy
// of the security descriptor it is given (Wine keeps none on the folder).
#include <windows.h>

#include <vector>

#include "platform/run_folder/folder_creation.h"
#include "platform/system/native_files.h"

std::vector<char> recordedFolderSecurity;

LONG CreateFolderHeld(HANDLE* folder, const wchar_t* name, USHORT bytes, void* security, ACCESS_MASK access, ULONG share) {
  recordedFolderSecurity.clear();
  DWORD size = 0;
  if (security) {
    MakeSelfRelativeSD(security, nullptr, &size);
    recordedFolderSecurity.resize(size);
    if (!MakeSelfRelativeSD(security, recordedFolderSecurity.data(), &size)) recordedFolderSecurity.clear();
  }
  return NativeCreate(folder, access, nullptr, name, bytes, security, share, kFileCreate, kDirectoryFile | kSynchronousIo);
}
