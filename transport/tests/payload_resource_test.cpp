#include "transport/payload_resource.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "tests/support/harness.h"
#include "transport/control_block.h"
#include "transport/payload_key.h"
#include "transport/payload_section.h"

namespace {

// Resources of this test: 200 the table in a COMP container, 201 the
// archive payload, 202 the table as it is, 203 and 204 the data and archive
// payloads packed, 205 the data payload as it is. (What the worker writes
// from its resources shows in every update.)
std::string Resource(uint32_t id) {
  const void* bytes;
  uint32_t size;
  if (!LoadPayloadResource(id, "BINARY", nullptr, &bytes, &size)) return "";
  return std::string(static_cast<const char*>(bytes), size);
}

// What the data stage reads, byte for byte, whether the launcher stores a
// payload as it is or packed: the length, the payload scrambled in whole
// words with a plain tail, zeros to the end of whole granules. (The
// stand-in data stage reads them in every update; a second launcher's are
// refused there.)
TEST(PayloadSection, HoldsTheLengthThenThePayloadScrambledWhetherStoredPlainOrPacked) {
  SYSTEM_INFO info;
  GetSystemInfo(&info);
  const struct {
    uint32_t stored, plain;
  } cases[] = {{201, 201}, {203, 205}, {204, 201}, {200, 202}};
  int32_t index = 7;
  for (const auto& c : cases) {
    std::string plain = Resource(c.plain), stored = Resource(c.stored);
    ASSERT_FALSE(plain.empty()) << c.plain;
    EXPECT_EQ(stored.compare(0, 4, "COMP") == 0, c.stored != c.plain) << c.stored;
    SharedSection* section = PublishPayloadSection(c.stored, index);
    ASSERT_NE(section, nullptr) << c.stored;
    // Read as the data stage reads it: opened by its name.
    char name[32];
    snprintf(name, sizeof name, kPayloadSectionFormat, index++);
    SharedSection reader;
    const unsigned char* view = static_cast<const unsigned char*>(reader.Open(name));
    ASSERT_NE(view, nullptr) << c.stored;
    uint32_t length;
    memcpy(&length, view, 4);
    ASSERT_EQ(length, plain.size()) << c.stored;
    MEMORY_BASIC_INFORMATION region;
    VirtualQuery(view, &region, sizeof region);
    EXPECT_EQ(region.RegionSize, (length + 4 + info.dwAllocationGranularity - 1) / info.dwAllocationGranularity *
                                     info.dwAllocationGranularity);
    std::string sectionBytes(reinterpret_cast<const char*>(view) + 4, region.RegionSize - 4);
    std::string expected(region.RegionSize - 4, '\0');
    ScrambleCopyWithKey(&expected[0], plain.data(), length, payloadKey);
    EXPECT_TRUE(sectionBytes == expected) << c.stored;
    // Scrambled with the data stage's rule, not merely copied.
    EXPECT_NE(sectionBytes.compare(0, 4, plain, 0, 4), 0) << c.stored;
    delete section;
  }
  EXPECT_EQ(PublishPayloadSection(999, 8), nullptr);
}

}  // namespace
