// Test-only worker: embedded as payload 150 in a test build of the
// launcher, it attaches to "VuzFshare" and plays the scenario the test left
// in the temporary directory, one command a line:
//   never-attach | total N | count N | error N | worker-error N | done
//   sleep MS | die | hang | verify-payloads | record PATH
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "transport/control_block.h"
#include "transport/payload_key.h"
#include "transport/payload_section.h"
#include "transport/shared_section.h"

namespace {

// Reads both payload sections back as the data stage does and checks them
// against the lengths of the stand-in payloads; 0 when they match.
int32_t VerifyPayloads(volatile ControlBlock* block) {
  uint32_t key = RebuildPayloadKey(static_cast<int32_t>(time(nullptr)), block->startTimeRemainder);
  const uint32_t expected[2] = {3591199, 3741719};
  const char magic[2][5] = {"VT3D", "BFV0"};
  for (int index = 0; index < 2; ++index) {
    char name[32];
    std::snprintf(name, sizeof name, kPayloadSectionFormat, index);
    SharedSection section;
    unsigned char* view = static_cast<unsigned char*>(section.Open(name));
    if (!view || !section.Lock(INFINITE)) return kStageNoNewData;
    uint32_t length;
    std::memcpy(&length, view, 4);
    unsigned char head[4];
    ScrambleCopyWithKey(head, view + kPayloadHeaderSize, 4, key);
    section.Unlock();
    if (length != expected[index] || std::memcmp(head, magic[index], 4) != 0) return kStageCorruptData;
  }
  return 0;
}

}  // namespace

int main() {
  char path[MAX_PATH];
  GetTempPathA(MAX_PATH, path);
  std::strncat(path, "vt3_test_scenario.txt", MAX_PATH - std::strlen(path) - 1);
  FILE* scenario = std::fopen(path, "r");
  if (!scenario) return 2;
  char line[512];
  SharedSection section;
  volatile ControlBlock* block = nullptr;
  bool attachTried = false;
  while (std::fgets(line, sizeof line, scenario)) {
    char command[64] = {};
    char argument[MAX_PATH] = {};
    if (std::sscanf(line, "%63s %259[^\r\n]", command, argument) < 1) continue;
    if (!std::strcmp(command, "never-attach")) {
      attachTried = true;
      continue;
    }
    if (!attachTried) {
      attachTried = true;
      for (int attempt = 0; attempt < 1000 && !block; ++attempt) {
        block = static_cast<volatile ControlBlock*>(section.Open(kControlSectionName));
        if (!block) Sleep(10);
      }
    }
    long value = std::strtol(argument, nullptr, 0);
    if (!std::strcmp(command, "sleep")) Sleep(static_cast<DWORD>(value));
    else if (!std::strcmp(command, "die")) ExitProcess(3);
    else if (!std::strcmp(command, "hang")) Sleep(INFINITE);
    if (!block) continue;
    if (!std::strcmp(command, "total")) block->progressTotal = value;
    else if (!std::strcmp(command, "count")) block->progressCount = value;
    else if (!std::strcmp(command, "error")) block->errorCode = value;
    else if (!std::strcmp(command, "verify-payloads")) block->errorCode = VerifyPayloads(block);
    else if (!std::strcmp(command, "worker-error") || !std::strcmp(command, "done")) {
      if (section.Lock(INFINITE)) {
        if (!std::strcmp(command, "worker-error") && block->errorCode == 0) block->errorCode = value;
        block->doneFlag = 1;
        section.Unlock();
      }
    } else if (!std::strcmp(command, "record")) {
      FILE* out = std::fopen(argument, "w");
      if (out) {
        std::fprintf(out, "%08lx %lu %ld %ld %ld %ld %ld %08lx\n", static_cast<unsigned long>(block->tag),
                     static_cast<unsigned long>(block->sectionCount), static_cast<long>(block->progressTotal),
                     static_cast<long>(block->progressCount), static_cast<long>(block->errorCode),
                     static_cast<long>(block->doneFlag), static_cast<long>(block->startTimeRemainder),
                     static_cast<unsigned long>(block->stageTag));
        std::fclose(out);
      }
    }
  }
  std::fclose(scenario);
  return 0;
}
