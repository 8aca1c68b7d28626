#include "localisation/memory_file.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Reading, seeking, odd input and the name's bound are the fuzz target's;
// these are the modes and an allocation that fails.
TEST(MemoryFile, ReadModesOnlyAndNoLengthWithoutData) {
  MemoryFile* stream = MemoryFileOpen("no/such/file", "R");
  ASSERT_NE(stream, nullptr);  // a missing file is an empty stream
  EXPECT_EQ(MemoryFileClose(stream), 0);
  for (const char* mode : {static_cast<const char*>(nullptr), "b", "wb"}) EXPECT_EQ(MemoryFileOpen("x", mode), nullptr);
  EXPECT_EQ(MemoryFileOpen(nullptr, "rb"), nullptr);
  stream = MemoryFileOpen("x", "rbm");
  ASSERT_NE(MemoryFileAllocate(stream, 2), nullptr);
  EXPECT_EQ(MemoryFileAllocate(stream, 0xFFFFFFF0u), nullptr);
  EXPECT_EQ(stream->length, 0);
  EXPECT_EQ(MemoryFileGetc(stream), -1);
  EXPECT_EQ(MemoryFileClose(stream), 0);
}

}  // namespace
