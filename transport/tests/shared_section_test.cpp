#include "transport/shared_section.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "tests/support/harness.h"
#include "tests/support/process.h"

namespace {

std::string Peer(const std::string& arguments) { return "\"" + Sibling("section_peer.exe") + "\" " + arguments; }

TEST(SharedSection, CreatorAndOpenerShareBytes) {
  SharedSection creator, opener;
  auto* created = static_cast<volatile uint32_t*>(creator.Create("Vt3TestShare", 88));
  ASSERT_NE(created, nullptr);
  EXPECT_FALSE(creator.Existed());
  auto* opened = static_cast<volatile uint32_t*>(opener.Open("Vt3TestShare"));
  ASSERT_NE(opened, nullptr);
  created[5] = 0x12345678;
  EXPECT_EQ(opened[5], 0x12345678u);
  opened[21] = 7;
  EXPECT_EQ(created[21], 7u);
  EXPECT_EQ(RunProcess(Peer("write Vt3TestShare 8 0xCAFE")), 0u);
  EXPECT_EQ(created[2], 0xCAFEu);
  // Creating it again attaches to the same bytes.
  SharedSection again;
  auto* attached = static_cast<volatile uint32_t*>(again.Create("Vt3TestShare", 88));
  ASSERT_NE(attached, nullptr);
  EXPECT_TRUE(again.Existed());
  EXPECT_EQ(attached[5], 0x12345678u);
  EXPECT_EQ(attached[2], 0xCAFEu);
}

TEST(SharedSection, SizeIsAWholeNumberOfGranules) {
  SYSTEM_INFO info;
  GetSystemInfo(&info);
  SharedSection section;
  void* view = section.Create("Vt3TestSize", 88);
  ASSERT_NE(view, nullptr);
  MEMORY_BASIC_INFORMATION region;
  ASSERT_NE(VirtualQuery(view, &region, sizeof region), 0u);
  EXPECT_EQ(region.RegionSize % info.dwAllocationGranularity, 0u) << region.RegionSize;
  EXPECT_GE(region.RegionSize, 88u);
  const unsigned char* bytes = static_cast<const unsigned char*>(view);
  for (size_t i = 0; i < region.RegionSize; ++i) ASSERT_EQ(bytes[i], 0) << i;  // a new section is zero
}

TEST(SharedSection, OpenOfUnknownNameStaysClosed) {
  SharedSection section;
  EXPECT_EQ(section.Open("Vt3TestNobodyMadeThis"), nullptr);
  EXPECT_EQ(section.View(), nullptr);
  EXPECT_EQ(section.Lock(0), 0u);
  section.Unlock();
  section.Close();
  section.Close();
  EXPECT_EQ(section.Create(std::string(300, 'n').c_str(), 88), nullptr);
}

TEST(SharedSection, LockUnlockAndCloseReleaseTheMutex) {
  SharedSection section;
  ASSERT_NE(section.Create("Vt3TestLock", 88), nullptr);
  section.Unlock();  // not locked: nothing happens
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
  EXPECT_EQ(WaitForSingleObject(waiter, 10000), WAIT_OBJECT_0);
  DWORD code = 99;
  GetExitCodeProcess(waiter, &code);
  CloseHandle(waiter);
  EXPECT_EQ(code, 0u);
}

TEST(SharedSection, AbandonedMutexReportsNotLockedAndIsGivenBack) {
  SharedSection section;
  ASSERT_NE(section.Create("Vt3TestAbandon", 88), nullptr);
  ASSERT_EQ(RunProcess(Peer("hold Vt3TestAbandon")), 0u);
  EXPECT_EQ(section.Lock(INFINITE), 0u);
  // Nobody keeps the ownership the system handed over: another process gets in.
  EXPECT_EQ(RunProcess(Peer("wait Vt3TestAbandon 0")), 0u);
  EXPECT_EQ(section.Lock(0), 1u);
  section.Unlock();
}

}  // namespace
