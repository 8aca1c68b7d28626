// A second process for the tests:
//   wait NAME MS        exit 0 when the mutex is taken within MS, 1 if not
//   hold NAME           take the mutex and end without releasing it
//   change PATH         try to change a file as a program swapping it would:
//                       exit code 1 when it could open it for writing, 2 when
//                       it could rename it, 4 when it could delete it (or'ed);
//                       a folder the same, as far as it can be renamed or
//                       (empty) removed
//   scan PATH MS        hold a file as a virus scanner does (reading, shared
//                       for reading only) for MS; exit 1 if it cannot
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "transport/shared_section.h"

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  if (!std::strcmp(argv[1], "change")) {
    int could = 0;
    HANDLE writer = CreateFileA(argv[2], GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    if (writer != INVALID_HANDLE_VALUE && CloseHandle(writer)) could |= 1;
    std::string moved = std::string(argv[2]) + ".moved";
    if (MoveFileA(argv[2], moved.c_str())) {
      could |= 2;
      MoveFileA(moved.c_str(), argv[2]);
    }
    if (DeleteFileA(argv[2]) || RemoveDirectoryA(argv[2])) could |= 4;
    return could;
  }
  if (!std::strcmp(argv[1], "scan") && argc == 4) {
    HANDLE file = CreateFileA(argv[2], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    Sleep(std::strtoul(argv[3], nullptr, 10));
    CloseHandle(file);
    return 0;
  }
  SharedSection section;
  if (!section.Open(argv[2])) return 3;
  if (!std::strcmp(argv[1], "wait") && argc == 4) return section.Lock(std::strtoul(argv[3], nullptr, 10)) ? 0 : 1;
  if (!std::strcmp(argv[1], "hold")) {
    if (!section.Lock(INFINITE)) return 4;
    ExitProcess(0);  // the mutex is abandoned
  }
  return 2;
}
