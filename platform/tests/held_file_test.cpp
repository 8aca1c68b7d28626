#include "platform/held_file.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/harness.h"

namespace {

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
