#include "transport/payload_key.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

// Any start time, before 1970 or near the 2038 wrap too: the remainder lies
// in one period, the whole period shares the key, and the data stage
// rebuilds it up to a period later. Catches key-period-off-by-one.
TEST(PayloadKey, SameWithinOnePeriodAndRebuiltByTheDataStage) {
  const int32_t times[] = {0, kKeyPeriod - 1, 1790000000, INT32_MAX - 10, -1, -kKeyPeriod - 1, INT32_MIN};
  for (int32_t start : times) {
    int32_t remainder = StartTimeRemainder(start);
    EXPECT_TRUE(remainder >= 0 && remainder < kKeyPeriod) << start << ": " << remainder;
    uint32_t key = PayloadKeyFromTime(start);
    int64_t periodStart = static_cast<int64_t>(start) - remainder;
    EXPECT_TRUE(periodStart < INT32_MIN || PayloadKeyFromTime(static_cast<int32_t>(periodStart)) == key) << start;
    for (int64_t delay : {0, 600, kKeyPeriod - 1})
      EXPECT_TRUE(start + delay > INT32_MAX || RebuildPayloadKey(static_cast<int32_t>(start + delay), remainder) == key)
          << start << " +" << delay;
  }
  // The real data stage is built elsewhere and only shares this rule: the key
  // is the number of whole periods since 1970, counted down before it, times
  // the multiplier, modulo 2^32. The stand-in shares the code, so only these
  // known answers catch a change to the rule.
  EXPECT_EQ(PayloadKeyFromTime(0), 0u);
  EXPECT_EQ(PayloadKeyFromTime(kKeyPeriod), kKeyMultiplier);
  EXPECT_EQ(PayloadKeyFromTime(-1), 0u - kKeyMultiplier);
}

// Known answers of the data stage's rule: each whole 32-bit word XORed with
// the key as a little-endian word, the 0 to 3 bytes after it copied, nothing
// written beyond the length; in place, as the payload sections use it, and
// its own inverse.
TEST(Scramble, WholeLittleEndianWordsXoredTailPlainInPlaceAndSelfInverse) {
  const uint32_t key = 0xA1B2C3D4u;
  const std::string source("\x01\x02\x03\x04\x05\x06\x07\x08\x09", 9);
  const std::string scrambled[] = {"", std::string("\x01\x02\x03", 3), "\xD5\xC1\xB1\xA5",
                                    "\xD5\xC1\xB1\xA5\x05\x06\x07", "\xD5\xC1\xB1\xA5\xD1\xC5\xB5\xA9\x09"};
  for (const std::string& expected : scrambled) {
    uint32_t length = static_cast<uint32_t>(expected.size());
    std::string out(12, '\xEE');
    ScrambleCopyWithKey(&out[0], source.data(), length, key);
    EXPECT_EQ(out, expected + std::string(12 - length, '\xEE')) << length;
    std::string inPlace = source.substr(0, length);
    ScrambleCopyWithKey(&inPlace[0], inPlace.data(), length, key);
    EXPECT_EQ(inPlace, expected) << length;
    ScrambleCopyWithKey(&inPlace[0], inPlace.data(), length, key);
    EXPECT_EQ(inPlace, source.substr(0, length)) << length;
  }
}

}  // namespace
