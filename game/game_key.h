#pragma once

inline constexpr const char* kGameKeyPath = "Software\\BrenmarkSoft\\Vantor 3\\1.00.0000";
