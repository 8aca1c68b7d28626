// The benchmark's hook DLL (bar_probe.dll): set as a global WH_CALLWNDPROC
// hook before the launcher starts, it records every position the progress
// bar is sent and when.
#pragma once

// The positions sent to the progress bar, in order: [0] their number, then
// up to kProgressProbeSlots positions; from byte kProgressProbeTimes on,
// the performance counter at each send (64-bit values).
inline constexpr const char* kProgressProbeMapping = "Vt3ProgressProbe";
constexpr long kProgressProbeSlots = 255;
constexpr unsigned kProgressProbeTimes = 1024;
