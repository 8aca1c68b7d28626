#include "launcher/show_message.h"

#include <windows.h>

#include "localisation/string_table.h"

StringTable* stringTable = nullptr;

void ShowMessage(const char* text, unsigned char information) {
  if (!text || !*text) return;
  const char* shown = text;
  if (stringTable) {
    const char* localised = stringTable->Lookup(text);
    if (localised) shown = localised;
  }
  UINT style = MB_OK | MB_SETFOREGROUND | (information ? MB_ICONINFORMATION : MB_ICONERROR);
  MessageBoxA(nullptr, shown, kMessageCaption, style);
}
