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
  // The wide functions (NT) count characters: 259 and a terminator fit,
  // 260 without one do not, in either direction.
  const std::wstring fits(259, L'\u0416'), full(MAX_PATH, L'\u0416');
  RegSetValueExW(raw, L"WideBare", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"abcdefghij"), 10 * sizeof(WCHAR));
  RegSetValueExW(raw, L"WideFull", 0, REG_SZ, reinterpret_cast<const BYTE*>(full.c_str()), MAX_PATH * sizeof(WCHAR));
  RegCloseKey(raw);
  EXPECT_STREQ(RegistryKey(kGameKeyPath, "WideBare").GetWideString(), L"abcdefghij");
  EXPECT_EQ(RegistryKey(kGameKeyPath, "WideFull").GetWideString(), nullptr);
  RegistryKey written(kGameKeyPath, "Written");
  EXPECT_FALSE(written.SetWideString(full.c_str()));
  EXPECT_TRUE(written.SetWideString(fits.c_str()));
  const WCHAR* back = written.GetWideString();
  EXPECT_TRUE(back && back == fits);
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
  // A name that is there already, even a link to another program's file,
  // is never written through.
  DeleteFileA(path.c_str());
  std::string victim = TempDirectory() + "held_file_victim.txt";
  ASSERT_TRUE(WriteFileBytes(victim, "another program's file"));
  ASSERT_TRUE(CreateHardLinkA(path.c_str(), victim.c_str(), nullptr));
  HeldFile held;
  EXPECT_FALSE(held.Write(path.c_str(), bytes.data(), static_cast<uint32_t>(bytes.size())));
  EXPECT_EQ(FileBytes(victim), "another program's file");
  DeleteFileA(path.c_str());
  DeleteFileA(victim.c_str());
}

}  // namespace
