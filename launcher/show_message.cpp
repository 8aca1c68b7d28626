#include "launcher/show_message.h"

#include <windows.h>

#include <cstdlib>

#include "localisation/string_table.h"
#include "platform/system/system_library.h"

StringTable* stringTable = nullptr;

namespace {

// The table's texts are Windows-1252 whatever the player's code page.
constexpr UINT kTableCodePage = 1252;
constexpr int32_t kEnglish = 0;

bool HasByteAbove127(const char* text) {
  for (; *text; ++text)
    if (static_cast<unsigned char>(*text) >= 0x80) return true;
  return false;
}

// Shows `text`, read in `codePage`, through MessageBoxW (NT only: a stub on
// 9x); false when it cannot be converted.
bool ShowWide(const char* text, UINT codePage, UINT style) {
  WCHAR caption[64];
  if (!MultiByteToWideChar(CP_ACP, 0, kMessageCaption, -1, caption, 64)) return false;
  int length = MultiByteToWideChar(codePage, 0, text, -1, nullptr, 0);
  WCHAR* wide = length > 0 ? static_cast<WCHAR*>(std::malloc(static_cast<size_t>(length) * sizeof(WCHAR))) : nullptr;
  if (!wide) return false;
  bool converted = MultiByteToWideChar(codePage, 0, text, -1, wide, length) == length;
  if (converted) MessageBoxW(nullptr, wide, caption, style);
  std::free(wide);
  return converted;
}

}  // namespace

void ShowMessage(const char* text, unsigned char information) {
  if (!text || !*text) return;
  const char* shown = text;
  const char* english = text;
  if (stringTable) {
    const char* localised = stringTable->Lookup(text);
    if (localised) shown = localised;
    const char* inEnglish = stringTable->Lookup(text, kEnglish);
    if (inEnglish) english = inEnglish;
  }
  bool fromTable = shown != text;
  UINT style = MB_OK | MB_SETFOREGROUND | (information ? MB_ICONINFORMATION : MB_ICONERROR);
  if (IsWindowsNT()) {
    // Texts that are no label are the program's own, ASCII or the system's.
    if (ShowWide(shown, fromTable ? kTableCodePage : CP_ACP, style)) return;
    shown = english;
  } else if (fromTable && GetACP() != kTableCodePage && HasByteAbove127(shown)) {
    // 9x shows only its own code page, where 1252's accents turn into other
    // letters; the English text is ASCII.
    shown = english;
  }
  MessageBoxA(nullptr, shown, kMessageCaption, style);
}
