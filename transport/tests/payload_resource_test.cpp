#include "transport/payload_resource.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/harness.h"
#include "transport/payload_section.h"

namespace {

// Resources of this test: 200 the table in a COMP container, 201 the
// archive payload, 202 the table as it is. (What the worker writes from
// its resources shows in every update.)
std::string Resource(uint32_t id) {
  const void* bytes;
  uint32_t size;
  if (!LoadPayloadResource(id, "BINARY", nullptr, &bytes, &size)) return "";
  return std::string(static_cast<const char*>(bytes), size);
}

// The data stage reads the sections back in every update, and a second
// launcher's are refused there; what the real data stage relies on besides
// is their layout: the length, then the payload scrambled in whole words.
TEST(PayloadSection, LengthThenScrambledWholeWordsInWholeGranules) {
  SharedSection* section = PublishPayloadSection(201, 7);
  ASSERT_NE(section, nullptr);
  std::string archive = Resource(201);
  const unsigned char* view = static_cast<const unsigned char*>(section->View());
  uint32_t length;
  memcpy(&length, view, 4);
  EXPECT_EQ(length, 3741719u);
  MEMORY_BASIC_INFORMATION region;
  VirtualQuery(view, &region, sizeof region);
  SYSTEM_INFO info;
  GetSystemInfo(&info);
  EXPECT_EQ(region.RegionSize, (length + 4 + info.dwAllocationGranularity - 1) / info.dwAllocationGranularity *
                                   info.dwAllocationGranularity);
  // Scrambled in the section, whole words only (3741719 % 4 == 3: a plain tail).
  EXPECT_NE(std::string(reinterpret_cast<const char*>(view) + 4, 4), "BFV0");
  EXPECT_EQ(view[4 + length - 1], static_cast<unsigned char>(archive[length - 1]));
  delete section;
  EXPECT_EQ(PublishPayloadSection(999, 8), nullptr);
  // A container is published inflated.
  SharedSection* inflated = PublishPayloadSection(200, 9);
  ASSERT_NE(inflated, nullptr);
  memcpy(&length, inflated->View(), 4);
  EXPECT_EQ(length, Resource(202).size());
  delete inflated;
}

}  // namespace
