#include "platform/memory_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

TEST(MemoryFile, OpensOnlyReadModesAndNamesThatFit) {
  MemoryFile* stream = MemoryFileOpen("x", "RBM");
  ASSERT_NE(stream, nullptr);
  EXPECT_EQ(stream->flags, kMemoryFileRead | kMemoryFileBinary | kMemoryFileMemoryOnly);
  EXPECT_EQ(MemoryFileGetc(stream), -1);
  MemoryFileClose(stream);
  stream = MemoryFileOpen("no/such/file", "r");
  ASSERT_NE(stream, nullptr);  // a missing file is an empty stream
  EXPECT_EQ(stream->length, 0);
  MemoryFileClose(stream);
  for (const char* mode : {static_cast<const char*>(nullptr), "b", "wb"}) EXPECT_EQ(MemoryFileOpen("x", mode), nullptr);
  EXPECT_EQ(MemoryFileOpen(nullptr, "rb"), nullptr);
  stream = MemoryFileOpen(std::string(259, 'n').c_str(), "rbm");
  ASSERT_NE(stream, nullptr);
  EXPECT_EQ(std::string(stream->name), std::string(259, 'n'));
  MemoryFileClose(stream);
  EXPECT_EQ(MemoryFileOpen(std::string(260, 'n').c_str(), "rbm"), nullptr);
  EXPECT_EQ(MemoryFileOpen(std::string(5000, 'n').c_str(), "rb"), nullptr);
}

TEST(MemoryFile, ReadsAFileWholeAsUnsignedBytes) {
  std::string path = testing::TempDir() + "memory_file_test.bin";
  FILE* file = std::fopen(path.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  std::fwrite("\xE7\x00\xFF", 1, 3, file);
  std::fclose(file);
  MemoryFile* stream = MemoryFileOpen(path.c_str(), "rb");
  std::remove(path.c_str());  // served from memory from here on
  ASSERT_NE(stream, nullptr);
  for (int32_t expected : {231, 0, 255, -1, -1}) EXPECT_EQ(MemoryFileGetc(stream), expected);
  EXPECT_EQ(stream->position, 3);
  MemoryFileClose(stream);
}

TEST(MemoryFile, SeekStaysWithinTheDataAndAllocateReplacesIt) {
  MemoryFile* stream = MemoryFileOpen("bytes", "rbm");
  std::string hello = "hello";
  std::copy(hello.begin(), hello.end(), MemoryFileAllocate(stream, 5));
  struct Seek {
    int32_t offset, origin, result, position;
  } const seeks[] = {{5, 0, 0, 5},  {6, 0, 1, 5},  {0, 2, 0, 5},  {-5, 2, 0, 0}, {-6, 2, 1, 0},
                     {1, 2, 1, 0},  {-1, 0, 1, 0}, {2, 1, 0, 2},  {-3, 1, 1, 2}, {0, 3, 1, 2},
                     {2147483647, 1, 1, 2}};
  for (const Seek& seek : seeks) {
    EXPECT_EQ(MemoryFileSeek(stream, seek.offset, seek.origin), seek.result) << seek.offset << "/" << seek.origin;
    EXPECT_EQ(stream->position, seek.position) << seek.offset << "/" << seek.origin;
  }
  EXPECT_EQ(MemoryFileGetc(stream), 'l');
  EXPECT_EQ(MemoryFileAllocate(stream, 0), nullptr);
  EXPECT_EQ(stream->length, 0);
  ASSERT_NE(MemoryFileAllocate(stream, 5), nullptr);
  EXPECT_EQ(stream->position, 0);
  // An allocation that cannot be had leaves an empty stream, never a length without data.
  EXPECT_EQ(MemoryFileAllocate(stream, 0xFFFFFFF0u), nullptr);
  EXPECT_EQ(stream->length, 0);
  EXPECT_EQ(MemoryFileGetc(stream), -1);
  EXPECT_EQ(MemoryFileClose(stream), 0);
}

}  // namespace
