// The retries of a busy file, on a clock that only counts: the budget is
// process-wide and spent for good, so ctest runs this case on its own.
#include <windows.h>

#include <gtest/gtest.h>

#include "platform/files/busy_retry.h"
#include "tests/support/counted_sleep.h"

namespace {

struct Attempts {
  int made = 0;
  int succeedAt = 0;  // 0: never
  DWORD error = ERROR_SHARING_VIOLATION;
};

// Retried as any operation is, through a callable.
bool Retry(Attempts* attempts) {
  return RetryWhileBusy([&] {
    ++attempts->made;
    if (attempts->made == attempts->succeedAt) return true;
    SetLastError(attempts->error);
    return false;
  });
}

// A file that is not busy fails at once, with its own error (how the fault
// builds inject theirs); a busy one is retried until it frees, at most
// five seconds an operation, and 30 seconds in all: past that, a busy file
// fails at the first attempt.
TEST(RetryBudget, BusyFilesWaitFiveSecondsEachAndThirtyInAll) {
  CountSleeps(true);
  Attempts other;
  other.error = ERROR_WRITE_FAULT;
  EXPECT_FALSE(Retry(&other));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_WRITE_FAULT));
  EXPECT_EQ(other.made, 1);
  EXPECT_EQ(SleptMs(), 0u);

  Attempts freed;
  freed.succeedAt = 3;
  freed.error = ERROR_ACCESS_DENIED;
  EXPECT_TRUE(Retry(&freed));
  EXPECT_EQ(SleptMs(), 30u);  // 10, then 20

  DWORD before = SleptMs();
  int operations = 0;
  while (SleptMs() < kBusyRetryBudgetMs && operations < 20) {
    Attempts busy;
    EXPECT_FALSE(Retry(&busy));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_LE(SleptMs() - before, kBusyRetryOperationMs);
    before = SleptMs();
    ++operations;
  }
  EXPECT_EQ(SleptMs(), kBusyRetryBudgetMs);
  EXPECT_EQ(operations, 6);  // five of 5 s, and what was left
  Attempts spent;
  EXPECT_FALSE(Retry(&spent));
  EXPECT_EQ(spent.made, 1);
  EXPECT_EQ(SleptMs(), kBusyRetryBudgetMs);
  CountSleeps(false);
}

}  // namespace
