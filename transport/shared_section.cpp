#include "transport/shared_section.h"

#include <cstring>

SharedSection::SharedSection() : mappingHandle(nullptr), view(nullptr), mutexHandle(nullptr), locked(0), existed(false) {}

SharedSection::~SharedSection() { Close(); }

void* SharedSection::Create(const char* name, uint32_t size) {
  Close();
  if (!name) return nullptr;
  SYSTEM_INFO info;
  GetSystemInfo(&info);
  uint32_t granularity = info.dwAllocationGranularity > 1 ? info.dwAllocationGranularity : 1;
  uint64_t rounded = (static_cast<uint64_t>(size) + granularity - 1) & ~static_cast<uint64_t>(granularity - 1);
  if (rounded == 0 || rounded > 0xFFFFFFFFu) return nullptr;
  mappingHandle = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                     static_cast<DWORD>(rounded), name);
  if (!mappingHandle) return nullptr;
  bool alreadyThere = GetLastError() == ERROR_ALREADY_EXISTS;
  void* result = MapAndPair(name);
  if (!result) Close();
  existed = result && alreadyThere;
  return result;
}

void* SharedSection::Open(const char* name) {
  Close();
  if (!name) return nullptr;
  mappingHandle = OpenFileMappingA(FILE_MAP_READ | FILE_MAP_WRITE, FALSE, name);
  if (!mappingHandle) return nullptr;
  void* result = MapAndPair(name);
  if (!result) Close();
  return result;
}

void* SharedSection::MapAndPair(const char* name) {
  char mutexName[MAX_PATH];
  size_t length = std::strlen(name);
  if (length > MAX_PATH - sizeof "Mutex") return nullptr;
  view = MapViewOfFile(mappingHandle, FILE_MAP_READ | FILE_MAP_WRITE, 0, 0, 0);
  if (!view) return nullptr;
  std::memcpy(mutexName, name, length);
  std::memcpy(mutexName + length, "Mutex", sizeof "Mutex");
  // A missing mutex shows up later as a failing Lock.
  mutexHandle = CreateMutexA(nullptr, FALSE, mutexName);
  return view;
}

uint32_t SharedSection::Lock(uint32_t timeout) {
  locked = 0;
  DWORD result = WaitForSingleObject(mutexHandle, timeout);
  if (result == WAIT_OBJECT_0) locked = 1;
  // The system handed over ownership of an abandoned mutex; the caller is
  // told it is not locked, so give it back rather than hold it for ever.
  else if (result == WAIT_ABANDONED) ReleaseMutex(mutexHandle);
  return locked;
}

void SharedSection::Unlock() {
  if (locked != 1) return;
  ReleaseMutex(mutexHandle);
  locked = 0;
}

void SharedSection::ReleaseView() {
  if (view) UnmapViewOfFile(view);
  view = nullptr;
}

void SharedSection::Close() {
  ReleaseView();
  if (mappingHandle) {
    CloseHandle(mappingHandle);
    mappingHandle = nullptr;
  }
  if (mutexHandle) {
    Unlock();
    CloseHandle(mutexHandle);
    mutexHandle = nullptr;
  }
  locked = 0;
  existed = false;
}
