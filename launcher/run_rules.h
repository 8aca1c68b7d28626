// The update run's decisions, apart from the calls that feed them.
#pragma once
#include <cstdint>

// The bar's position in percent, or `last` when the total gives none.
int32_t ProgressPosition(int32_t progressCount, int32_t progressTotal, int32_t last);
// Status 8 for a data stage's code reported once it had started working,
// else 9.
uint32_t StatusForReportedError(int32_t errorCode, int32_t progressCount);
// Whether `required` bytes fit in the free clusters.
bool DiskSpaceSuffices(uint64_t required, uint32_t bytesPerCluster, uint32_t freeClusters);
// NUMCOLORS is -1 for every depth above 8 bits per pixel.
bool ColoursSuffice(int numColours);
// The space the update needs next to the game data.
uint64_t RequiredDiskSpace(uint32_t gameDataSize);
