// A second process for the shared-section tests:
//   read NAME KEY OUT   copy a payload section out, unscrambled, under its mutex
//   wait NAME MS        exit 0 when the mutex is taken within MS, 1 if not
//   hold NAME           take the mutex and end without releasing it
//   write NAME OFFSET VALUE   store a 32-bit value in an open section
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "transport/payload_key.h"
#include "transport/payload_section.h"
#include "transport/shared_section.h"

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  SharedSection section;
  unsigned char* view = static_cast<unsigned char*>(section.Open(argv[2]));
  if (!view) return 3;
  if (!std::strcmp(argv[1], "read") && argc == 5) {
    if (!section.Lock(INFINITE)) return 4;
    uint32_t length;
    std::memcpy(&length, view, 4);
    std::vector<unsigned char> payload(length);
    ScrambleCopyWithKey(payload.data(), view + kPayloadHeaderSize, length,
                        static_cast<uint32_t>(std::strtoul(argv[3], nullptr, 16)));
    section.Unlock();
    FILE* out = std::fopen(argv[4], "wb");
    if (!out) return 5;
    std::fwrite(payload.data(), 1, payload.size(), out);
    return std::fclose(out) == 0 ? 0 : 5;
  }
  if (!std::strcmp(argv[1], "wait") && argc == 4) return section.Lock(std::strtoul(argv[3], nullptr, 10)) ? 0 : 1;
  if (!std::strcmp(argv[1], "hold")) {
    if (!section.Lock(INFINITE)) return 4;
    ExitProcess(0);  // the mutex is abandoned
  }
  if (!std::strcmp(argv[1], "write") && argc == 5) {
    uint32_t value = static_cast<uint32_t>(std::strtoul(argv[4], nullptr, 0));
    std::memcpy(view + std::strtoul(argv[3], nullptr, 0), &value, 4);
    return 0;
  }
  return 2;
}
