#pragma once

inline constexpr const char* kBoxCaption = "Vantor 3 v1.1.74.3";
inline constexpr const char* kBoxProbeMapping = "Vt3BoxProbe";
constexpr long kBoxIconInformation = 1;
constexpr long kBoxIconError = 2;

// The positions sent to the progress bar, in order: [0] their number, then
// up to kProgressProbeSlots positions; from byte kProgressProbeTimes on,
// the performance counter at each send (64-bit values).
inline constexpr const char* kProgressProbeMapping = "Vt3ProgressProbe";
constexpr long kProgressProbeSlots = 255;
constexpr unsigned kProgressProbeTimes = 1024;
