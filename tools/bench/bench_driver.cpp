// Benchmark driver, inside a Wine prefix: installs the stand-in game, runs
// the launcher with a data stage that works for a fixed time, and measures
// from outside: the launcher's CPU time over wall time while the data stage
// works, its peak working set, the delay from a change of progressCount to
// the bar's new position, and the whole update against the data stage's
// own time. One line per run. After them one run that counts the bytes the
// whole update writes outside the game folder and into it, then RUNS pairs
// of updates with a data stage that does not wait, one of each beside a
// scanner stand-in (bench_scanner.exe, a process of its own that holds
// each new file for 400 ms), for the scanner's cost.
//   bench_driver LAUNCHER RUNS [MARKS]
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/support/harness.h"
#include "tools/bench/bar_probe.h"
#include "tools/bench/clock.h"
#include "tools/bench/temp_bytes.h"
#include "transport/control_block.h"
#include "transport/shared_section.h"
#include "worker/tests/worker_test_util.h"

namespace {

double CpuMilliseconds(HANDLE process) {
  FILETIME created, exited, kernel, user;
  if (!GetProcessTimes(process, &created, &exited, &kernel, &user)) return 0;
  auto ms = [](FILETIME t) { return (static_cast<ULONGLONG>(t.dwHighDateTime) << 32 | t.dwLowDateTime) / 10000.0; };
  return ms(kernel) + ms(user);
}

}  // namespace

