// A named shared-memory section with the named mutex "<name>Mutex" that
// guards it between processes.
#pragma once
#include <windows.h>

#include <cstdint>

class SharedSection {
 public:
  SharedSection();
  ~SharedSection();
  SharedSection(const SharedSection&) = delete;
  SharedSection& operator=(const SharedSection&) = delete;

  // Creates the section (or attaches to an existing one of that name).
  void* Create(const char* name, uint32_t size);
  void* Open(const char* name);
  // 1 when this object now owns the mutex. An abandoned mutex gives 0 and is
  // released again, so that no process is left holding it.
  uint32_t Lock(uint32_t timeout);
  void Unlock();
  void Close();
  // Unmaps the view but keeps the section and its mutex: the content stays
  // for the processes that open it, outside this process's working set.
  void ReleaseView();
  void* View() const { return view; }
  // Create found a section of that name already there, so another process
  // owns its content.
  bool Existed() const { return existed; }

 private:
  void* MapAndPair(const char* name);

  HANDLE mappingHandle;
  void* view;
  HANDLE mutexHandle;
  uint32_t locked;
  bool existed;
};
