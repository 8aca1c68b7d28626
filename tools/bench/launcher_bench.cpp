// Benchmark, run inside the same build of the launcher's resources: the
// launcher's own work from its start to the worker's start (checking the
// payloads, publishing 130 and 134, the run folder's parents by their
// final paths, the mitigation, the earlier runs' clean-up, the run folder,
// the worker's name, inflating, writing and holding the worker through the
// launcher's own call), against its floor on the same bytes in the same
// process: zlib's uncompress into a ready buffer for each packed payload
// and one plain copy of each other. Prints one line of milliseconds per
// run. Only calls that every built revision has, so that `scripts/bench
// --base` times an older tree with this same file.
#include <windows.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "launcher/payload_integrity.h"
// Both layouts: revisions before the platform folder was split by concern
// are timed with this same file.
#if __has_include("platform/run_folder/private_folder.h")
#include "platform/files/held_file.h"
#include "platform/run_folder/earlier_run_folders.h"
#include "platform/run_folder/private_folder.h"
#include "platform/system/redirection_trust.h"
#else
#include "platform/earlier_run_folders.h"
#include "platform/held_file.h"
#include "platform/private_folder.h"
#include "platform/redirection_trust.h"
#endif
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

// A data payload's length as the data stage gets it.
uint32_t PlainLength(const Resource& payload) {
  uint32_t length = payload.size;
  if (IsCompContainer(payload.bytes, payload.size)) std::memcpy(&length, payload.bytes + 4, 4);
  return length;
}

// The payload's plain bytes into `destination`: one uncompress or one copy.
bool Unpack(const Resource& payload, unsigned char* destination) {
  if (!IsCompContainer(payload.bytes, payload.size)) {
    std::memcpy(destination, payload.bytes, payload.size);
    return true;
  }
  uLongf produced = PlainLength(payload);
  return uncompress(destination, &produced, payload.bytes + 8, payload.size - 8) == Z_OK;
}

}  // namespace

int main(int argc, char** argv) {
  int runs = argc > 1 ? std::atoi(argv[1]) : 5;
  Resource worker = Load(150), data = Load(130), archive = Load(134);
  if (!worker.bytes || !data.bytes || !archive.bytes) return 1;
  uint32_t rawSize;
  std::memcpy(&rawSize, worker.bytes + 4, 4);
  uint32_t largest = PlainLength(archive) > PlainLength(data) ? PlainLength(archive) : PlainLength(data);
  std::vector<unsigned char> ready(rawSize + 2), copy(largest);
  char tempFile[MAX_PATH];
  char gameFolder[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, gameFolder);
  std::printf("# worker150 publish130 publish134 folder name check | floor_uncompress floor_copy130 floor_copy134"
              " | fresh_uncompress fresh_copy130 fresh_copy134 | parents mitigation cleanup  (ms)\n");
  std::printf("# 150: %u bytes inflating to %u; 130: %u stored, %u plain; 134: %u stored, %u plain\n", worker.size,
              rawSize, data.size, PlainLength(data), archive.size, PlainLength(archive));
  for (int run = -1; run < runs; ++run) {  // run -1 warms the pages of the image
    // The work, in the launcher's order.
    double c0 = Now();
    int32_t damaged = FirstDamagedPayload();
    double t0 = Now();
    SharedSection* first = PublishPayloadSection(130, 0);
    double t1 = Now();
    SharedSection* second = PublishPayloadSection(134, 1);
    double t2 = Now();
    // The run folder's parents by their final paths, the mitigation (once
    // per process: later runs time only the call), the earlier runs.
    char parents[kRunFolderParents][MAX_PATH];
    int parentCount = RunFolderParents(parents, gameFolder);
    double p0 = Now();
    EnforceRedirectionTrust();
    double p1 = Now();
    PrivateFolder folder;
    bool written = parentCount > 0 && folder.Create(parents[0]);
    double t3 = Now();
    for (int i = 0; i < parentCount; ++i) RemoveEarlierRunFolders(parents[i], folder);
    double p2 = Now();
    written = written && folder.FileName(tempFile, MAX_PATH, "tmp", ".tmp");
    double t3b = Now();
    HeldFile held;
    written = written && WriteResourceToFile(150, tempFile, &held);
    double t4 = Now();
    held.Release();
    folder.Remove();
    delete first;
    delete second;
    // The floor on the same bytes: zlib's uncompress for what is packed, a
    // plain copy for what is not.
    double f0 = Now();
    uLongf produced = rawSize + 2;
    int z = uncompress(ready.data(), &produced, worker.bytes + 8, worker.size - 8);
    double f1 = Now();
    bool floorOk = Unpack(data, copy.data());
    double f2 = Now();
    floorOk = Unpack(archive, copy.data()) && floorOk;
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
      uint32_t length = PlainLength(*payload);
      HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, length + 4, nullptr);
      unsigned char* view = mapping ? static_cast<unsigned char*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0))
                                    : nullptr;
      if (view) {
        std::memcpy(view, &length, 4);
        copied = Unpack(*payload, view + 4) && copied;
      }
      (payload == &data ? h2 : h3) = Now();
      copied = copied && view;
      if (view) UnmapViewOfFile(view);
      if (mapping) CloseHandle(mapping);
    }
    if (fresh) VirtualFree(fresh, 0, MEM_RELEASE);
    if (damaged || !first || !second || !written || z != Z_OK || freshZ != Z_OK || !floorOk || !copied) return 1;
    // The first run pays what a process pays once (the random source).
    std::printf("%s%.3f %.3f %.3f %.3f %.3f %.3f | %.3f %.3f %.3f | %.3f %.3f %.3f | %.3f %.3f %.3f\n", run < 0 ? "first " : "", t4 - t3b,
                  t1 - t0, t2 - t1, t3 - p1, t3b - p2, t0 - c0, f1 - f0, f2 - f1, f3 - f2, h1 - h0, h2 - h1, h3 - h2,
                  p0 - t2, p1 - p0, p2 - t3);
  }
  return 0;
}