// The launcher's CPU time is read outside Wine (Wine cannot tell another
// process's times): the driver marks the data stage's start and end with
// files that the benchmark script's sampler watches.
void Mark(const std::string& folder, const char* name) {
  if (!folder.empty()) WriteFileBytes(folder + "\\" + name, name);
}

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  std::string launcher = argv[1];
  int runs = std::atoi(argv[2]);
  std::string marks = argc > 3 ? argv[3] : "";
  // The working set of a launcher that stops at its first check, for the
  // share of the peak that is Wine's and the program's own.
  DeleteMachineTree("Software\\BrenmarkSoft\\Vantor 3\\1.00.0000");
  HANDLE idle = StartProcess("\"" + launcher + "\"");
  // Read while its box is up: Wine does not always keep the figures of a
  // process that has ended.
  for (int i = 0; i < 30000 && !FindWindowA("#32770", "Vantor 3 v1.1.74.3"); ++i) Sleep(1);
  PROCESS_MEMORY_COUNTERS idleMemory = {sizeof idleMemory};
  GetProcessMemoryInfo(idle, &idleMemory, sizeof idleMemory);
  ObserveBox(idle, 30000);
  WaitForSingleObject(idle, 30000);
  CloseHandle(idle);
  std::printf("# baseline_peak_working_set_mb %.1f\n", idleMemory.PeakWorkingSetSize / 1048576.0);
  std::printf("# mode cpu_over_wall(wine's view) peak_working_set_mb bar_delay_ms_max bar_delay_ms_median update_ms stage_ms\n");
  std::printf("# written outside_game_bytes game_bytes outside_at_stage_start_bytes\n");
  // Even runs measure CPU and time undisturbed; odd runs also record the
  // bar's positions.
  for (int run = 0; run < 4 * runs + 1; ++run) {
    bool watchBar = run < 2 * runs && run % 2 == 1;
    bool countBytes = run == 2 * runs;
    bool paired = run > 2 * runs, scanned = paired && run % 2 == 0;
    const char* mode = watchBar ? "bar" : countBytes ? "bytes" : !paired ? "quiet" : scanned ? "scanner" : "plain";
    GameInstall game;
    if (!game.Create("C:\\Games\\Vantor 3", 0x0409, Sibling("vt3_standin_1_0.exe"))) return 1;
    InstallOldLobbyKey(game.directory);
    // About three seconds of data stage: 40 progress steps of 75 ms.
    if (!paired) WriteFileBytes(game.directory + "\\standin_fault.txt", "slow 75\n");
    FileSnapshot outsideBefore, gameBefore, outsideAtStage, outsideAtEnd, gameAtEnd;
    if (countBytes) {
      outsideBefore = SnapshotOutsideGame();
      Snapshot(game.directory + "\\", &gameBefore);
    }
    HANDLE scanner = nullptr, scannerStop = nullptr;
    if (scanned) {
      char windows[MAX_PATH];
      GetWindowsDirectoryA(windows, MAX_PATH);
      std::string drive = std::string(windows).substr(0, 3);
      scanner = StartProcess("\"" + Sibling("bench_scanner.exe") + "\" 400 \"" + game.directory + "\" \"" + windows +
                             "\\Temp\" \"" + drive + "users\" \"" + drive + "ProgramData\"");
      HANDLE ready = nullptr;
      for (int i = 0; i < 10000 && scanner && !ready; ++i, Sleep(1))
        ready = OpenEventA(SYNCHRONIZE, FALSE, "Vt3BenchScannerReady");
      if (!ready || WaitForSingleObject(ready, 10000) != WAIT_OBJECT_0) return 1;
      CloseHandle(ready);
      scannerStop = OpenEventA(EVENT_MODIFY_STATE, FALSE, "Vt3BenchScannerStop");
    }
    // The bar's positions are recorded inside the launcher by a hook, so
    // that watching them never wakes it.
    HANDLE probe = nullptr;
    LONG* sent = nullptr;
    HHOOK hook = nullptr;
    if (watchBar) {
      probe = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 8192, kProgressProbeMapping);
      sent = static_cast<LONG*>(MapViewOfFile(probe, FILE_MAP_ALL_ACCESS, 0, 0, 0));
      sent[0] = 0;
      HMODULE dll = LoadLibraryA(Sibling("bar_probe.dll").c_str());
      hook = SetWindowsHookExA(WH_CALLWNDPROC,
                               reinterpret_cast<HOOKPROC>(GetProcAddress(dll, "ProgressProbeHook")), dll, 0);
    }
    std::vector<std::pair<int32_t, double>> seen;  // position implied by the block, and when
    double start = Now();
    HANDLE process = StartProcess("\"" + launcher + "\"");
    if (!process) return 1;
    SharedSection section;
    volatile ControlBlock* block = nullptr;
    while (!block && WaitForSingleObject(process, 0) == WAIT_TIMEOUT)
      block = static_cast<volatile ControlBlock*>(section.Open(kControlSectionName));
    double stageStart = 0, stageEnd = 0, cpuStart = 0, cpuEnd = 0;
    int32_t lastCount = -1;
    std::vector<double> delays;
    while (block && WaitForSingleObject(process, 0) == WAIT_TIMEOUT) {
      int32_t total = block->progressTotal, count = block->progressCount;
      double now = Now();
      if (!stageStart && total == kStageProgressTotal) {
        stageStart = now;
        cpuStart = CpuMilliseconds(process);
        if (!watchBar && !countBytes && !paired) Mark(marks, ("start" + std::to_string(run)).c_str());
        // The run folder holds the worker and the data stage's copy now.
        if (countBytes) outsideAtStage = SnapshotOutsideGame();
      }
      if (stageStart && count != lastCount) {
        int32_t position = static_cast<int32_t>(static_cast<int64_t>(count) * 100 / total);
        if (seen.empty() || seen.back().first != position) seen.emplace_back(position, now);
        lastCount = count;
      }
      if (stageStart && !stageEnd && (block->errorCode || count >= kStageProgressTotal || block->doneFlag)) {
        stageEnd = now;
        cpuEnd = CpuMilliseconds(process);
        if (!watchBar && !countBytes && !paired) Mark(marks, ("end" + std::to_string(run)).c_str());
      }
      if (stageEnd && FindWindowA("#32770", "Vantor 3 v1.1.74.3")) break;
      Sleep(1);
    }
    for (int i = 0; i < 60000 && !FindWindowA("#32770", "Vantor 3 v1.1.74.3"); ++i) Sleep(1);
    double boxAt = Now();
    BoxSeen box = ObserveBox(process, 60000);
    if (watchBar) {
      UnhookWindowsHookEx(hook);
      LARGE_INTEGER frequency;
      QueryPerformanceFrequency(&frequency);
      const LONGLONG* times = reinterpret_cast<const LONGLONG*>(reinterpret_cast<const char*>(sent) + kProgressProbeTimes);
      for (LONG i = 0; i < sent[0]; ++i) {
        double sentAt = 1000.0 * static_cast<double>(times[i]) / static_cast<double>(frequency.QuadPart);
        for (const auto& change : seen)
          if (change.first == sent[1 + i]) {
            delays.push_back(sentAt - change.second);
            break;
          }
      }
      UnmapViewOfFile(sent);
      CloseHandle(probe);
    }
    WaitForSingleObject(process, 60000);
    if (scanner) {
      SetEvent(scannerStop);
      WaitForSingleObject(scanner, 10000);
      CloseHandle(scannerStop);
      CloseHandle(scanner);
    }
    if (countBytes) {
      outsideAtEnd = SnapshotOutsideGame();
      Snapshot(game.directory + "\\", &gameAtEnd);
      std::printf("written %llu %llu %llu\n",
                  static_cast<unsigned long long>(BytesWritten(outsideBefore, {&outsideAtStage, &outsideAtEnd})),
                  static_cast<unsigned long long>(BytesWritten(gameBefore, {&gameAtEnd})),
                  static_cast<unsigned long long>(BytesWritten(outsideBefore, {&outsideAtStage})));
    }
    PROCESS_MEMORY_COUNTERS memory = {sizeof memory};
    GetProcessMemoryInfo(process, &memory, sizeof memory);
    CloseHandle(process);
    section.Close();
    std::sort(delays.begin(), delays.end());
    double wall = stageEnd - stageStart;
    std::printf("%s %.4f %.1f %.1f %.1f %.0f %.0f %s\n", mode,
                wall > 0 ? (cpuEnd - cpuStart) / wall : -1, memory.PeakWorkingSetSize / 1048576.0,
                delays.empty() ? -1 : delays.back(), delays.empty() ? -1 : delays[delays.size() / 2], boxAt - start,
                wall, box.text == "Operation completed" ? "ok" : box.text.c_str());
    RemoveTree(game.directory);
  }
  return 0;
}
