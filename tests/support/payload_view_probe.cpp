// Started by the payload view's test: once the test has had its say about
// the file under the probe's name, reads resource 1 through a PayloadView
// and says by its exit code what it got: 0 its own file, 1 its image, 2
// bytes that are not its image's, 3 nothing.
#include <windows.h>

#include <cstring>

#include "transport/payload_view.h"

int main(int argc, char** argv) {
  if (argc < 3) return 3;
  HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, argv[1]);
  HANDLE go = OpenEventA(SYNCHRONIZE, FALSE, argv[2]);
  bool told = ready && go && SetEvent(ready) && WaitForSingleObject(go, 30000) == WAIT_OBJECT_0;
  if (ready) CloseHandle(ready);
  if (go) CloseHandle(go);
  const void* image;
  uint32_t size;
  PayloadView payload;
  if (!told || !payload.Open(1) || !LoadPayloadResource(1, "BINARY", nullptr, &image, &size)) return 3;
  if (payload.Size() != size || std::memcmp(payload.Bytes(), image, size) != 0) return 2;
  return payload.FromFile() ? 0 : 1;
}
