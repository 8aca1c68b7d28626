#include "platform/registry_key.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/game_key.h"
#include "platform/game_settings.h"
#include "platform/held_file.h"
#include "tests/support/harness.h"

namespace {

// Values are read only as REG_SZ that fits; the lobby and game key tests
// run every shape end to end. A string stored without its terminator is
// still read terminated, or not at all.
TEST(GameSettings, ReadsAnUnterminatedStringTerminatedOrNotAtAll) {
  ASSERT_TRUE(SetMachineString(kGameKeyPath, "Nine", "123456789"));  // makes the key
  HKEY raw;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kGameKeyPath, 0, KEY_ALL_ACCESS, &raw), ERROR_SUCCESS);
  RegSetValueExA(raw, "Bare", 0, REG_SZ, reinterpret_cast<const BYTE*>("abcdefghij"), 10);
  char small[10], larger[64];
  EXPECT_FALSE(ReadGameSetting("Bare", small, sizeof small));
  EXPECT_TRUE(ReadGameSetting("Bare", larger, sizeof larger));
  EXPECT_STREQ(larger, "abcdefghij");
  EXPECT_STREQ(RegistryKey(kGameKeyPath, "Bare").GetString(), "abcdefghij");
  RegCloseKey(raw);
  DeleteMachineTree(kGameKeyPath);
}

TEST(HeldFile, NobodyElseCanWriteRenameOrDeleteItUntilReleased) {
  std::string path = TempDirectory() + "held_file_test.tmp", read;
  std::string peer = "\"" + Sibling("section_peer.exe") + "\" change \"" + path + "\"";
  std::string bytes(200000, 'x');
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7);
  {
    HeldFile held;
    ASSERT_TRUE(held.Write(path.c_str(), bytes.data(), static_cast<uint32_t>(bytes.size())));
    EXPECT_EQ(RunProcess(peer), 0u) << "changed while held";
    // Readers, a program start among them, are welcome.
    ASSERT_TRUE(ReadFileBytes(path, &read));
    EXPECT_TRUE(read == bytes);
    held.Release();
    EXPECT_EQ(RunProcess(peer) & 4u, 4u) << "the peer cannot delete even a released file";
  }
  DeleteFileA(path.c_str());
}

}  // namespace
