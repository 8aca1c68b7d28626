// For platform_tests: the conversion call as Windows makes it where Wine
// does not. Windows fails WideCharToMultiByte for UTF-8 given a used-default
// flag (ERROR_INVALID_PARAMETER); Wine 8 accepts it.
#include "platform/system/ansi_text.h"

int WideToMultiByteCall(UINT codePage, const wchar_t* text, char* out, int size, BOOL* usedDefault) {
  if (codePage == CP_UTF8 && usedDefault) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  return WideCharToMultiByte(codePage, 0, text, -1, out, size, nullptr, usedDefault);
}
