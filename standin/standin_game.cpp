// STAND-IN for the game's own program, vt3.exe, which is not part of this
// product. It exists so that the update runs end to end in tests and in
// the demo. Started with "-nosetup" while section "VuzFshare" holds the
// launcher's tag, it is the data stage as the update relies on it: it
// rebuilds the payload key, reports progress, checks and applies the two
// payloads to the game directory (its current directory) and stores its
// result in the control block. Otherwise it behaves as the game would for
// the update: it does nothing and leaves the block alone.
//
// A file "standin_fault.txt" in the game directory, written by a test or
// the benchmark, can change what it does, one command a line:
//   fail CODE AT_COUNT   report CODE once progress reaches AT_COUNT
//   crash AT_COUNT       end abruptly at AT_COUNT without a result
//   exit CODE AT_COUNT   end with exit code CODE at AT_COUNT without a
//                        result, as an abort(), an exit() of a fatal-error
//                        handler or Task Manager's "End task" would
//   cut AT_COUNT         at AT_COUNT signal the test's cut event and wait
//                        to be ended with the whole run
//   slow MS              pause MS milliseconds between progress steps
//   linger MS            stay MS milliseconds after storing the result, as
//                        a game slow to end keeps the worker waiting
//   record PATH          append the command line it was given to PATH
//   where PATH           append its own path and its current directory to PATH
//   load NAME            load the DLL NAME by bare name, as the game loads
//                        the DLLs it imports
//   ignore               end at once and leave the block alone, as a game
//                        build without the data stage would
//   selfread             read its own program file with fopen(…, "rb"), as
//                        a game's self-check or copy protection does, and
//                        report code 2 when it cannot
#include <windows.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <initializer_list>
#include <string>
#include <vector>

#include "transport/control_block.h"
#include "transport/payload_key.h"
#include "transport/payload_section.h"
#include "transport/shared_section.h"
#include "tests/support/cut_event.h"

namespace {

struct Faults {
  bool ignore = false;
  int32_t failCode = 0;
  int32_t failAt = -1;
  int32_t crashAt = -1;
  UINT exitCode = 0;
  int32_t exitAt = -1;
  int32_t cutAt = -1;
  DWORD pause = 0;
  DWORD linger = 0;
  bool selfRead = false;
};

Faults ReadFaults(const char* commandLine) {
  Faults faults;
  FILE* file = std::fopen("standin_fault.txt", "r");
  if (!file) return faults;
  char line[512];
  while (std::fgets(line, sizeof line, file)) {
    char word[32] = {};
    char rest[MAX_PATH] = {};
    long a = 0, b = 0;
    if (std::sscanf(line, "%31s", word) != 1) continue;
    if (!std::strcmp(word, "fail") && std::sscanf(line, "%*s %ld %ld", &a, &b) == 2) {
      faults.failCode = a;
      faults.failAt = b;
    } else if (!std::strcmp(word, "crash") && std::sscanf(line, "%*s %ld", &a) == 1) {
      faults.crashAt = a;
    } else if (!std::strcmp(word, "exit") && std::sscanf(line, "%*s %ld %ld", &a, &b) == 2) {
      faults.exitCode = static_cast<UINT>(a);
      faults.exitAt = b;
    } else if (!std::strcmp(word, "cut") && std::sscanf(line, "%*s %ld", &a) == 1) {
      faults.cutAt = a;
    } else if (!std::strcmp(word, "slow") && std::sscanf(line, "%*s %ld", &a) == 1) {
      faults.pause = static_cast<DWORD>(a);
    } else if (!std::strcmp(word, "linger") && std::sscanf(line, "%*s %ld", &a) == 1) {
      faults.linger = static_cast<DWORD>(a);
    } else if (!std::strcmp(word, "ignore")) {
      faults.ignore = true;
    } else if (!std::strcmp(word, "selfread")) {
      faults.selfRead = true;
    } else if (!std::strcmp(word, "load") && std::sscanf(line, "%*s %259[^\r\n]", rest) == 1) {
      LoadLibraryA(rest);
    } else if (!std::strcmp(word, "where") && std::sscanf(line, "%*s %259[^\r\n]", rest) == 1) {
      char module[MAX_PATH] = {}, directory[MAX_PATH] = {};
      GetModuleFileNameA(nullptr, module, MAX_PATH);
      GetCurrentDirectoryA(MAX_PATH, directory);
      FILE* out = std::fopen(rest, "a");
      if (out) {
        std::fprintf(out, "%s\n%s\n", module, directory);
        std::fclose(out);
      }
    } else if (!std::strcmp(word, "record") && std::sscanf(line, "%*s %259[^\r\n]", rest) == 1) {
      FILE* out = std::fopen(rest, "a");
      if (out) {
        std::fprintf(out, "%s\n", commandLine);
        std::fclose(out);
      }
    }
  }
  std::fclose(file);
  return faults;
}

class DataStage {
 public:
  DataStage(volatile ControlBlock* block, const Faults& faults) : block(block), faults(faults) {}

