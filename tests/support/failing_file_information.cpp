// For a test build: the query of a file's links fails, as the DOS call
// behind it does on 9x with some network redirectors and drivers.
#include "platform/files/file_information.h"

bool ReadFileInformation(HANDLE, BY_HANDLE_FILE_INFORMATION*) {
  SetLastError(ERROR_INVALID_FUNCTION);
  return false;
}
