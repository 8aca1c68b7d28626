// Benchmark driver for ours against the NSIS peer, inside one Wine prefix:
// starts each patcher in turn, RUNS times, and prints one line per run:
//   PATCHER start_ms peak_working_set_mb written_bytes file_bytes game_bytes
// The start is the time from the patcher's start to its worker's; the
// bytes written are those of the files it had created or changed by then
// outside the game folder (wherever its temporary files went), and
// separately in the game folder. The patcher's CPU time while the worker works is read outside Wine
// (which cannot tell another process's times), from the marks this driver
// leaves: start-PATCHER-RUN and end-PATCHER-RUN, holding the file name.
// One untimed round comes first: the first GUI program in a fresh prefix
// starts Wine's desktop and RPC service (about 250 ms), which a player's
// Windows has running long before, and whichever patcher came first paid
// for them.
//   peer_driver MARKS RUNS PATCHER...
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/support/harness.h"
#include "tools/bench/clock.h"
#include "tools/bench/temp_bytes.h"
#include "worker/tests/worker_test_util.h"

namespace {

void Mark(const std::string& folder, const std::string& name, const std::string& patcher) {
  WriteFileBytes(folder + "\\" + name, patcher.substr(patcher.find_last_of('\\') + 1));
}

// Writes the host's dirty pages out and waits until that is done: the
// files the patcher before wrote are otherwise flushed while the next one
// runs, and whichever follows the NSIS peers' 10 MB paid for them.
void SettleDisk() {
  char marker[64];
  std::snprintf(marker, sizeof marker, "/tmp/vt3-bench-synced-%lu", GetCurrentProcessId());
  std::string windowsName = std::string("Z:") + marker;
  for (char& c : windowsName) c = c == '/' ? '\\' : c;
  DeleteFileA(windowsName.c_str());
  // Wine starts a Unix program given by its Unix path; its handle does not
  // tell when it ends, the marker does.
  std::string line = std::string("/bin/sh -c \"sync; : >") + marker + "\"";
  STARTUPINFOA startup = {sizeof startup};
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) return;
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  for (int i = 0; i < 3000 && GetFileAttributesA(windowsName.c_str()) == INVALID_FILE_ATTRIBUTES; ++i) Sleep(10);
  DeleteFileA(windowsName.c_str());
}

bool ReadReport(const std::string& path, double* started) {
  std::string text;
  return ReadFileBytes(path, &text) && std::sscanf(text.c_str(), "%lf", started) == 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) return 2;
  std::string marks = argv[1];
  int runs = std::atoi(argv[2]);
  std::string report = TempDirectory() + "vt3_bench_worker.txt";
  std::printf("# patcher start_ms peak_working_set_mb written_bytes file_bytes game_bytes\n");
  for (int run = -1; run < runs; ++run) {
    for (int p = 3; p < argc; ++p) {
      std::string patcher = argv[p];
      GameInstall game;
      if (!game.Create("C:\\Games\\Vantor 3", 0x0409, Sibling("vt3_standin_1_0.exe"))) return 1;
      InstallOldLobbyKey(game.directory);
      DeleteFileA(report.c_str());
      FileSnapshot before = SnapshotOutsideGame(), gameBefore;
      Snapshot(game.directory + "\\", &gameBefore);
      std::string tag = std::to_string(p) + "-" + std::to_string(run);
      SettleDisk();
      double start = Now();
      HANDLE process = StartProcess("\"" + patcher + "\"");
      if (!process) return 1;
      double started = 0;
      while (!ReadReport(report, &started) && WaitForSingleObject(process, 1) == WAIT_TIMEOUT) {
      }
      // Neither patcher writes after its worker's start until it ends.
      FileSnapshot after = SnapshotOutsideGame(), gameAfter;
      Snapshot(game.directory + "\\", &gameAfter);
      uint64_t written = BytesWritten(before, {&after}, "\\vt3_bench_worker.txt");
      uint64_t gameWritten = BytesWritten(gameBefore, {&gameAfter});
      bool timed = run >= 0;
      if (timed) {
        // The worker works for six seconds; measure the patcher over five
        // of them (the ticks are 10 ms: a resolution of 0.002).
        Mark(marks, "start-" + tag, patcher);
        Sleep(5000);
        Mark(marks, "end-" + tag, patcher);
      }
      // Read while it still runs: Wine does not always keep the figures of
      // a process that has ended.
      PROCESS_MEMORY_COUNTERS memory = {sizeof memory};
      GetProcessMemoryInfo(process, &memory, sizeof memory);
      ObserveBox(process, 60000);  // ours ends with its message; the peer closes itself
      WaitForSingleObject(process, 60000);
      PROCESS_MEMORY_COUNTERS last = {sizeof last};
      if (GetProcessMemoryInfo(process, &last, sizeof last) && last.PeakWorkingSetSize > memory.PeakWorkingSetSize)
        memory = last;
      CloseHandle(process);
      if (!timed) {
        RemoveTree(game.directory);
        continue;
      }
      WIN32_FILE_ATTRIBUTE_DATA file;
      GetFileAttributesExA(patcher.c_str(), GetFileExInfoStandard, &file);
      std::printf("%s %.1f %.1f %llu %lu %llu\n", patcher.substr(patcher.find_last_of('\\') + 1).c_str(),
                  started > 0 ? started - start : -1.0, memory.PeakWorkingSetSize / 1048576.0,
                  static_cast<unsigned long long>(written), static_cast<unsigned long>(file.nFileSizeLow),
                  static_cast<unsigned long long>(gameWritten));
      std::fflush(stdout);
      RemoveTree(game.directory);
    }
  }
  return 0;
}
