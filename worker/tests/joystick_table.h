// The default joystick settings as the design tabulates them: CRLF after
// every line, tabs of 8 that put the English comment at column 24 and the
// French one at column 40. Windows-1252.
#pragma once
#include <string>

inline std::string TabsTo(size_t column, size_t target) {
  std::string tabs;
  while (column < target) {
    tabs += '\t';
    column = (column / 8 + 1) * 8;
  }
  return tabs;
}

inline std::string DefaultJoystickSettings() {
  struct Action {
    const char *key, *value, *english, *french;
  };
  const Action actions[] = {
      {"Action01", "0xc0000001", "turn left", "virer \xE0 gauche"},
      {"Action02", "0xa0000001", "turn right", "virer \xE0 droite"},
      {"Action03", "1", "accelerator", "acc\xE9l\xE9rer"},
      {"Action04", "2", "brake", "freiner"},
      {"Action05", "3", "turbo", "turbo"},
      {"Action06", "0xc0000002", "front", "avant"},
      {"Action07", "0xa0000002", "back", "arri\xE8re"},
      {"Action08", "6", "gear down", "retrograder"},
      {"Action09", "5", "gear up", "monter un rapport de boite de vitesse"},
      {"Action10", "8", "rear view", "vue vers l'arri\xE8re"},
      {"Action11", "7", "horn", "klaxon"},
      {"Action12", "9", "rear up", "l\xE8ve la roue arri\xE8re"},
  };
  std::string text = "\r\n[Joystick]\r\nEnableJoystickAtStart=0\r\n\r\n; default config\r\n";
  for (const Action& action : actions) {
    std::string line = std::string(action.key) + "=" + action.value;
    line += TabsTo(line.size(), 24);
    std::string english = std::string(";") + action.english;
    line += english + TabsTo(24 + english.size(), 40) + "; " + action.french;
    text += line + "\r\n";
  }
  return text;
}
