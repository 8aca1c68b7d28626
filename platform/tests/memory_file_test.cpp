#include "platform/memory_file.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Reading, seeking and odd input are the fuzz target's; these are the
// modes, the name's bound and an allocation that fails.
TEST(MemoryFile, ReadModesOnlyNamesUnder260AndNoLengthWithoutData) {
  MemoryFile* stream = MemoryFileOpen("no/such/file", "R");
  ASSERT_NE(stream, nullptr);  // a missing file is an empty stream
  EXPECT_EQ(MemoryFileClose(stream), 0);
  for (const char* mode : {static_cast<const char*>(nullptr), "b", "wb"}) EXPECT_EQ(MemoryFileOpen("x", mode), nullptr);
  EXPECT_EQ(MemoryFileOpen(nullptr, "rb"), nullptr);
  EXPECT_EQ(MemoryFileOpen(std::string(260, 'n').c_str(), "rbm"), nullptr);
  stream = MemoryFileOpen(std::string(259, 'n').c_str(), "rbm");
  ASSERT_NE(stream, nullptr);
  EXPECT_EQ(std::string(stream->name), std::string(259, 'n'));
  unsigned char* buffer = MemoryFileAllocate(stream, 2);
  ASSERT_NE(buffer, nullptr);
  buffer[0] = 0xE7;
  EXPECT_EQ(MemoryFileGetc(stream), 231);  // bytes are unsigned
  EXPECT_EQ(MemoryFileAllocate(stream, 0xFFFFFFF0u), nullptr);
  EXPECT_EQ(stream->length, 0);
  EXPECT_EQ(MemoryFileGetc(stream), -1);
  EXPECT_EQ(MemoryFileClose(stream), 0);
}

}  // namespace
