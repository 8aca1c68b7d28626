#include "transport/payload_resource.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "tests/support/harness.h"
#include "transport/control_block.h"
#include "transport/payload_key.h"
#include "transport/payload_section.h"
#include "transport/payload_view.h"

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
  const size_t granule = 65536;  // the allocation granularity of every Windows
  const struct {
    uint32_t stored, plain;
  } cases[] = {{201, 201}, {203, 205}, {204, 201}, {200, 202}};
  int32_t index = 7;
  for (const auto& c : cases) {
    const std::string plain = Resource(c.plain);
    ASSERT_FALSE(plain.empty()) << c.plain;
    EXPECT_EQ(Resource(c.stored).compare(0, 4, "COMP") == 0, c.stored != c.plain) << c.stored;
    std::unique_ptr<SharedSection> section(PublishPayloadSection(c.stored, index));
    // Read as the data stage reads it: opened by its name.
    char name[32];
    snprintf(name, sizeof name, kPayloadSectionFormat, index++);
    SharedSection reader;
    const char* view = section ? static_cast<const char*>(reader.Open(name)) : nullptr;
    MEMORY_BASIC_INFORMATION region = {};
    ASSERT_TRUE(view && VirtualQuery(view, &region, sizeof region)) << c.stored;
    EXPECT_EQ(region.RegionSize, (plain.size() + 4 + granule - 1) / granule * granule) << c.stored;
    std::string expected(region.RegionSize, '\0');
    const uint32_t length = static_cast<uint32_t>(plain.size());
    std::memcpy(&expected[0], &length, 4);
    ScrambleCopyWithKey(&expected[4], plain.data(), length, payloadKey);
    EXPECT_TRUE(std::string(view, region.RegionSize) == expected) << c.stored;
    // Scrambled with the data stage's rule, not merely copied.
    EXPECT_NE(expected.compare(4, 4, plain, 0, 4), 0) << c.stored;
  }
  EXPECT_EQ(PublishPayloadSection(999, 8), nullptr);
}

// A payload through a view of the program's own file, gone with the
// view; and never a file that took the program's name after it started,
// which under an elevated launcher may be the player's. Catches
// own-file-read-unproven.
TEST(PayloadView, ReadsOnlyTheFileTheProgramRunsFromAndLetsGoOfIt) {
  // Its bytes show in the sections published through it.
  auto payload = std::make_unique<PayloadView>();
  ASSERT_TRUE(payload->Open(201));
  const void* address = payload->Bytes();
  payload.reset();
  MEMORY_BASIC_INFORMATION region;
  ASSERT_NE(VirtualQuery(address, &region, sizeof region), 0u);
  EXPECT_EQ(region.State, static_cast<DWORD>(MEM_FREE));
  EXPECT_FALSE(PayloadView().Open(999));

  // The probe's resource 1 is the table; the impostor is the probe with
  // the table's bytes changed.
  std::string folder = TempDirectory() + "\\view probe", probe = folder + "\\probe.exe";
  ASSERT_TRUE(MakeDirectories(folder));
  ASSERT_TRUE(CopyFileA(Sibling("payload_view_probe.exe").c_str(), probe.c_str(), FALSE));
  std::string impostor = FileBytes(probe), table = Resource(202);
  size_t at = impostor.find(table);
  ASSERT_NE(at, std::string::npos);
  for (size_t i = 0; i < table.size(); ++i) impostor[at + i] ^= 0x20;
  HANDLE ready = CreateEventA(nullptr, FALSE, FALSE, "vt3 view probe ready");
  HANDLE go = CreateEventA(nullptr, FALSE, FALSE, "vt3 view probe go");
  for (bool swapped : {false, true}) {
    HANDLE process = StartProcess("\"" + probe + "\" \"vt3 view probe ready\" \"vt3 view probe go\"");
    ASSERT_NE(process, nullptr);
    EXPECT_EQ(WaitForSingleObject(ready, 30000), WAIT_OBJECT_0);
    EXPECT_TRUE(!swapped || (MoveFileA(probe.c_str(), (probe + ".old").c_str()) && WriteFileBytes(probe, impostor)));
    SetEvent(go);
    // Its own file while it keeps its name, its image once it has not.
    EXPECT_EQ(FinishProcess(process), swapped ? 1u : 0u);
  }
  CloseHandle(ready);
  CloseHandle(go);
  RemoveTree(folder);
}

}  // namespace
