#include "transport/shared_section.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/harness.h"

namespace {

std::string Peer(const std::string& arguments) { return "\"" + Sibling("section_peer.exe") + "\" " + arguments; }

// Existing sections (another update's) show end to end; here the size,
// the zeroing, and a name too long for its mutex.
TEST(SharedSection, CreatorAndOpenerShareZeroedWholeGranules) {
  SharedSection creator, opener;
  auto* created = static_cast<volatile uint32_t*>(creator.Create("Vt3TestShare", 88));
  ASSERT_NE(created, nullptr);
  EXPECT_FALSE(creator.Existed());
  SYSTEM_INFO info;
  GetSystemInfo(&info);
  MEMORY_BASIC_INFORMATION region;
  ASSERT_NE(VirtualQuery(const_cast<uint32_t*>(created), &region, sizeof region), 0u);
  EXPECT_EQ(region.RegionSize % info.dwAllocationGranularity, 0u) << region.RegionSize;
  for (size_t i = 0; i < region.RegionSize / 4; ++i) ASSERT_EQ(created[i], 0u) << i;
  auto* opened = static_cast<volatile uint32_t*>(opener.Open("Vt3TestShare"));
  ASSERT_NE(opened, nullptr);
  created[5] = 0x12345678;
  EXPECT_EQ(opened[5], 0x12345678u);
  SharedSection tooLong;
  EXPECT_EQ(tooLong.Create(std::string(300, 'n').c_str(), 88), nullptr);
  EXPECT_EQ(tooLong.Lock(0), 0u);
}

TEST(SharedSection, LockUnlockAndCloseReleaseTheMutexAndAnAbandonedOneIsGivenBack) {
  SharedSection section;
  ASSERT_NE(section.Create("Vt3TestLock", 88), nullptr);
  EXPECT_EQ(section.Lock(0), 1u);
  EXPECT_EQ(RunProcess(Peer("wait Vt3TestLock 0")), 1u);  // held here
  section.Unlock();
  EXPECT_EQ(RunProcess(Peer("wait Vt3TestLock 0")), 0u);
  // A peer waits while this object holds the lock; closing lets it in.
  EXPECT_EQ(section.Lock(INFINITE), 1u);
  SharedSection keeper;  // keeps the section alive once `section` closes
  ASSERT_NE(keeper.Open("Vt3TestLock"), nullptr);
  HANDLE waiter = StartProcess(Peer("wait Vt3TestLock 20000"));
  ASSERT_NE(waiter, nullptr);
  EXPECT_EQ(WaitForSingleObject(waiter, 500), static_cast<DWORD>(WAIT_TIMEOUT));
  section.Close();
  EXPECT_EQ(FinishProcess(waiter, 10000), 0u);
  // Abandoned by a process that ended holding it: reported as not locked,
  // and nobody keeps the ownership the system handed over.
  ASSERT_EQ(RunProcess(Peer("hold Vt3TestLock")), 0u);
  EXPECT_EQ(keeper.Lock(INFINITE), 0u);
  EXPECT_EQ(RunProcess(Peer("wait Vt3TestLock 0")), 0u);
  EXPECT_EQ(keeper.Lock(0), 1u);
  keeper.Unlock();
}

}  // namespace
