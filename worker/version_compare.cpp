#include "worker/version_compare.h"

bool VersionTextIsNewer(const char* newVersion, const char* installedVersion) {
  const unsigned char* a = reinterpret_cast<const unsigned char*>(newVersion);
  const unsigned char* b = reinterpret_cast<const unsigned char*>(installedVersion);
  while (*a && *a == *b) ++a, ++b;
  return *a > *b;
}
