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

TEST(GameFolder, EveryFormWindowsAcceptsHasOneNormalFormTheRestIsRefused) {
  const std::string network(2, '\\');
  const struct {
    std::string value;
    std::string normal;
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
      // it differently alone and with names below it.
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
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Normal(c.value), c.normal) << c.value;
    if (c.normal != "refused") {
      EXPECT_EQ(Normal(c.normal), c.normal) << "not stable: " << c.value;
    }
  }
}

// Shift-JIS: 0x95 0x5C is one character whose second byte is "\", 0x81 0x7C
// one whose second byte is "|".
TEST(GameFolder, SecondBytesOfTwoByteCharactersAreNeverSeparators) {
  const struct {
    std::string value;
    std::string normal;
  } cases[] = {
      {"C:\\\x95\x5C", "C:\\\x95\x5C"},
      {"C:\\\x95\x5C\\", "C:\\\x95\x5C"},
      {"C:\\\x95\x5C.", "C:\\\x95\x5C"},
      {"C:\\Games\\\x95\x5C\\..", "C:\\Games"},
      {"C:\\\x95\x5C\\..\\\x83\x5C\x81\x7C", "C:\\\x83\x5C\x81\x7C"},
      {"C:\\Games\\\x95", "refused"},
  };
  for (const auto& c : cases) EXPECT_EQ(Normal(c.value, ShiftJisLeadByte), c.normal) << c.value;
  // Read byte by byte, the same value would lose its last byte.
  EXPECT_EQ(Normal("C:\\\x95\x5C"), "C:\\\x95");
}

TEST(GameFolder, EveryNameTheUpdateBuildsFitsTheLongestFolder) {
  const std::string network(2, '\\');
  const std::string atLimit = "C:\\" + std::string(kLongestGameFolder - 3, 'v');
  EXPECT_EQ(Normal(atLimit), atLimit);
  EXPECT_EQ(Normal(atLimit + "\\"), atLimit);
  EXPECT_EQ(Normal(atLimit + "v"), "refused");
  EXPECT_EQ(Normal(atLimit + "\\x\\.."), atLimit);
  // Longer than the limit on its way, short in the end.
  EXPECT_EQ(Normal("C:\\" + std::string(250, 'w') + "\\..\\Games"), "C:\\Games");
  std::string networkAtLimit = network + "server\\share\\" + std::string(kLongestGameFolder - 15, 'n');
  EXPECT_EQ(Normal(networkAtLimit), networkAtLimit);
  EXPECT_EQ(Normal(networkAtLimit + "n"), "refused");
  char path[kGamePathSize];
  EXPECT_TRUE(JoinInFolder(path, sizeof path, atLimit.c_str(), "data\\players\\joystick.ini"));
  EXPECT_EQ(std::string(path).size(), kGamePathSize - 1);
  EXPECT_TRUE(JoinInFolder(path, sizeof path, networkAtLimit.c_str(), "data\\players\\joystick.ini"));
  path[0] = 'x';
  EXPECT_FALSE(JoinInFolder(path, sizeof path - 1, atLimit.c_str(), "data\\players\\joystick.ini"));
  EXPECT_EQ(path[0], 0);
}

}  // namespace
