#include "platform/system/native_files.h"

#include <cstring>

#include "platform/system/system_library.h"

namespace {

struct CountedString {
  USHORT length;
  USHORT maximumLength;
  const wchar_t* buffer;
};
struct ObjectAttributes {
  ULONG length;
  HANDLE rootDirectory;
  CountedString* objectName;
  ULONG attributes;
  void* securityDescriptor;
  void* securityQualityOfService;
};
struct IoStatus {
  LONG status;
  ULONG_PTR information;
};
typedef LONG(NTAPI* CreateFileFunction)(HANDLE*, ACCESS_MASK, ObjectAttributes*, IoStatus*, LARGE_INTEGER*, ULONG,
                                        ULONG, ULONG, ULONG, void*, ULONG);
typedef LONG(NTAPI* SetInformationFunction)(HANDLE, IoStatus*, void*, ULONG, int);
constexpr ULONG kCaseInsensitive = 0x40;  // OBJ_CASE_INSENSITIVE, as the Win32 functions open
constexpr int kFileDispositionInformation = 13;
constexpr int kFileRenameInformation = 10;
constexpr int kFileBasicInformation = 4;
// FILE_BASIC_INFORMATION: times of zero are left as they are.
struct BasicInformation {
  LARGE_INTEGER creationTime, lastAccessTime, lastWriteTime, changeTime;
  ULONG fileAttributes;
};
// FILE_RENAME_INFORMATION with room for the longest native path.
struct RenameInformation {
  BOOLEAN replaceIfExists;
  HANDLE rootDirectory;
  ULONG fileNameLength;
  wchar_t fileName[kNativePathCapacity];
};

HMODULE Ntdll() { return IsWindowsNT() ? GetModuleHandleA("ntdll.dll") : nullptr; }

SetInformationFunction SetInformation() {
  return LookUpFunction<SetInformationFunction>(Ntdll(), "NtSetInformationFile");
}

}  // namespace

bool NativePath(const char* path, wchar_t* out, size_t capacity, USHORT* bytes) {
  *bytes = 0;
  if (capacity) out[0] = 0;
  const char* rest = path;
  const wchar_t* prefix = L"\\?" L"?\\";
  if (path[0] == '\\' && path[1] == '\\') {
    if ((path[2] == '?' || path[2] == '.') && path[3] == '\\') {
      rest = path + 4;
    } else {
      prefix = L"\\?" L"?\\UNC\\";
      rest = path + 2;
    }
  } else if (!(((path[0] | 0x20) >= 'a' && (path[0] | 0x20) <= 'z') && path[1] == ':' && path[2] == '\\')) {
    return false;  // relative, or on the current drive
  }
  size_t length = 0;
  while (prefix[length]) ++length;
  if (length >= capacity) return false;
  for (size_t i = 0; i < length; ++i) out[i] = prefix[i];
  int room = static_cast<int>(capacity - length);
  int converted = MultiByteToWideChar(CP_ACP, 0, rest, -1, out + length, room);
  if (converted <= 1) {
    out[0] = 0;
    return false;
  }
  length += converted - 1;
  *bytes = static_cast<USHORT>(length * sizeof(wchar_t));
  return true;
}

LONG NativeCreate(HANDLE* file, ACCESS_MASK access, HANDLE root, const wchar_t* name, USHORT bytes, void* security,
                  ULONG share, ULONG disposition, ULONG options) {
  *file = nullptr;
  auto create = LookUpFunction<CreateFileFunction>(Ntdll(), "NtCreateFile");
  if (!create) return kStatusNotImplemented;
  CountedString counted = {bytes, bytes, name};
  ObjectAttributes object = {sizeof object, root, &counted, kCaseInsensitive, security, nullptr};
  IoStatus status = {};
  HANDLE opened = nullptr;
  LONG result = create(&opened, access, &object, &status, nullptr, FILE_ATTRIBUTE_NORMAL, share, disposition, options,
                       nullptr, 0);
  if (result >= 0) *file = opened;
  return result;
}

bool CanRenameNatively() { return SetInformation() != nullptr; }

LONG NativeRename(HANDLE file, HANDLE root, const wchar_t* name, USHORT bytes) {
  auto setInformation = SetInformation();
  if (!setInformation) return kStatusNotImplemented;
  if (bytes > sizeof(RenameInformation::fileName)) return kStatusObjectNameInvalid;
  RenameInformation rename = {};
  rename.replaceIfExists = TRUE;
  rename.rootDirectory = root;
  rename.fileNameLength = bytes;
  std::memcpy(rename.fileName, name, bytes);
  IoStatus status = {};
  return setInformation(file, &status, &rename, sizeof rename, kFileRenameInformation);
}

bool SetAttributesOf(HANDLE file, DWORD attributes) {
  auto setInformation = SetInformation();
  if (!setInformation) return false;
  BasicInformation basic = {};
  basic.fileAttributes = attributes;
  IoStatus status = {};
  return setInformation(file, &status, &basic, sizeof basic, kFileBasicInformation) >= 0;
}

bool DeleteOnClose(HANDLE file) {
  auto setInformation = SetInformation();
  if (!setInformation) return false;
  BOOLEAN deleteFile = TRUE;
  IoStatus status = {};
  return setInformation(file, &status, &deleteFile, sizeof deleteFile, kFileDispositionInformation) >= 0;
}

ULONG OpenReparsePointOption() {
  OSVERSIONINFOA version = {};
  version.dwOSVersionInfoSize = sizeof version;
  bool reparsePoints =
      GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_NT && version.dwMajorVersion >= 5;
  return reparsePoints ? kOpenReparsePoint : 0;
}
