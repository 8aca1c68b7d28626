#include "launcher/run_rules.h"

#include "launcher/status.h"

int32_t ProgressPosition(int32_t progressCount, int32_t progressTotal, int32_t last) {
  if (progressTotal <= 0) return last;
  int64_t position = static_cast<int64_t>(progressCount) * 100 / progressTotal;
  if (position < 0) return 0;
  if (position > 100) return 100;
  return static_cast<int32_t>(position);
}

uint32_t StatusForReportedError(int32_t errorCode, int32_t progressCount) {
  return (progressCount >= 10 && errorCode <= 11) ? kStatusDataStageFailed : kStatusUpdateFailed;
}

bool DiskSpaceSuffices(uint64_t required, uint32_t bytesPerCluster, uint32_t freeClusters) {
  if (bytesPerCluster == 0) return true;
  return static_cast<double>(required) / bytesPerCluster < static_cast<double>(freeClusters);
}

bool ColoursSuffice(int numColours) { return numColours == -1; }

uint64_t RequiredDiskSpace(uint32_t gameDataSize) { return static_cast<uint64_t>(gameDataSize) * 3; }
