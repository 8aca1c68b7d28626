#include "transport/shared_section.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/support/harness.h"

namespace {

std::string Peer(const std::string& arguments) { return "\"" + Sibling("section_peer.exe") + "\" " + arguments; }

// A section's size, zeroing and sharing show in the payload sections'
// test, existing ones (another update's) end to end; here the lock, and a
// name too long for its mutex. Catches abandoned-mutex-kept.
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
  SharedSection tooLong;
  EXPECT_EQ(tooLong.Create(std::string(300, 'n').c_str(), 88), nullptr);
  EXPECT_EQ(tooLong.Lock(0), 0u);
}

}  // namespace
