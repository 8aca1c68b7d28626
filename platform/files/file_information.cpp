#include "platform/files/file_information.h"

bool ReadFileInformation(HANDLE file, BY_HANDLE_FILE_INFORMATION* info) {
  return GetFileInformationByHandle(file, info) != 0;
}
