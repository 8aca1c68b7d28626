// Another process for the held-file tests: tries to change a file the way a
// program swapping it would. Exit code: 1 when it could open it for
// writing, 2 when it could rename it, 4 when it could delete it (or'ed).
#include <windows.h>

#include <string>

int main(int argc, char** argv) {
  if (argc != 2) return 64;
  int could = 0;
  HANDLE writer = CreateFileA(argv[1], GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
  if (writer != INVALID_HANDLE_VALUE) {
    could |= 1;
    CloseHandle(writer);
  }
  std::string moved = std::string(argv[1]) + ".moved";
  if (MoveFileA(argv[1], moved.c_str())) {
    could |= 2;
    MoveFileA(moved.c_str(), argv[1]);
  }
  if (DeleteFileA(argv[1])) could |= 4;
  return could;
}
