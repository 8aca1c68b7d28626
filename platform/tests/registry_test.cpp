#include "platform/registry_key.h"

#include <gtest/gtest.h>

#include <ctime>

#include <string>

#include "platform/file_helpers.h"
#include "platform/game_key.h"
#include "platform/game_settings.h"
#include "platform/held_file.h"
#include "tests/support/harness.h"
#include "tests/support/process.h"

namespace {

const char* kTestKey = "SOFTWARE\\Vt3Tests\\RegistryKey";

TEST(RegistryKey, OpensCreatesReadsWritesAndDeletes) {
  DeleteMachineTree("SOFTWARE\\Vt3Tests");
  RegistryKey key(kTestKey, "Name");
  EXPECT_FALSE(key.IsOpen());
  EXPECT_EQ(key.GetString(), nullptr);
  EXPECT_FALSE(key.SetString("x"));
  ASSERT_TRUE(key.Create());
  EXPECT_TRUE(key.IsOpen());
  EXPECT_FALSE(key.SetString(nullptr));
  std::string longest(259, 'v');
  ASSERT_TRUE(key.SetString(longest.c_str()));
  EXPECT_EQ(std::string(key.GetString()), longest);
  EXPECT_FALSE(key.SetString(std::string(260, 'w').c_str()));
  EXPECT_EQ(std::string(key.GetString()), longest);  // refused, not cut
  ASSERT_TRUE(SetMachineString(kTestKey, "Long", std::string(260, 'l')));
  ASSERT_TRUE(SetMachineString(kTestKey, "Expand", "%TEMP%", REG_EXPAND_SZ));
  ASSERT_TRUE(SetMachineDword(kTestKey, "Number", 5));
  for (const char* name : {"Long", "Expand", "Number", "Missing"}) {
    RegistryKey other(kTestKey, name);
    EXPECT_TRUE(other.IsOpen());
    EXPECT_EQ(other.GetString(), nullptr) << name;
  }
  key.Assign(kTestKey, "Long");
  EXPECT_FALSE(key.IsOpen());  // Assign releases the key
  ASSERT_TRUE(key.Open());
  EXPECT_TRUE(key.Delete());
  EXPECT_TRUE(key.IsOpen());
  EXPECT_FALSE(RegistryKey(kTestKey, "Long").GetString());
  EXPECT_TRUE(RegistryKey(kTestKey, "Name").GetString());
  key.Assign(kTestKey, "");
  ASSERT_TRUE(key.Open());
  EXPECT_TRUE(key.Delete());
  EXPECT_FALSE(key.IsOpen());
  EXPECT_TRUE(key.Delete());
  EXPECT_FALSE(RegistryKey(kTestKey, "").IsOpen());
  EXPECT_TRUE(key.Close());
}

TEST(GameSettings, ReadsOnlyStringsThatFit) {
  DeleteMachineTree(kGameKeyPath);
  char buffer[10];
  EXPECT_FALSE(ReadGameSetting("SavingPath", buffer, sizeof buffer));
  ASSERT_TRUE(SetMachineString(kGameKeyPath, "Nine", "123456789"));
  ASSERT_TRUE(SetMachineString(kGameKeyPath, "Ten", "1234567890"));
  ASSERT_TRUE(SetMachineString(kGameKeyPath, "Expand", "C:\\x", REG_EXPAND_SZ));
  ASSERT_TRUE(SetMachineDword(kGameKeyPath, "Number", 1));
  EXPECT_TRUE(ReadGameSetting("Nine", buffer, sizeof buffer));
  EXPECT_STREQ(buffer, "123456789");
  EXPECT_FALSE(ReadGameSetting("Ten", buffer, sizeof buffer));
  EXPECT_FALSE(ReadGameSetting("Expand", buffer, sizeof buffer));
  EXPECT_FALSE(ReadGameSetting("Number", buffer, sizeof buffer));
  EXPECT_FALSE(ReadGameSetting("Missing", buffer, sizeof buffer));
  // A string stored without its terminator still comes back terminated, or not at all.
  HKEY key;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kGameKeyPath, 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
  RegSetValueExA(key, "Bare", 0, REG_SZ, reinterpret_cast<const BYTE*>("abcdefghij"), 10);
  RegCloseKey(key);
  EXPECT_FALSE(ReadGameSetting("Bare", buffer, sizeof buffer));
  char larger[64];
  EXPECT_TRUE(ReadGameSetting("Bare", larger, sizeof larger));
  EXPECT_STREQ(larger, "abcdefghij");
  DeleteMachineTree(kGameKeyPath);
}

TEST(FileHelpers, WritableKeepsOtherAttributesAndInfoTellsFiles) {
  std::string dir = TempDirectory() + "vt3_file_helpers";
  RemoveTree(dir);
  ASSERT_TRUE(MakeDirectories(dir));
  std::string file = dir + "\\hidden.dat";
  ASSERT_TRUE(WriteFileBytes(file, "12345"));
  SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
  MakeWritable(file.c_str());
  EXPECT_EQ(GetFileAttributesA(file.c_str()) & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN),
            static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN));
  MakeWritable((dir + "\\missing").c_str());
  EXPECT_FALSE(FileExists(dir + "\\missing"));
  MakeWritable(nullptr);
  MakeWritable("");
  uint32_t size = 77;
  int32_t time = 0;
  EXPECT_TRUE(GetFileInfo(file.c_str(), &size, &time));
  EXPECT_EQ(size, 5u);
  EXPECT_NEAR(time, static_cast<int32_t>(std::time(nullptr)), 120);  // seconds since 1970, not since 1601
  EXPECT_TRUE(GetFileInfo(file.c_str(), nullptr, nullptr));
  ASSERT_TRUE(WriteFileBytes(dir + "\\empty", ""));
  EXPECT_TRUE(GetFileInfo((dir + "\\empty").c_str(), &size, nullptr));
  EXPECT_EQ(size, 0u);
  size = 77;
  EXPECT_FALSE(GetFileInfo(dir.c_str(), &size, nullptr));
  EXPECT_EQ(size, 77u);
  EXPECT_FALSE(GetFileInfo((dir + "\\missing").c_str(), &size, nullptr));
  EXPECT_FALSE(GetFileInfo("", &size, nullptr));
  char buffer[8];
  EXPECT_TRUE(FormatPath(buffer, sizeof buffer, "%s\\x", "abcde"));
  EXPECT_FALSE(FormatPath(buffer, sizeof buffer, "%s\\x", "abcdef"));
  EXPECT_STREQ(buffer, "");
  RemoveTree(dir);
}

TEST(HeldFile, NobodyElseCanWriteRenameOrDeleteItUntilReleased) {
  std::string path = TempDirectory() + "held_file_test.tmp";
  std::string peer = "\"" + Sibling("file_peer.exe") + "\" \"" + path + "\"";
  std::string bytes(200000, 'x');
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7);
  {
    HeldFile held;
    ASSERT_TRUE(held.Write(path.c_str(), bytes.data(), static_cast<uint32_t>(bytes.size())));
    EXPECT_EQ(RunProcess(peer), 0u) << "changed while held";
    // Readers, a program start among them, are welcome.
    std::string read;
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
