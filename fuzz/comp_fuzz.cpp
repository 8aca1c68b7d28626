// InflateComp on arbitrary containers: never more than rawSize bytes, and
// on success exactly rawSize; inflating straight into place agrees with it.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "transport/comp.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // The decoder's two texts go to standard output; keep the fuzzer's quiet.
  std::freopen("/dev/null", "w", stdout);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > (1u << 20)) return 0;
  unsigned char* block = static_cast<unsigned char*>(std::malloc(size ? size : 1));
  std::memcpy(block, data, size);
  uint32_t length = 0;
  unsigned char* result = InflateComp(block, static_cast<uint32_t>(size), &length);
  uint32_t rawSize = 0;
  const bool container = size >= 8 && std::memcmp(data, "COMP", 4) == 0;
  if (container) std::memcpy(&rawSize, data + 4, 4);
  if (result && length != (container ? rawSize : size)) std::abort();
  volatile unsigned char sink = 0;  // every part of the result can be read
  for (uint32_t i = 0; result && i < length; i += 997) sink = sink ^ result[i];
  (void)sink;
  // Straight into a destination of the declared size: the same verdict.
  if (CompRawSize(data, static_cast<uint32_t>(size), &rawSize) && rawSize <= (16u << 20)) {
    unsigned char* destination = static_cast<unsigned char*>(std::malloc(rawSize ? rawSize : 1));
    bool inflated = InflateCompInto(data, static_cast<uint32_t>(size), destination, nullptr, nullptr);
    if (inflated != (result != nullptr) || (inflated && std::memcmp(destination, result, rawSize) != 0)) std::abort();
    std::free(destination);
  }
  std::free(result);
  return 0;
}
