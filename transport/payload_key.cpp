#include "transport/payload_key.h"

#include <cstring>
#include <ctime>

namespace {

int64_t PeriodCount(int64_t time) {
  int64_t count = time / kKeyPeriod;
  if (time % kKeyPeriod < 0) --count;
  return count;
}

}  // namespace

// Both in this one file, so that the key is built after the clock is read.
const int32_t startupTime = static_cast<int32_t>(static_cast<int64_t>(std::time(nullptr)));
const uint32_t payloadKey = PayloadKeyFromTime(startupTime);

uint32_t PayloadKeyFromTime(int32_t time) {
  return static_cast<uint32_t>(PeriodCount(time)) * kKeyMultiplier;
}

int32_t StartTimeRemainder(int32_t time) {
  return static_cast<int32_t>(time - PeriodCount(time) * kKeyPeriod);
}

uint32_t RebuildPayloadKey(int32_t now, int32_t startTimeRemainder) {
  return static_cast<uint32_t>(PeriodCount(static_cast<int64_t>(now) - startTimeRemainder)) * kKeyMultiplier;
}

void ScrambleCopyWithKey(void* destination, const void* source, uint32_t length, uint32_t key) {
  unsigned char* out = static_cast<unsigned char*>(destination);
  const unsigned char* in = static_cast<const unsigned char*>(source);
  unsigned char keyBytes[4] = {static_cast<unsigned char>(key), static_cast<unsigned char>(key >> 8),
                               static_cast<unsigned char>(key >> 16), static_cast<unsigned char>(key >> 24)};
  uint32_t keyWord;
  std::memcpy(&keyWord, keyBytes, 4);  // the key as a little-endian word in memory order
  uint32_t words = length / 4;
  for (uint32_t i = 0; i < words; ++i) {
    uint32_t word;
    std::memcpy(&word, in + i * 4, 4);
    word ^= keyWord;
    std::memcpy(out + i * 4, &word, 4);
  }
  for (uint32_t i = words * 4; i < length; ++i) out[i] = in[i];
}

void ScrambleCopy(void* destination, const void* source, uint32_t length) {
  ScrambleCopyWithKey(destination, source, length, payloadKey);
}
