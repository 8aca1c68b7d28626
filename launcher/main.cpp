#include <objbase.h>
#include <ole2.h>
#include <windows.h>

#include <new>

#include "launcher/checks.h"
#include "launcher/show_message.h"
#include "launcher/status.h"
#include "launcher/status_message.h"
#include "launcher/update_lock.h"
#include "launcher/update_run.h"
#include "localisation/language.h"
#include "localisation/string_table.h"
#include "platform/system/system_library.h"

namespace {

void EndSession() {
  delete stringTable;
  stringTable = nullptr;
  OleUninitialize();
  CoUninitialize();
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  RestrictDllSearch();
  // Before any check, section or file: a second start (a double click)
  // ends here without a word, as any text would mislead while the first
  // run does the update. Held to the very end, the final box included.
  UpdateLock lock;
  LockOutcome lockOutcome = lock.Take();
  if (lockOutcome == kLockHeldByOther) {
    BringOtherRunToFront();
    return 0;
  }
  CoInitialize(nullptr);
  OleInitialize(nullptr);
  instanceHandle = instance;
  int32_t language = GetLanguageIndex();
  stringTable = new (std::nothrow) StringTable;
  if (stringTable) {
    stringTable->Clear();
    stringTable->Load("update.csv", language, false, false);
  }
  if (!IsAdministrator()) {
    ShowMessage("LT_UPDATE_ADMINISTRATEUR", 0);
    EndSession();
    return 0;
  }
  if (!IsGameInstalled()) {
    ShowMessage("LT_UPDATE_VTINSTALL", 0);
    EndSession();
    return 0;
  }
  uint32_t status = kStatusUpdateFailed;
  int32_t detail = 0;
  // Without the mutex no run may start: it could be a second one.
  unsigned char succeeded = lockOutcome == kLockTaken ? RunUpdate(&status, &detail) : 0;
  ShowStatusMessage(status, detail);
  EndSession();
  return succeeded;
}
