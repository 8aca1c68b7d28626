#include "transport/payload_key.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

// Any start time, before 1970 or near the 2038 wrap too: the remainder lies
// in one period, the whole period shares the key, and the data stage
// rebuilds it up to a period later.
TEST(PayloadKey, SameWithinOnePeriodAndRebuiltByTheDataStage) {
  const int32_t times[] = {0, kKeyPeriod - 1, 1790000000, INT32_MAX - 10, -1, -kKeyPeriod - 1, INT32_MIN};
  for (int32_t start : times) {
    int32_t remainder = StartTimeRemainder(start);
    EXPECT_GE(remainder, 0) << start;
    EXPECT_LT(remainder, kKeyPeriod) << start;
    uint32_t key = PayloadKeyFromTime(start);
    int64_t periodStart = static_cast<int64_t>(start) - remainder;
    if (periodStart >= INT32_MIN) {
      EXPECT_EQ(PayloadKeyFromTime(static_cast<int32_t>(periodStart)), key) << start;
    }
    for (int64_t delay : {0, 600, kKeyPeriod - 1}) {
      if (start + delay > INT32_MAX) continue;
      EXPECT_EQ(RebuildPayloadKey(static_cast<int32_t>(start + delay), remainder), key) << start << " +" << delay;
    }
  }
  EXPECT_NE(PayloadKeyFromTime(0), PayloadKeyFromTime(kKeyPeriod));
  EXPECT_EQ(payloadKey, PayloadKeyFromTime(startupTime));
}

TEST(Scramble, WholeLittleEndianWordsXoredTailPlainAndSelfInverse) {
  const unsigned char source[9] = {1, 2, 3, 4, 5, 6, 7, 8, 9};
  const unsigned char expected[9] = {0xD5, 0xC1, 0xB1, 0xA5, 0xD1, 0xC5, 0xB5, 0xA9, 9};
  for (uint32_t length : {0u, 3u, 4u, 7u, 9u}) {
    unsigned char scrambled[9] = {}, restored[9] = {};
    ScrambleCopyWithKey(scrambled, source, length, 0xA1B2C3D4u);
    for (uint32_t i = 0; i < 9; ++i)
      EXPECT_EQ(scrambled[i], i >= length ? 0 : i < length / 4 * 4 ? expected[i] : source[i]) << length << " @" << i;
    ScrambleCopyWithKey(restored, scrambled, length, 0xA1B2C3D4u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(restored), length),
              std::string(reinterpret_cast<const char*>(source), length));
  }
}

}  // namespace
