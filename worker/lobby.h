#pragma once

inline constexpr const char* kOldLobbyKey =
    "SOFTWARE\\Microsoft\\DirectPlay8\\Applications\\{821B7D8A-5917-442A-8553-8DFCC67E8E37}";
inline constexpr const char* kNewLobbyKey =
    "SOFTWARE\\Microsoft\\DirectPlay8\\Applications\\{821B7D8A-5917-442A-8553-8DFCC67E8E36}";
inline constexpr const char* kNewLobbyGuid = "{821B7D8A-5917-442A-8553-8DFCC67E8E36}";

// Moves the game's DirectPlay 8 lobby registration to the new GUID's key.
// The old key is deleted only once the new one exists.
bool RegisterLobbyApplication();
