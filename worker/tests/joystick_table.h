// The default joystick settings, the table the game expects: CR LF after
// every line, tabs of 8 that put the English comment at column 24 and the
// French one at column 40. Windows-1252.
#pragma once
#include <string>

inline std::string DefaultJoystickSettings() {
  return "\r\n[Joystick]\r\nEnableJoystickAtStart=0\r\n\r\n; default config\r\n"
         "Action01=0xc0000001\t;turn left\t; virer \xE0 gauche\r\n"
         "Action02=0xa0000001\t;turn right\t; virer \xE0 droite\r\n"
         "Action03=1\t\t;accelerator\t; acc\xE9l\xE9rer\r\n"
         "Action04=2\t\t;brake\t\t; freiner\r\n"
         "Action05=3\t\t;turbo\t\t; turbo\r\n"
         "Action06=0xc0000002\t;front\t\t; avant\r\n"
         "Action07=0xa0000002\t;back\t\t; arri\xE8re\r\n"
         "Action08=6\t\t;gear down\t; retrograder\r\n"
         "Action09=5\t\t;gear up\t; monter un rapport de boite de vitesse\r\n"
         "Action10=8\t\t;rear view\t; vue vers l'arri\xE8re\r\n"
         "Action11=7\t\t;horn\t\t; klaxon\r\n"
         "Action12=9\t\t;rear up\t; l\xE8ve la roue arri\xE8re\r\n";
}
