#pragma once
// Two texts the launcher shows, in Windows-1252, one per language column.
struct KnownText {
  const char* label;
  const char* texts[6];
};

inline const KnownText kKnownTexts[] = {
    {"LT_UPDATE_DISQUE_DUR",
     {"There is not enough space on your hard disk.",
      "Vous n\x92" "avez pas assez de place sur votre disque dur.",
      "Es ist nicht gen\xFCgend Festplattenplatz vorhanden.",
      "No hay suficiente espacio libre en tu disco duro.",
      "Non hai abbastanza spazio libero su disco.",
      "Det finns inte tillr\xE4" "ckligt med utrymme p\xE5 din h\xE5rddisk."}},
    {"LT_UPDATE_FIN_OPERATION",
     {"Operation completed", "Op\xE9ration termin\xE9" "e", "Vorgang beendet", "Operaci\xF3n completada",
      "Operazione completata", "Operationen klar"}},
};

// Checks the loaded shipped table; returns an empty string or what is wrong.
#include <cstring>
#include <string>

#include "localisation/string_table.h"

inline std::string CheckShippedTable(StringTable& table) {
  if (table.RowCount() != 72) return "rows: " + std::to_string(table.RowCount());
  if (std::strcmp(table.Label(0), "LT_UPDATE_VTINSTALL") != 0) return "first label";
  if (std::strcmp(table.Label(71), "LT_UPDATE_ADMINISTRATEUR") != 0) return "last label";
  if (std::strcmp(table.Label(6), "LT_UPDATE _TELE_ERROR") != 0) return "blank label";
  for (int32_t row = 0; row < table.RowCount(); ++row)
    for (int32_t column = 0; column < 6; ++column)
      if (!table.Text(row, column)) return std::string("empty cell in ") + table.Label(row);
  for (int32_t language = 0; language < 6; ++language) {
    table.SetLanguage(language);
    for (const KnownText& known : kKnownTexts) {
      const char* text = table.Lookup(known.label);
      if (!text || std::strcmp(text, known.texts[language]) != 0)
        return std::string(known.label) + " in language " + std::to_string(language);
    }
  }
  // The French note after the Swedish text is not a column.
  if (std::strchr(table.Text(71, 5), ';')) return "eighth field kept";
  // RTF documents keep their line breaks as LF.
  const char* rtf = table.Lookup("LT_UPDATE_PATCH_TEXT");
  if (!rtf || std::strncmp(rtf, "{\\rtf1", 6) != 0 || !std::strchr(rtf, '\n') || std::strchr(rtf, '\r'))
    return "rtf row";
  return "";
}
