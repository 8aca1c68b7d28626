#include "launcher/status_message.h"

#include <cstdio>
#include <cstring>

#include "launcher/status.h"

namespace {

const char* SpawnErrorText(int32_t error) {
  switch (error) {
    case 2: return "File or path is not found";
    case 7: return "Argument list exceeds 1024 bytes";
    case 8: return "Specified file is not executable or has invalid executable-file format";
    case 12: return "Not enough memory is available to execute new process";
    case 22: return "mode argument is invalid";
    default: return "";
  }
}

const char* DataStageErrorText(int32_t error) {
  switch (error) {
    case 1: return "Failed to locate VT3 directory: update aborts.";
    case 2: return "Vt3.dat file can not be reached: update aborts.";
    case 3: return "New data can not be reached: update aborts.";
    case 4: return "LT_UPDATE_DISQUE_DUR";
    case 5: return "Corrupted data detected: update aborts.";
    case 7: return "Not enough system resource available: update aborts.";
    case 8: return "DirectX8 creation failed: update aborts.";
    case 9: return "Addition of data failed: update aborts.";
    case 10: return "Failed to enter VT3 directory: update aborts.";
    case 11: return "Texture data cache is unreachable: update aborts.";
    default: return "Update process failed: update aborts.";
  }
}

const char* WorkerErrorText(int32_t error) {
  switch (error) {
    case 7: return "Corrupted registery data detected: update aborts.";
    case 8: return "New data can not be read: update aborts.";
    case 10: return "Can not locate directory: update aborts.";
    case 11: return "Update is older than your version of VT3.";
    case 12: return "Can not upgrade VT3 executable: upgrade aborts.";
    case 13: return "Your joystick settings may have suffered from the upgrade: please destroy joystick.ini File.";
    default: return "Update process failed: update aborts.";
  }
}

}  // namespace

bool ComposeStatusMessage(uint32_t status, int32_t detail, char* buffer, size_t size) {
  const char* text = "Update process failed: update aborts.";
  switch (status) {
    case kStatusOk: text = "LT_UPDATE_FIN_OPERATION"; break;
    case kStatusNotAdministrator: text = "LT_UPDATE_ADMINISTRATEUR"; break;
    case kStatusPayloadNotPublished:
      std::snprintf(buffer, size, "Extraction failed on file %i: update aborts.", static_cast<int>(detail));
      return false;
    case kStatusWorkerNotExtracted: text = "Extraction failed: update aborts."; break;
    case kStatusNoControlBlock: text = "Progress dialog failed: update aborts."; break;
    case kStatusWorkerNotStarted:
      std::snprintf(buffer, size, "%s%s", "Update process does not start: update aborts.", SpawnErrorText(detail));
      return false;
    case kStatusDataStageFailed: text = DataStageErrorText(detail); break;
    case kStatusUpdateFailed: text = WorkerErrorText(detail); break;
    case kStatusTooFewColours:
      text = "You need at a 16 bits screen resolution for the update to work: aborting.";
      break;
    case kStatusNoDiskSpace: text = "LT_UPDATE_DISQUE_DUR"; break;
  }
  std::snprintf(buffer, size, "%s", text);
  return status == kStatusOk;
}
