#pragma once

inline constexpr const char* kBoxCaption = "Vantor 3 v1.1.74.3";
inline constexpr const char* kBoxProbeMapping = "Vt3BoxProbe";
constexpr long kBoxIconInformation = 1;
constexpr long kBoxIconError = 2;
