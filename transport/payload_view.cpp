#include "transport/payload_view.h"

#include <windows.h>

#include "platform/system/system_library.h"
#include "platform/system/working_set.h"

namespace {

// Where the image's bytes at `rva` stand in its file, by the image's own
// section table (which nobody can change while it runs); false when the
// range is not wholly inside one section's stored bytes.
bool FileOffsetOf(HMODULE module, uintptr_t rva, uint32_t size, DWORD* offset) {
  const unsigned char* base = reinterpret_cast<const unsigned char*>(module);
  const IMAGE_DOS_HEADER* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const IMAGE_NT_HEADERS* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(nt);
  for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i, ++section) {
    uintptr_t start = section->VirtualAddress;
    if (rva < start || rva - start > section->SizeOfRawData || size > section->SizeOfRawData - (rva - start))
      continue;
    *offset = static_cast<DWORD>(section->PointerToRawData + (rva - start));
    return true;
  }
  return false;
}

typedef LONG(NTAPI* AreMappedFilesTheSameFunction)(PVOID image, PVOID file);
typedef DWORD(WINAPI* GetModuleFileNameWFunction)(HMODULE, LPWSTR, DWORD);
typedef HANDLE(WINAPI* CreateFileWFunction)(LPCWSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE);

// A view of `size` bytes at `offset` of the file `module` was mapped from,
// or null. The name may lead anywhere by now; only the kernel's word that
// the view and the image share one file makes it ours.
void* MapOwnFile(HMODULE module, DWORD offset, uint32_t size, DWORD* skip) {
  if (!IsWindowsNT()) return nullptr;  // stubs only, and no boundary to keep
  auto same = LookUpFunction<AreMappedFilesTheSameFunction>(GetModuleHandleA("ntdll.dll"), "NtAreMappedFilesTheSame");
  auto name = KernelFunction<GetModuleFileNameWFunction>("GetModuleFileNameW");
  auto open = KernelFunction<CreateFileWFunction>("CreateFileW");
  wchar_t path[MAX_PATH];
  DWORD length = same && name && open ? name(module, path, MAX_PATH) : 0;
  if (length == 0 || length >= MAX_PATH) return nullptr;
  HANDLE file = open(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return nullptr;
  HANDLE mapping = CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
  CloseHandle(file);
  if (!mapping) return nullptr;
  SYSTEM_INFO system;
  GetSystemInfo(&system);
  *skip = offset % system.dwAllocationGranularity;
  void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, offset - *skip, *skip + size);
  CloseHandle(mapping);  // the view keeps the mapping
  if (view && same(module, view) != 0) {
    UnmapViewOfFile(view);
    view = nullptr;
  }
  return view;
}

}  // namespace

bool LoadPayloadResource(uint32_t id, const char* type, const char* moduleName, const void** bytes,
                         uint32_t* size) {
  *bytes = nullptr;
  *size = 0;
  HMODULE module = moduleName ? GetModuleHandleA(moduleName) : GetModuleHandleA(nullptr);
  if (!module) return false;
  HRSRC info = FindResourceA(module, MAKEINTRESOURCEA(id), type);
  if (!info) return false;
  HGLOBAL loaded = LoadResource(module, info);
  if (!loaded) return false;
  const void* locked = LockResource(loaded);
  DWORD length = SizeofResource(module, info);
  if (!locked || length == 0) return false;
  *bytes = locked;
  *size = length;
  return true;
}

bool PayloadView::Open(uint32_t id) {
  const void* image;
  uint32_t length;
  if (view || bytes || !LoadPayloadResource(id, "BINARY", nullptr, &image, &length)) return false;
  bytes = static_cast<const unsigned char*>(image);
  size = length;
  HMODULE module = GetModuleHandleA(nullptr);
  DWORD offset, skip = 0;
  if (FileOffsetOf(module, reinterpret_cast<uintptr_t>(image) - reinterpret_cast<uintptr_t>(module), size, &offset))
    view = MapOwnFile(module, offset, size, &skip);
  if (view) bytes = static_cast<const unsigned char*>(view) + skip;
  return true;
}

PayloadView::~PayloadView() {
  if (view) UnmapViewOfFile(view);
  else if (bytes) LeaveWorkingSet(bytes, size);
}
