#include "platform/system/ansi_text.h"

int WideToMultiByteCall(UINT codePage, const wchar_t* text, char* out, int size, BOOL* usedDefault) {
  return WideCharToMultiByte(codePage, 0, text, -1, out, size, nullptr, usedDefault);
}
