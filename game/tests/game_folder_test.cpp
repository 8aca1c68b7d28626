#include "game/game_folder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

bool ShiftJisLeadByte(unsigned char byte) { return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC); }

// The normal form, or "refused".
std::string Normal(const std::string& value, LeadByteTest isLeadByte = nullptr) {
  char folder[kGamePathSize];
  std::memset(folder, 'x', sizeof folder);
  if (!NormalGameFolder(value.c_str(), isLeadByte, folder)) return folder[0] ? "refused, not emptied" : "refused";
  return folder;
}

const std::string network(2, '\\');
// As long as a game folder may be, on a drive and on a share.
const std::string atLimit = "C:\\" + std::string(kLongestGameFolder - 3, 'v');
const std::string networkAtLimit = network + "server\\share\\" + std::string(kLongestGameFolder - 15, 'n');

TEST(GameFolder, EveryFormWindowsAcceptsHasOneNormalFormTheRestIsRefused) {
  const struct {
    std::string value;
    std::string normal;
    bool shiftJis;
  } cases[] = {
      {"d:\\\\", "d:\\"},
      {"C:/Games/Vantor 3/", "C:\\Games\\Vantor 3"},
      {"C:\\\\Games\\\\\\Vantor 3", "C:\\Games\\Vantor 3"},
      {"C:\\Games\\.\\Old\\..\\Vantor 3\\.", "C:\\Games\\Vantor 3"},
      {"C:\\..\\..\\Games", "C:\\Games"},
      {"D:\\Vantor 3\\..", "D:\\"},
      // Windows drops one dot inside a path, and every trailing dot and
      // space at its end; a space inside a path stays.
      {"C:\\Games.\\Vantor 3.", "C:\\Games\\Vantor 3"},
      {"C:\\Games\\Vantor 3. . ", "C:\\Games\\Vantor 3"},
      {"C:\\My Games \\Vantor 3", "C:\\My Games \\Vantor 3"},
      {"C:\\Games\\Vantor 3 \\", "refused"},
      {"C:\\Games..\\Vantor 3", "refused"},
      {"C:\\Games .\\Vantor 3", "refused"},
      {"C:\\...\\Vantor 3", "refused"},
      {"C:\\Games\\...", "refused"},
      {network + "server\\share\\Games\\", network + "server\\share\\Games"},
      {"//server/share", network + "server\\share"},
      {network + "server\\share\\..\\..", network + "server\\share"},
      // A server or share name with a trailing dot or space: Windows reads
      // it differently alone and with names below it. Catches
      // network-name-trimmed-accepted.
      {network + "server.\\share\\Games", "refused"},
      {network + "server\\share \\Games", "refused"},
      {network + "server", "refused"},
      {network + "\\share\\Games", "refused"},
      // Relative to a current folder or drive; devices.
      {"", "refused"},
      {"Games\\Vantor 3", "refused"},
      {"C:Games", "refused"},
      {"\\Games\\Vantor 3", "refused"},
      {network + "?\\C:\\Games", "refused"},
      {network + ".\\C:\\Games", "refused"},
      // A stream, patterns, characters no name holds.
      {"C:\\Games\\Vantor 3:data", "refused"},
      {"C:\\Games\\*", "refused"},
      {"C:\\Games\\a\tb", "refused"},
      {"1:\\Games", "refused"},
      // Every name the update builds fits the longest folder; longer only
      // on its way is short enough.
      {atLimit + "\\", atLimit},
      {atLimit + "v", "refused"},
      {atLimit + "\\x\\..", atLimit},
      {"C:\\" + std::string(250, 'w') + "\\..\\Games", "C:\\Games"},
      {networkAtLimit, networkAtLimit},
      {networkAtLimit + "n", "refused"},
      // Shift-JIS: 0x95 0x5C is one character whose second byte is "\",
      // 0x81 0x7C one whose second byte is "|": never separators.
      {"C:\\\x95\x5C", "C:\\\x95\x5C", true},
      {"C:\\\x95\x5C\\", "C:\\\x95\x5C", true},
      {"C:\\\x95\x5C.", "C:\\\x95\x5C", true},
      {"C:\\Games\\\x95\x5C\\..", "C:\\Games", true},
      {"C:\\\x95\x5C\\..\\\x83\x5C\x81\x7C", "C:\\\x83\x5C\x81\x7C", true},
      {"C:\\Games\\\x95", "refused", true},
      // Read byte by byte, the same value would lose its last byte.
      {"C:\\\x95\x5C", "C:\\\x95"},
  };
  for (const auto& c : cases) {
    LeadByteTest isLeadByte = c.shiftJis ? ShiftJisLeadByte : nullptr;
    EXPECT_EQ(Normal(c.value, isLeadByte), c.normal) << c.value;
    if (c.normal == "refused") continue;
    EXPECT_EQ(Normal(c.normal, isLeadByte), c.normal) << "not stable: " << c.value;
    // Every name the update builds fits the longest folder.
    char path[kGamePathSize];
    EXPECT_TRUE(JoinInFolder(path, sizeof path, c.normal.c_str(), "data\\players\\joystick.ini")) << c.value;
  }
}

}  // namespace
