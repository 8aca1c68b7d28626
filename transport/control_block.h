// The record at the start of section "VuzFshare" that the launcher, the
// worker and the data stage share. Every field is one aligned 32-bit word,
// read and written whole; only the worker takes the section's mutex.
#pragma once
#include <cstddef>
#include <cstdint>

inline constexpr const char* kControlSectionName = "VuzFshare";
inline constexpr const char* kPayloadSectionFormat = "VuzFshare%d";
constexpr uint32_t kControlBlockSize = 88;
constexpr uint32_t kControlTag = 0x56545550;  // "PUTV"
constexpr uint32_t kStageTag = 0x50475353;    // "SSGP"
constexpr int32_t kStageProgressTotal = 1000;
constexpr int32_t kSectionZeroProgressEnd = 62;
constexpr int32_t kPayloadSectionCount = 2;

struct ControlBlock {
  uint32_t tag;
  uint32_t stageTag;
  int32_t progressTotal;
  int32_t progressCount;
  int32_t sectionCount;
  int32_t errorCode;
  uint32_t doneFlag;
  int32_t startTimeRemainder;
  uint8_t reserved1[16];
  uint8_t reserved2[37];
  uint8_t unused[3];
};

static_assert(sizeof(ControlBlock) == kControlBlockSize, "control block is 88 bytes");
static_assert(offsetof(ControlBlock, tag) == 0, "tag");
static_assert(offsetof(ControlBlock, stageTag) == 4, "stageTag");
static_assert(offsetof(ControlBlock, progressTotal) == 8, "progressTotal");
static_assert(offsetof(ControlBlock, progressCount) == 12, "progressCount");
static_assert(offsetof(ControlBlock, sectionCount) == 16, "sectionCount");
static_assert(offsetof(ControlBlock, errorCode) == 20, "errorCode");
static_assert(offsetof(ControlBlock, doneFlag) == 24, "doneFlag");
static_assert(offsetof(ControlBlock, startTimeRemainder) == 28, "startTimeRemainder");
static_assert(offsetof(ControlBlock, reserved1) == 32, "reserved1");
static_assert(offsetof(ControlBlock, reserved2) == 48, "reserved2");

// The data stage's results.
enum DataStageError : int32_t {
  kStageOk = 0,
  kStageNoGameDirectory = 1,
  kStageNoGameData = 2,
  kStageNoNewData = 3,
  kStageNoDiskSpace = 4,
  kStageCorruptData = 5,
  kStageFailed = 6,
  kStageNoResources = 7,
  kStageNoDirectX = 8,
  kStageAddDataFailed = 9,
  kStageCannotEnterDirectory = 10,
  kStageNoTextureCache = 11,
};

// The worker's own codes.
enum WorkerError : uint32_t {
  kWorkerOk = 0,
  // The data stage could not be started, crashed, or ended without taking
  // over the block: the launcher shows its general failure text, and the
  // old executable stays for another try.
  kWorkerDataStageFailed = 6,
  kWorkerBadRegistry = 7,
  kWorkerCannotWriteExecutable = 8,
  kWorkerNoDirectory = 10,
  kWorkerNotNewer = 11,
  kWorkerCannotReplace = 12,
  kWorkerJoystick = 13,
};
