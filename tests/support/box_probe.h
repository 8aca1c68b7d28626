#pragma once

inline constexpr const char* kBoxCaption = "Vantor 3 v1.1.74.3";
// The box's window property in which the probe answers.
inline constexpr const char* kBoxProbeProperty = "Vt3BoxProbe";
constexpr long kBoxIconInformation = 1;
constexpr long kBoxIconError = 2;
