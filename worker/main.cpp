#include <objbase.h>
#include <ole2.h>
#include <windows.h>

#include "platform/system/system_library.h"
#include "worker/worker_run.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  RestrictDllSearch();
  CoInitialize(nullptr);
  OleInitialize(nullptr);
  bool installed = RunWorker();
  OleUninitialize();
  CoUninitialize();
  return installed ? 1 : 0;
}
