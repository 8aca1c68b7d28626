// GetDiskFreeSpaceA, one definition of its own, so that a test build can
// record the root the disk check asks about (a mapped drive's final path
// has none, which Wine cannot show).
#pragma once
#include <windows.h>

BOOL DiskFreeSpaceCall(const char* root, DWORD* sectorsPerCluster, DWORD* bytesPerSector, DWORD* freeClusters,
                       DWORD* totalClusters);
