#include "game/registry_key.h"

#include <gtest/gtest.h>

#include "game/game_key.h"
#include "game/game_settings.h"
#include "tests/support/harness.h"

namespace {

// Values are read only as REG_SZ that fits; the lobby and game key tests
// run every shape end to end. A string stored without its terminator is
// still read terminated, or not at all.
TEST(GameSettings, ReadsAnUnterminatedStringTerminatedOrNotAtAll) {
  HKEY raw;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kGameKeyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &raw, nullptr),
            ERROR_SUCCESS);
  RegSetValueExA(raw, "Bare", 0, REG_SZ, reinterpret_cast<const BYTE*>("abcdefghij"), 10);
  char small[10], larger[64];
  EXPECT_FALSE(ReadGameSetting("Bare", small, sizeof small));
  EXPECT_TRUE(ReadGameSetting("Bare", larger, sizeof larger));
  EXPECT_STREQ(larger, "abcdefghij");
  EXPECT_STREQ(RegistryKey(kGameKeyPath, "Bare").GetString(), "abcdefghij");
  RegCloseKey(raw);
  DeleteMachineTree(kGameKeyPath);
}

}  // namespace
