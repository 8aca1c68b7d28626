#pragma once
// The four texts the launcher shows, in Windows-1252, one per language column.
struct KnownText {
  const char* label;
  const char* texts[6];
};

inline const KnownText kKnownTexts[] = {
    {"LT_UPDATE_VTINSTALL",
     {"This update only runs when Vantor 3 is installed on your machine",
      "Ce programme de mise \xE0 jour ne fonctionne que lorsque Vantor 3 est install\xE9 sur votre machine",
      "Dieses Update funktioniert nur, wenn du Vantor 3 auf deinem PC installiert hast.",
      "Esta actualizaci\xF3n s\xF3lo se ejecutar\xE1 cuando Vantor 3 est\xE9 instalado en tu ordenador",
      "Questo aggiornamento funziona solo se Vantor 3 \xE8 installato sul tuo computer.",
      "Denna uppdatering fungerar endast om Vantor 3 finns installerad p\xE5 din dator"}},
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
    {"LT_UPDATE_ADMINISTRATEUR",
     {"Administrator privileges are required to be able to run Vt3update.",
      "Il est indispensable d'avoir les droits d'administrateur pour lancer Vt3update.",
      "Um das VT3-Update starten zu k\xF6nnen, werden Administratorrechte ben\xF6tigt.",
      "Es necesario tener privilegios de administrador para poder ejecutar Vt3Update.",
      "Per eseguire Vt3update \xE8 necessaria l'autorizzazione dell'amministratore.",
      "Du m\xE5ste ha administrat\xF6rsr\xE4ttighet f\xF6r att kunna k\xF6ra Vt3update."}},
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
