#include <objbase.h>
#include <ole2.h>
#include <windows.h>

#include <new>

#include "launcher/checks.h"
#include "launcher/show_message.h"
#include "launcher/status_message.h"
#include "launcher/update_run.h"
#include "localisation/language.h"
#include "localisation/string_table.h"
#include "platform/system_library.h"

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
  uint32_t status = 0;
  int32_t detail = 0;
  unsigned char succeeded = RunUpdate(&status, &detail);
  ShowStatusMessage(status, detail);
  EndSession();
  return succeeded;
}
