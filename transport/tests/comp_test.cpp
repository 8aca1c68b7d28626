#include "transport/comp.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "transport/tests/comp_test_util.h"

namespace {

unsigned char* HeapCopy(const std::string& bytes) {
  unsigned char* block = static_cast<unsigned char*>(std::malloc(bytes.size() ? bytes.size() : 1));
  std::memcpy(block, bytes.data(), bytes.size());
  return block;
}

struct Outcome {
  bool inflated;
  std::string bytes;
  std::string printed;
};

Outcome InflateOnce(const std::string& container) {
  uint32_t length = 0;
  testing::internal::CaptureStdout();
  unsigned char* block = InflateComp(HeapCopy(container), static_cast<uint32_t>(container.size()), &length);
  Outcome outcome{block != nullptr, block ? std::string(reinterpret_cast<char*>(block), length) : "",
                  testing::internal::GetCapturedStdout()};
  std::free(block);
  return outcome;
}

std::string Pattern(size_t size) {
  std::string raw(size, '\0');
  for (size_t i = 0; i < size; ++i) raw[i] = static_cast<char>((i * 7919) >> 3);
  return raw;
}

TEST(Comp, ContainersInflateBackExactly) {
  for (size_t size : {0u, 1u, 100u, 70000u, 3346503u}) {
    std::string raw = Pattern(size);
    Outcome outcome = InflateOnce(MakeContainer(raw));
    EXPECT_TRUE(outcome.inflated) << size;
    EXPECT_EQ(outcome.bytes, raw) << size;
    EXPECT_EQ(outcome.printed, "") << size;
  }
  uint32_t length = 0;
  std::string raw = "MZ executable";
  std::string container = MakeContainer(raw);
  unsigned char* copy = InflateCompCopy(container.data(), static_cast<uint32_t>(container.size()), &length);
  ASSERT_NE(copy, nullptr);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(copy), length), raw);
  std::free(copy);
}

TEST(Comp, PlainDataPassesThroughUnchanged) {
  for (const std::string& plain : {std::string("COMP"), std::string("COMP\x01\x02\x03", 7), std::string("BFV0 archive"),
                                   std::string("comp\x05\0\0\0xxxxx", 13)}) {
    unsigned char* block = HeapCopy(plain);
    uint32_t length = 0;
    testing::internal::CaptureStdout();
    EXPECT_EQ(InflateComp(block, static_cast<uint32_t>(plain.size()), &length), block);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(length, plain.size());
    EXPECT_EQ(std::memcmp(block, plain.data(), plain.size()), 0);
    std::free(block);
  }
  EXPECT_EQ(InflateComp(nullptr, 0, nullptr), nullptr);
}

TEST(Comp, WrongSizesAndDamageAreFailuresWithTheirTexts) {
  std::string raw = Pattern(5000);
  const std::string badSize = "bad size while uncompressing data\n";
  const std::string both = badSize + "Uncompress error!\n";
  // Inflates short: the stream ends normally, only the size is wrong.
  Outcome shortOne = InflateOnce(MakeContainer(raw, 5001));
  EXPECT_FALSE(shortOne.inflated);
  EXPECT_EQ(shortOne.printed, badSize);
  // One or two bytes long fit the spare capacity; three overflow it.
  EXPECT_EQ(InflateOnce(MakeContainer(raw, 4999)).printed, badSize);
  EXPECT_EQ(InflateOnce(MakeContainer(raw, 4998)).printed, badSize);
  EXPECT_FALSE(InflateOnce(MakeContainer(raw, 4998)).inflated);
  EXPECT_EQ(InflateOnce(MakeContainer(raw, 4997)).printed, both);
  EXPECT_FALSE(InflateOnce(MakeContainer(raw, 4997)).inflated);
  std::string damaged = MakeContainer(raw);
  damaged[damaged.size() / 2] ^= 0x55;
  damaged[damaged.size() - 1] ^= 0x55;
  Outcome broken = InflateOnce(damaged);
  EXPECT_FALSE(broken.inflated);
  EXPECT_EQ(broken.printed, both);
  Outcome truncated = InflateOnce(MakeContainer(raw).substr(0, 40));
  EXPECT_FALSE(truncated.inflated);
  EXPECT_EQ(truncated.printed, both);
}

TEST(Comp, ImpossibleSizesAllocateNothing) {
  std::string container = MakeContainer("tiny", 0xFFFFFFFFu);
  EXPECT_FALSE(InflateOnce(container).inflated);
  container = MakeContainer("tiny", 0xFFFFFFFEu);
  EXPECT_FALSE(InflateOnce(container).inflated);
  container = MakeContainer("tiny", 400000000u);
  Outcome outcome = InflateOnce(container);
  EXPECT_FALSE(outcome.inflated);
  EXPECT_EQ(outcome.printed, "bad size while uncompressing data\n");
}

}  // namespace