  // Raises the count to `count` in steps; a fault may end the stage on the
  // way, at exactly its count.
  bool Advance(int32_t count) {
    for (;;) {
      if (faults.crashAt >= 0 && reported >= faults.crashAt) ExitProcess(0xC0000005);
      if (faults.exitAt >= 0 && reported >= faults.exitAt) ExitProcess(faults.exitCode);
      if (faults.cutAt >= 0 && reported >= faults.cutAt) {
        HANDLE reached = OpenEventA(EVENT_MODIFY_STATE, FALSE, kCutEventName);
        if (reached) SetEvent(reached);
        Sleep(kCutWaitMs);
        ExitProcess(1);
      }
      if (faults.failAt >= 0 && reported >= faults.failAt) {
        result = faults.failCode;
        return false;
      }
      if (reported >= count) return true;
      int32_t next = reported + 25 < count ? reported + 25 : count;
      for (int32_t at : {faults.failAt, faults.crashAt, faults.exitAt, faults.cutAt})
        if (at > reported && at < next) next = at;
      reported = next;
      block->progressCount = reported;
      if (faults.pause) Sleep(faults.pause);
    }
  }

  bool ReadSection(int index, uint32_t key, std::vector<unsigned char>* payload) {
    char name[32];
    std::snprintf(name, sizeof name, kPayloadSectionFormat, index);
    SharedSection section;
    const unsigned char* view = static_cast<const unsigned char*>(section.Open(name));
    if (!view || !section.Lock(INFINITE)) {
      result = kStageNoNewData;
      return false;
    }
    uint32_t length;
    std::memcpy(&length, view, 4);
    MEMORY_BASIC_INFORMATION region;
    if (!VirtualQuery(view, &region, sizeof region) || length > region.RegionSize - kPayloadHeaderSize) {
      section.Unlock();
      result = kStageCorruptData;
      return false;
    }
    payload->resize(length);
    ScrambleCopyWithKey(payload->data(), view + kPayloadHeaderSize, length, key);
    section.Unlock();
    return true;
  }

  int32_t result = kStageOk;

 private:
  volatile ControlBlock* block;
  Faults faults;
  int32_t reported = 0;
};

uint32_t Read32(const std::vector<unsigned char>& bytes, size_t at) {
  return bytes[at] | (bytes[at + 1] << 8) | (bytes[at + 2] << 16) | (static_cast<uint32_t>(bytes[at + 3]) << 24);
}

bool WriteWhole(const std::string& path, const unsigned char* bytes, size_t size) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  bool ok = std::fwrite(bytes, 1, size, file) == size;
  return std::fclose(file) == 0 && ok;
}

void MakeParents(const std::string& path) {
  for (size_t i = 0; i < path.size(); ++i)
    if (path[i] == '\\') CreateDirectoryA(path.substr(0, i).c_str(), nullptr);
}

