#include "platform/registry_key.h"

#include <gtest/gtest.h>

#include <ctime>
#include <string>

#include "platform/file_helpers.h"
#include "platform/game_key.h"
#include "platform/game_settings.h"
#include "platform/held_file.h"
#include "tests/support/harness.h"

namespace {

const char* kTestKey = "SOFTWARE\\Vt3Tests\\RegistryKey";

// Values are read only as REG_SZ that fits (the lobby and game key tests
// run every shape end to end). What only shows here: texts too long to
// write, a string stored without its terminator, and deleting a key.
TEST(RegistryKey, WritesOnlyTextsThatFitReadsUnterminatedStringsAndDeletesKeys) {
  DeleteMachineTree("SOFTWARE\\Vt3Tests");
  RegistryKey key(kTestKey, "Name");
  EXPECT_FALSE(key.SetString("x"));  // the key is not there yet
  ASSERT_TRUE(key.Create());
  ASSERT_TRUE(key.SetString(std::string(259, 'v').c_str()));
  EXPECT_FALSE(key.SetString(std::string(260, 'w').c_str()));
  EXPECT_EQ(std::string(key.GetString()), std::string(259, 'v'));  // refused, not cut
  key.Assign(kTestKey, "");
  ASSERT_TRUE(key.Open() && key.Delete());
  EXPECT_FALSE(key.IsOpen());
  EXPECT_FALSE(RegistryKey(kTestKey, "").Open());

  ASSERT_TRUE(SetMachineString(kGameKeyPath, "Nine", "123456789"));
  HKEY raw;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kGameKeyPath, 0, KEY_ALL_ACCESS, &raw), ERROR_SUCCESS);
  RegSetValueExA(raw, "Bare", 0, REG_SZ, reinterpret_cast<const BYTE*>("abcdefghij"), 10);
  RegCloseKey(raw);
  char small[10], larger[64];
  EXPECT_TRUE(ReadGameSetting("Nine", small, sizeof small));
  EXPECT_FALSE(ReadGameSetting("Bare", small, sizeof small));
  EXPECT_TRUE(ReadGameSetting("Bare", larger, sizeof larger));
  EXPECT_STREQ(larger, "abcdefghij");
  DeleteMachineTree(kGameKeyPath);
}

TEST(FileHelpers, InfoTellsFilesAndPathsMustFit) {
  std::string file = TempDirectory() + "vt3_file_helpers.dat";
  ASSERT_TRUE(WriteFileBytes(file, "12345"));
  uint32_t size = 77;
  EXPECT_TRUE(GetFileInfo(file.c_str(), &size, nullptr));
  EXPECT_EQ(size, 5u);
  DeleteFileA(file.c_str());
  for (const std::string& none : {TempDirectory(), file, std::string()})
    EXPECT_FALSE(GetFileInfo(none.c_str(), &size, nullptr)) << none;
  char buffer[8];
  EXPECT_TRUE(FormatPath(buffer, sizeof buffer, "%s\\x", "abcde"));
  EXPECT_FALSE(FormatPath(buffer, sizeof buffer, "%s\\x", "abcdef"));
  EXPECT_STREQ(buffer, "");
}

TEST(HeldFile, NobodyElseCanWriteRenameOrDeleteItUntilReleased) {
  std::string path = TempDirectory() + "held_file_test.tmp", read;
  std::string peer = "\"" + Sibling("file_peer.exe") + "\" \"" + path + "\"";
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
  // A file another program holds open for writing cannot be held.
  HANDLE other = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                             0, nullptr);
  ASSERT_NE(other, INVALID_HANDLE_VALUE);
  HeldFile held;
  EXPECT_FALSE(held.Write(path.c_str(), bytes.data(), static_cast<uint32_t>(bytes.size())));
  CloseHandle(other);
  DeleteFileA(path.c_str());
}

}  // namespace
