// A program that asks for what Windows 98 and NT 4.0 lack: a function they
// do not export, one 98 is not documented to export (imported instead of
// looked up), and wake bits they do not know (QS_ALLINPUT of Windows 8's
// headers), once as a constant and once computed. The checks must name each.
#include <windows.h>

int main(int argc, char**) {
  MsgWaitForMultipleObjects(0, nullptr, FALSE, 0, 0x1CFF);
  MsgWaitForMultipleObjects(0, nullptr, FALSE, 0, static_cast<DWORD>(argc) << 10);
  if (argc > 5) InitializeAcl(nullptr, 0, ACL_REVISION);
  return static_cast<int>(GetTickCount64() & 1);
}
