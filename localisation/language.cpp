#include "localisation/language.h"

int32_t LanguageIndexFromId(uint32_t languageId) {
  switch (languageId & 0xFF) {
    case 0x07: return 2;
    case 0x09: return 0;
    case 0x0A: return 3;
    case 0x0C: return 1;
    case 0x10: return 4;
    case 0x1D: return 5;
    default: return 0;
  }
}
