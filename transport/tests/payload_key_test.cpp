#include "transport/payload_key.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

TEST(PayloadKey, SameWithinOnePeriodAndRebuiltByTheDataStage) {
  const int32_t times[] = {0, 1, kKeyPeriod - 1, kKeyPeriod, 1790000000, INT32_MAX - 10, -1, -kKeyPeriod,
                           -kKeyPeriod - 1, INT32_MIN, INT32_MIN + 5};
  for (int32_t start : times) {
    int32_t remainder = StartTimeRemainder(start);
    EXPECT_GE(remainder, 0) << start;
    EXPECT_LT(remainder, kKeyPeriod) << start;
    uint32_t key = PayloadKeyFromTime(start);
    // Another launcher in the same period shares the key.
    int64_t periodStart = static_cast<int64_t>(start) - remainder;
    if (periodStart >= INT32_MIN) {
      EXPECT_EQ(PayloadKeyFromTime(static_cast<int32_t>(periodStart)), key) << start;
    }
    if (periodStart + kKeyPeriod - 1 <= INT32_MAX) {
      EXPECT_EQ(PayloadKeyFromTime(static_cast<int32_t>(periodStart + kKeyPeriod - 1)), key) << start;
    }
    // The data stage, starting up to a period later, rebuilds it.
    for (int64_t delay : {0, 1, 600, kKeyPeriod - 1}) {
      int64_t now = static_cast<int64_t>(start) + delay;
      if (now > INT32_MAX) continue;
      EXPECT_EQ(RebuildPayloadKey(static_cast<int32_t>(now), remainder), key) << start << " +" << delay;
    }
  }
  EXPECT_NE(PayloadKeyFromTime(0), PayloadKeyFromTime(kKeyPeriod));
  // The process key was built after the clock reading, from that reading.
  EXPECT_NE(startupTime, 0);
  EXPECT_EQ(payloadKey, PayloadKeyFromTime(startupTime));
}

TEST(Scramble, WholeWordsXoredTailPlainAndSelfInverse) {
  const uint32_t key = 0xA1B2C3D4u;
  const unsigned char source[9] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
  for (uint32_t length = 0; length <= 9; ++length) {
    unsigned char scrambled[9] = {}, restored[9] = {};
    ScrambleCopyWithKey(scrambled, source, length, key);
    for (uint32_t i = 0; i < length; ++i) {
      unsigned char expected = i < length / 4 * 4 ? static_cast<unsigned char>(source[i] ^ (key >> (8 * (i % 4))))
                                                  : source[i];
      EXPECT_EQ(scrambled[i], expected) << length << " @" << i;
    }
    for (uint32_t i = length; i < 9; ++i) EXPECT_EQ(scrambled[i], 0) << "wrote past " << length;
    ScrambleCopyWithKey(restored, scrambled, length, key);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(restored), length),
              std::string(reinterpret_cast<const char*>(source), length));
  }
}

}  // namespace
