#include "transport/payload_resource.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "tests/support/harness.h"
#include "transport/payload_key.h"
#include "transport/payload_section.h"

namespace {

// Resources of this test: 200 the table in a COMP container, 201 the
// archive payload, 202 the table as it is.
std::string Resource(uint32_t id) {
  const void* bytes;
  uint32_t size;
  if (!LoadPayloadResource(id, "BINARY", nullptr, &bytes, &size)) return "";
  return std::string(static_cast<const char*>(bytes), size);
}

TEST(PayloadFiles, ContainersAreWrittenInflatedPlainDataAsItIsAndFailuresTouchNothing) {
  std::string dir = TempDirectory() + "vt3_payload_files", path = dir + "\\out.bin", table, written;
  RemoveTree(dir);
  ASSERT_TRUE(MakeDirectories(dir));
  ASSERT_TRUE(ReadFileBytes(VT3_SHIPPED_TABLE, &table));
  ASSERT_TRUE(WriteFileBytes(path, std::string(table.size() * 2, 'x')));  // truncated by the write
  auto writtenAs = [&](bool ok) { return ok && ReadFileBytes(path, &written) ? written : "failed"; };
  EXPECT_TRUE(writtenAs(WriteResourceToFile(200, path.c_str())) == table);
  EXPECT_TRUE(writtenAs(WriteRawResourceToFile(200, path.c_str())) == Resource(200));
  EXPECT_TRUE(writtenAs(WriteResourceToFile(201, path.c_str())) == Resource(201));
  EXPECT_EQ(Resource(200).substr(0, 4), "COMP");
  ASSERT_TRUE(WriteFileBytes(path, "keep me"));
  EXPECT_FALSE(WriteResourceToFile(999, path.c_str()));
  EXPECT_FALSE(WriteRawResourceToFile(999, path.c_str()));
  ASSERT_TRUE(ReadFileBytes(path, &written));
  EXPECT_EQ(written, "keep me");
  EXPECT_FALSE(WriteResourceToFile(999, (dir + "\\new.txt").c_str()));
  EXPECT_FALSE(FileExists(dir + "\\new.txt"));
  EXPECT_FALSE(WriteResourceToFile(202, (dir + "\\no\\such\\dir.txt").c_str()));
  EXPECT_FALSE(WriteResourceToFile(202, dir.c_str()));  // a directory cannot be opened as a file
  RemoveTree(dir);
}

TEST(PayloadSection, PublishedPayloadIsReadBackByAnotherProcess) {
  SharedSection* section = PublishPayloadSection(201, 7);
  ASSERT_NE(section, nullptr);
  std::string archive = Resource(201), copied, out = TempDirectory() + "vt3_peer.bin";
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
  char key[16];
  snprintf(key, sizeof key, "%08lx", static_cast<unsigned long>(payloadKey));
  EXPECT_EQ(RunProcess("\"" + Sibling("section_peer.exe") + "\" read VuzFshare7 " + key + " \"" + out + "\""), 0u);
  ASSERT_TRUE(ReadFileBytes(out, &copied));
  DeleteFileA(out.c_str());
  EXPECT_TRUE(copied == archive) << "payload differs after the round trip";
  // A second launcher's publication leaves this one's section alone.
  EXPECT_EQ(PublishPayloadSection(202, 7), nullptr);
  memcpy(&length, view, 4);
  EXPECT_EQ(length, 3741719u);
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