// Payload 130: "VT3D", version, body length, CRC-32 of the body, body.
int32_t ApplyGameData(const std::vector<unsigned char>& data) {
  if (data.size() < 16 || std::memcmp(data.data(), "VT3D", 4) != 0 || Read32(data, 8) != data.size() - 16 ||
      crc32(0, data.data() + 16, static_cast<uInt>(data.size() - 16)) != Read32(data, 12))
    return kStageCorruptData;
  if (GetFileAttributesA("datafiles") == INVALID_FILE_ATTRIBUTES) return kStageNoGameDirectory;
  SetFileAttributesA("datafiles\\vt3.dat", FILE_ATTRIBUTE_NORMAL);
  return WriteWhole("datafiles\\vt3.dat", data.data(), data.size()) ? kStageOk : kStageNoGameData;
}

// Payload 134: "BFV0", count, then name length, name, size, CRC-32, bytes.
int32_t ApplyArchive(const std::vector<unsigned char>& archive, DataStage& stage) {
  if (archive.size() < 8 || std::memcmp(archive.data(), "BFV0", 4) != 0) return kStageCorruptData;
  uint32_t count = Read32(archive, 4);
  size_t at = 8;
  for (uint32_t i = 0; i < count; ++i) {
    if (at + 2 > archive.size()) return kStageCorruptData;
    size_t nameLength = archive[at] | (archive[at + 1] << 8);
    at += 2;
    if (nameLength == 0 || nameLength >= MAX_PATH || at + nameLength + 8 > archive.size()) return kStageCorruptData;
    std::string name(reinterpret_cast<const char*>(&archive[at]), nameLength);
    at += nameLength;
    uint32_t size = Read32(archive, at), crc = Read32(archive, at + 4);
    at += 8;
    if (size > archive.size() - at || crc32(0, &archive[at], size) != crc) return kStageCorruptData;
    if (name.find("..") != std::string::npos || name.find(':') != std::string::npos || name[0] == '\\')
      return kStageCorruptData;
    MakeParents(name);
    if (!WriteWhole(name, &archive[at], size)) return kStageAddDataFailed;
    at += size;
    if (!stage.Advance(kSectionZeroProgressEnd + static_cast<int32_t>((kStageProgressTotal - kSectionZeroProgressEnd) *
                                                                      (i + 1) / count)))
      return stage.result;
  }
  return kStageOk;
}

// Opens its own program file as the runtime's fopen does (sharing reading
// and writing, not deletion) and reads its first bytes.
bool ReadsItself() {
  char module[MAX_PATH] = {};
  if (!GetModuleFileNameA(nullptr, module, MAX_PATH)) return false;
  FILE* self = std::fopen(module, "rb");
  if (!self) return false;
  char signature[2] = {};
  bool read = std::fread(signature, 1, 2, self) == 2 && signature[0] == 'M' && signature[1] == 'Z';
  std::fclose(self);
  return read;
}

void RunDataStage(volatile ControlBlock* block, const Faults& faults) {
  uint32_t key = RebuildPayloadKey(static_cast<int32_t>(static_cast<int64_t>(std::time(nullptr))),
                                   block->startTimeRemainder);
  int32_t sections = block->sectionCount;
  block->progressTotal = kStageProgressTotal;
  block->progressCount = 0;
  block->stageTag = kStageTag;
  DataStage stage(block, faults);
  std::vector<unsigned char> payload;
  if (faults.selfRead && !ReadsItself()) stage.result = kStageNoGameData;
  if (sections >= 1 && stage.result == kStageOk) {
    if (stage.ReadSection(0, key, &payload) && stage.Advance(30)) {
      stage.result = ApplyGameData(payload);
      if (stage.result == kStageOk) stage.Advance(kSectionZeroProgressEnd);
    }
  }
  if (sections >= 2 && stage.result == kStageOk) {
    if (stage.ReadSection(1, key, &payload)) stage.result = ApplyArchive(payload, stage);
  }
  if (stage.result == kStageOk) stage.Advance(kStageProgressTotal);
  block->errorCode = stage.result;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
  Faults faults = ReadFaults(GetCommandLineA());
  if (!std::strstr(commandLine, "-nosetup") || faults.ignore) return 0;
  SharedSection section;
  volatile ControlBlock* block = static_cast<volatile ControlBlock*>(section.Open(kControlSectionName));
  if (!block || block->tag != kControlTag) return 0;
  RunDataStage(block, faults);
  section.Close();
  if (faults.linger) Sleep(faults.linger);
  return 0;
}
