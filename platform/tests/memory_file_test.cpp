#include "platform/memory_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

MemoryFile* WithBytes(const std::string& bytes) {
  MemoryFile* stream = MemoryFileOpen("bytes", "rbm");
  unsigned char* buffer = MemoryFileAllocate(stream, static_cast<uint32_t>(bytes.size()));
  for (size_t i = 0; i < bytes.size(); ++i) buffer[i] = static_cast<unsigned char>(bytes[i]);
  return stream;
}

TEST(MemoryFile, ModesAndNames) {
  MemoryFile* stream = MemoryFileOpen("x", "RBM");
  ASSERT_NE(stream, nullptr);
  EXPECT_EQ(stream->flags, kMemoryFileRead | kMemoryFileBinary | kMemoryFileMemoryOnly);
  EXPECT_EQ(MemoryFileGetc(stream), -1);
  MemoryFileClose(stream);
  stream = MemoryFileOpen("no/such/file", "r");
  ASSERT_NE(stream, nullptr);  // a missing file is an empty stream
  EXPECT_EQ(stream->flags, kMemoryFileRead | kMemoryFileBinary);
  EXPECT_EQ(stream->length, 0);
  EXPECT_EQ(MemoryFileGetc(stream), -1);
  MemoryFileClose(stream);
  EXPECT_EQ(MemoryFileOpen(nullptr, "rb"), nullptr);
  EXPECT_EQ(MemoryFileOpen("x", nullptr), nullptr);
  EXPECT_EQ(MemoryFileOpen("x", "b"), nullptr);
  EXPECT_EQ(MemoryFileOpen("x", "wb"), nullptr);
  std::string longest(259, 'n');
  stream = MemoryFileOpen(longest.c_str(), "rbm");
  ASSERT_NE(stream, nullptr);
  EXPECT_EQ(std::string(stream->name), longest);
  MemoryFileClose(stream);
  EXPECT_EQ(MemoryFileOpen(std::string(260, 'n').c_str(), "rbm"), nullptr);
  EXPECT_EQ(MemoryFileOpen(std::string(5000, 'n').c_str(), "rb"), nullptr);
}

TEST(MemoryFile, ReadsFileWholeAndBytesAreUnsigned) {
  std::string path = testing::TempDir() + "memory_file_test.bin";
  FILE* file = std::fopen(path.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  std::fwrite("\xE7\x00\xFF", 1, 3, file);
  std::fclose(file);
  MemoryFile* stream = MemoryFileOpen(path.c_str(), "rb");
  std::remove(path.c_str());  // served from memory from here on
  ASSERT_NE(stream, nullptr);
  EXPECT_EQ(stream->length, 3);
  EXPECT_EQ(MemoryFileGetc(stream), 231);
  EXPECT_EQ(MemoryFileGetc(stream), 0);
  EXPECT_EQ(MemoryFileGetc(stream), 255);
  EXPECT_EQ(MemoryFileGetc(stream), -1);
  EXPECT_EQ(MemoryFileGetc(stream), -1);
  EXPECT_EQ(stream->position, 3);
  MemoryFileClose(stream);
}

TEST(MemoryFile, SeekStaysWithinTheData) {
  MemoryFile* stream = WithBytes("hello");
  EXPECT_EQ(MemoryFileSeek(stream, 5, 0), 0);
  EXPECT_EQ(MemoryFileGetc(stream), -1);
  EXPECT_EQ(MemoryFileSeek(stream, 6, 0), 1);
  EXPECT_EQ(stream->position, 5);
  EXPECT_EQ(MemoryFileSeek(stream, 0, 2), 0);
  EXPECT_EQ(stream->position, 5);
  EXPECT_EQ(MemoryFileSeek(stream, -5, 2), 0);
  EXPECT_EQ(MemoryFileGetc(stream), 'h');
  EXPECT_EQ(MemoryFileSeek(stream, -6, 2), 1);
  EXPECT_EQ(MemoryFileSeek(stream, 1, 2), 1);
  EXPECT_EQ(MemoryFileSeek(stream, -2, 1), 1);
  EXPECT_EQ(stream->position, 1);
  EXPECT_EQ(MemoryFileSeek(stream, 2, 1), 0);
  EXPECT_EQ(MemoryFileGetc(stream), 'l');
  EXPECT_EQ(MemoryFileSeek(stream, -1, 0), 1);
  EXPECT_EQ(MemoryFileSeek(stream, 0, 3), 1);
  EXPECT_EQ(MemoryFileSeek(stream, 2147483647, 1), 1);
  EXPECT_EQ(stream->position, 4);
  MemoryFileClose(stream);
}

TEST(MemoryFile, AllocateReplacesTheData) {
  MemoryFile* stream = WithBytes("abc");
  MemoryFileGetc(stream);
  EXPECT_EQ(MemoryFileAllocate(stream, 0), nullptr);
  EXPECT_EQ(stream->length, 0);
  EXPECT_EQ(MemoryFileGetc(stream), -1);
  unsigned char* buffer = MemoryFileAllocate(stream, 5);
  ASSERT_NE(buffer, nullptr);
  EXPECT_EQ(stream->length, 5);
  EXPECT_EQ(stream->capacity, 5);
  EXPECT_EQ(stream->position, 0);
  // An allocation that cannot be had leaves an empty stream, never a length without data.
  EXPECT_EQ(MemoryFileAllocate(stream, 0xFFFFFFF0u), nullptr);
  EXPECT_EQ(stream->length, 0);
  EXPECT_EQ(MemoryFileGetc(stream), -1);
  EXPECT_EQ(MemoryFileClose(stream), 0);
}

}  // namespace
