// The native file calls of ntdll (NT 3.1 and later), for what the Win32
// functions of the oldest Windows cannot do: create a folder and keep the
// very handle that created it, open a name inside a held folder, and
// delete through a handle. Null handles and failures on 9x.
#pragma once
#include <windows.h>

constexpr LONG kStatusNotImplemented = static_cast<LONG>(0xC0000002);
constexpr LONG kStatusNameCollision = static_cast<LONG>(0xC0000035);
constexpr LONG kStatusObjectNameInvalid = static_cast<LONG>(0xC0000033);
constexpr LONG kStatusInvalidOwner = static_cast<LONG>(0xC000005A);

constexpr ULONG kFileOpen = 1;    // FILE_OPEN
constexpr ULONG kFileCreate = 2;  // FILE_CREATE
constexpr ULONG kDirectoryFile = 0x00000001;
constexpr ULONG kSynchronousIo = 0x00000020;  // FILE_SYNCHRONOUS_IO_NONALERT
constexpr ULONG kNonDirectoryFile = 0x00000040;
// FILE_OPEN_REPARSE_POINT: Windows 2000 and later. NT 4.0 has no reparse
// points and does not document the bit, so it is not given it there.
constexpr ULONG kOpenReparsePoint = 0x00200000;
ULONG OpenReparsePointOption();

// The longest native path NativePath makes, terminator included.
constexpr size_t kNativePathCapacity = MAX_PATH + 8;

// The native form of an absolute ANSI path: "\??\C:\...";
// "\??\UNC\server\share\..." for "\\server\share\..."; "\??\..." for
// "\\?\..." or "\\.\...". Without terminator in `bytes`; false when it does not fit
// `capacity` characters or is no absolute path.
bool NativePath(const char* path, wchar_t* out, size_t capacity, USHORT* bytes);

// NtCreateFile of `name` (`bytes` long), relative to `root` when not null.
LONG NativeCreate(HANDLE* file, ACCESS_MASK access, HANDLE root, const wchar_t* name, USHORT bytes, void* security,
                  ULONG share, ULONG disposition, ULONG options);
// NtSetInformationFile's rename of what `file` holds (opened with DELETE)
// to `name` (`bytes` long, native form, or a bare name relative to `root`
// when not null), replacing what has that name. The status; below zero
// where it failed, kStatusNotImplemented without ntdll (9x).
LONG NativeRename(HANDLE file, HANDLE root, const wchar_t* name, USHORT bytes);
// Whether NativeRename can work on this system at all.
bool CanRenameNatively();
// NtSetInformationFile's basic information: the attributes of exactly
// what `file` holds (opened with FILE_WRITE_ATTRIBUTES), its times kept.
bool SetAttributesOf(HANDLE file, DWORD attributes);
// Marks a file, or an empty folder, opened with DELETE for deletion at its
// close: exactly what the handle holds, whatever its name leads to now.
bool DeleteOnClose(HANDLE file);
