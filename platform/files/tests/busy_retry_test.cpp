// The retries of a busy file, on a clock that only counts: the budget is
// process-wide and spent for good, so ctest runs this case on its own.
#include <windows.h>

#include <gtest/gtest.h>

#include "platform/files/busy_retry.h"
#include "tests/support/counted_sleep.h"

namespace {

// One operation, retried as any is, that fails with `error` until attempt
// `succeedAt` (0: never): the attempts it made.
int Attempts(bool succeeds, DWORD error = ERROR_SHARING_VIOLATION, int succeedAt = 0) {
  int made = 0;
  EXPECT_EQ(RetryWhileBusy([&] {
              if (++made == succeedAt) return true;
              SetLastError(error);
              return false;
            }),
            succeeds);
  return made;
}

// A file that is not busy fails at once, with its own error (how the fault
// builds inject theirs); a busy one is retried until it frees, at most
// five seconds an operation, and 30 seconds in all: past that, a busy file
// fails at the first attempt. Catches retry-budget-never-spent.
TEST(RetryBudget, BusyFilesWaitFiveSecondsEachAndThirtyInAll) {
  CountSleeps(true);
  EXPECT_EQ(Attempts(false, ERROR_WRITE_FAULT), 1);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_WRITE_FAULT));
  EXPECT_EQ(SleptMs(), 0u);
  EXPECT_EQ(Attempts(true, ERROR_ACCESS_DENIED, 3), 3);
  EXPECT_EQ(SleptMs(), 30u);  // 10, then 20
  int operations = 0;
  for (DWORD before = SleptMs(); SleptMs() < kBusyRetryBudgetMs && operations < 20; ++operations) {
    Attempts(false);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_LE(SleptMs() - before, kBusyRetryOperationMs);
    before = SleptMs();
  }
  EXPECT_EQ(operations, 6);  // five of 5 s, and what was left
  EXPECT_EQ(Attempts(false), 1);
  EXPECT_EQ(SleptMs(), kBusyRetryBudgetMs);
  CountSleeps(false);
}

}  // namespace
