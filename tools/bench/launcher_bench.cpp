// Benchmark, run inside the same build of the launcher's resources: the
// launcher's own work from its start to the worker's start (checking the
// payloads, inflating 150, publishing 130 and 134, writing and holding the
// worker), each against its floor on the
// same bytes in the same process: zlib's uncompress into a ready buffer and
// one plain copy of each payload. Prints one line of milliseconds per run.
#include <windows.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "launcher/payload_integrity.h"
#include "platform/held_file.h"
#include "platform/private_folder.h"
#include "tools/bench/clock.h"
#include "transport/comp.h"
#include "transport/payload_resource.h"
#include "transport/payload_section.h"

namespace {

struct Resource {
  const unsigned char* bytes;
  uint32_t size;
};

Resource Load(uint32_t id) {
  const void* bytes = nullptr;
  uint32_t size = 0;
  LoadPayloadResource(id, "BINARY", nullptr, &bytes, &size);
  return {static_cast<const unsigned char*>(bytes), size};
}

}  // namespace

int main(int argc, char** argv) {
  int runs = argc > 1 ? std::atoi(argv[1]) : 5;
  Resource worker = Load(150), data = Load(130), archive = Load(134);
  if (!worker.bytes || !data.bytes || !archive.bytes) return 1;
  uint32_t rawSize;
  std::memcpy(&rawSize, worker.bytes + 4, 4);
  std::vector<unsigned char> ready(rawSize + 2), copy(archive.size > data.size ? archive.size : data.size);
  char tempDirectory[MAX_PATH], tempFile[MAX_PATH];
  GetTempPathA(MAX_PATH, tempDirectory);
  std::printf("# inflate150 publish130 publish134 write150 check | floor_uncompress floor_copy130 floor_copy134"
              " | fresh_uncompress fresh_copy130 fresh_copy134  (ms)\n");
  std::printf("# 150: %u bytes inflating to %u; 130: %u; 134: %u\n", worker.size, rawSize, data.size, archive.size);
  for (int run = -1; run < runs; ++run) {  // run -1 warms the pages of the image
    // The work, in the launcher's order.
    double c0 = Now();
    int32_t damaged = FirstDamagedPayload();
    double t0 = Now();
    SharedSection* first = PublishPayloadSection(130, 0);
    double t1 = Now();
    SharedSection* second = PublishPayloadSection(134, 1);
    double t2 = Now();
    uint32_t length = 0;
    unsigned char* inflated = InflateCompCopy(worker.bytes, worker.size, &length);
    double t3 = Now();
    PrivateFolder folder;
    HeldFile held;
    bool written = inflated && folder.Create(tempDirectory) && folder.FileName(tempFile, MAX_PATH, "tmp", ".tmp") &&
                   held.Write(tempFile, inflated, length);
    double t4 = Now();
    held.Release();
    folder.Remove();
    std::free(inflated);
    delete first;
    delete second;
    // The floor on the same bytes.
    double f0 = Now();
    uLongf produced = rawSize + 2;
    int z = uncompress(ready.data(), &produced, worker.bytes + 8, worker.size - 8);
    double f1 = Now();
    std::memcpy(copy.data(), data.bytes, data.size);
    double f2 = Now();
    std::memcpy(copy.data(), archive.bytes, archive.size);
    double f3 = Now();
    // The honest floor: the same bytes into memory and sections that, like
    // the launcher's, have just been given and were never touched.
    double h0 = Now();
    void* fresh = VirtualAlloc(nullptr, rawSize + 2, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    uLongf freshProduced = rawSize + 2;
    int freshZ = fresh ? uncompress(static_cast<Bytef*>(fresh), &freshProduced, worker.bytes + 8, worker.size - 8)
                       : Z_MEM_ERROR;
    double h1 = Now();
    bool copied = true;
    double h2 = h1, h3 = h1;
    for (const Resource* payload : {&data, &archive}) {
      HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, payload->size + 4, nullptr);
      unsigned char* view = mapping ? static_cast<unsigned char*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0))
                                    : nullptr;
      if (view) {
        std::memcpy(view, &payload->size, 4);
        std::memcpy(view + 4, payload->bytes, payload->size);
      }
      (payload == &data ? h2 : h3) = Now();
      copied = copied && view;
      if (view) UnmapViewOfFile(view);
      if (mapping) CloseHandle(mapping);
    }
    if (fresh) VirtualFree(fresh, 0, MEM_RELEASE);
    if (damaged || !first || !second || !written || z != Z_OK || freshZ != Z_OK || !copied) return 1;
    if (run >= 0)
      std::printf("%.3f %.3f %.3f %.3f %.3f | %.3f %.3f %.3f | %.3f %.3f %.3f\n", t3 - t2, t1 - t0, t2 - t1, t4 - t3,
                  t0 - c0, f1 - f0, f2 - f1, f3 - f2, h1 - h0, h2 - h1, h3 - h2);
  }
  return 0;
}
