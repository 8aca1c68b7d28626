// Benchmark worker that both patchers start, ours from its 150 and the NSIS
// peer from its temporary folder: it notes when it started (the driver
// then counts what the patcher has written), works (sleeps) for a fixed
// time, and reports done in the control block when there is one. Padded to
// the real worker's size at build time.
#include <windows.h>

#include <cstdio>
#include <string>

#include "tools/bench/clock.h"
#include "transport/control_block.h"
#include "transport/shared_section.h"

namespace {

constexpr DWORD kWorkMilliseconds = 6000;

}  // namespace

int main() {
  double started = Now();
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  std::string report = std::string(temp) + "vt3_bench_worker.txt";
  FILE* out = std::fopen(report.c_str(), "w");
  if (out) {
    std::fprintf(out, "%.3f\n", started);
    std::fclose(out);
  }
  SharedSection section;
  volatile ControlBlock* block = static_cast<volatile ControlBlock*>(section.Open(kControlSectionName));
  Sleep(kWorkMilliseconds);
  if (block && section.Lock(INFINITE)) {
    block->doneFlag = 1;
    section.Unlock();
  }
  return 0;
}
