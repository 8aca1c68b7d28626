#include "platform/system/ansi_text.h"

namespace {

bool SameWide(const wchar_t* a, const wchar_t* b) {
  while (*a && *a == *b) ++a, ++b;
  return *a == *b;
}

}  // namespace

bool SurvivesCodePage(UINT codePage, const wchar_t* path) {
  char ansi[MAX_PATH];
  BOOL usedDefault = FALSE;
  // Windows refuses a used-default flag for UTF-8 (ERROR_INVALID_PARAMETER);
  // the round trip below finds what the flag would have.
  BOOL* flag = codePage == CP_UTF8 ? nullptr : &usedDefault;
  if (WideToMultiByteCall(codePage, path, ansi, MAX_PATH, flag) <= 0 || usedDefault) return false;
  wchar_t back[MAX_PATH];
  return MultiByteToWideChar(codePage, 0, ansi, -1, back, MAX_PATH) > 0 && SameWide(back, path);
}

bool SurvivesAnsi(const wchar_t* path) { return SurvivesCodePage(GetACP(), path); }

