#include "worker/readme.h"

#include <windows.h>

#include "game/game_folder.h"
#include "platform/files/busy_retry.h"
#include "platform/files/file_helpers.h"
#include "transport/payload_resource.h"

namespace {

struct ReadMe {
  unsigned id;
  const char* name;
};

const ReadMe kReadMes[] = {
    {138, "ReadMe_v1_1_En.txt"},  {139, "ReadMe_v1_1_Fr.txt"},  {140, "ReadMe_v1_1_Ger.txt"},
    {141, "ReadMe_v1_1_Ita.txt"}, {142, "ReadMe_v1_1_Spa.txt"}, {143, "ReadMe_v1_1_Swe.txt"},
};

}  // namespace

bool WriteReadMeFiles(const char* gameDirectory) {
  bool all = true;
  for (const ReadMe& readMe : kReadMes) {
    char path[MAX_PATH];
    if (!JoinInFolder(path, MAX_PATH, gameDirectory, readMe.name)) {
      all = false;
      continue;
    }
    // A read-only ReadMe is the player's to keep: the row is done.
    DWORD attributes = GetFileAttributesA(path);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) continue;
    DeleteFileRetrying(path);
    // A name still held by a scanner after its delete cannot be made again
    // until the scanner lets go.
    if (!RetryWhileBusy([&] { return WriteResourceToFile(readMe.id, path); })) all = false;
  }
  return all;
}
