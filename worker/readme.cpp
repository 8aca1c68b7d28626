#include "worker/readme.h"

#include <windows.h>

#include "platform/busy_retry.h"
#include "platform/file_helpers.h"
#include "platform/game_folder.h"
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
  bool last = false;
  for (const ReadMe& readMe : kReadMes) {
    char path[MAX_PATH];
    if (!JoinInFolder(path, MAX_PATH, gameDirectory, readMe.name)) {
      last = false;
      continue;
    }
    DeleteFileRetrying(path);
    last = WriteResourceToFile(readMe.id, path);
  }
  return last;
}
