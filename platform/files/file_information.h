// GetFileInformationByHandle in a file of its own, so that a test build can
// make it fail, as it does on 9x where a network redirector or a driver
// lacks the DOS call behind it.
#pragma once
#include <windows.h>

bool ReadFileInformation(HANDLE file, BY_HANDLE_FILE_INFORMATION* info);
