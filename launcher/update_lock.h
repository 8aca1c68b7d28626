// One update at a time. The launcher owns a named mutex from the start of
// its run to its end; a section of the control block that outlives its
// launcher tells of a worker or data stage still at work.
#pragma once
#include <windows.h>

#include <cstdint>

enum LockOutcome {
  kLockTaken,        // this run is the only one
  kLockHeldByOther,  // a live launcher runs the update: end, say nothing
  kLockFailed,       // no mutex could be made or opened: refuse to run
};

class UpdateLock {
 public:
  UpdateLock() = default;
  ~UpdateLock();
  UpdateLock(const UpdateLock&) = delete;
  UpdateLock& operator=(const UpdateLock&) = delete;
  LockOutcome Take();

 private:
  HANDLE mutex = nullptr;
  bool owned = false;
};

// The mutex's name: "Global\" where the system knows session namespaces
// (Windows 2000 and later, NT 4.0 Terminal Server), where a plain name
// would be one session's only; elsewhere a "\" makes the name invalid.
const char* UpdateLockName(bool globalNamespace);
// Whether this system takes "Global\" in object names.
bool HasGlobalNamespace();

// How long a new run waits for an earlier run's worker or data stage,
// whose launcher is gone, to let go of the control block: the data stage
// itself has no bound. One definition of its own, so that a test build can
// link a shorter one.
extern const uint32_t earlierRunWait;
bool ControlBlockExists();
// True once no control block section exists (at once, normally); false
// after `earlierRunWait`. `pump` is called between looks.
bool WaitForEarlierRunToEnd(void (*pump)());

// Brings a window of another launcher of this update to the front: its
// progress dialog or its final box. False when none was found.
bool BringOtherRunToFront();
