#pragma once
#include <cstdint>

// Outcomes of the update run; the detail is 0 unless noted.
enum UpdateStatus : uint32_t {
  kStatusOk = 0,
  kStatusNotAdministrator = 1,
  kStatusPayloadNotPublished = 4,  // detail: the payload's number, 1 or 2
  kStatusWorkerNotExtracted = 5,
  kStatusNoControlBlock = 6,
  kStatusWorkerNotStarted = 7,     // detail: the runtime's errno
  kStatusDataStageFailed = 8,      // detail: the reported error
  kStatusUpdateFailed = 9,         // detail: the reported error
  kStatusTooFewColours = 10,
  kStatusNoDiskSpace = 11,
};

// Detail of status 9 when the worker ended without reporting anything; it
// is none of the worker's codes, so the general failure text is shown.
constexpr int32_t kDetailWorkerVanished = -1;
