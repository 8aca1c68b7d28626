#pragma once
#include <cstdint>

#include "transport/control_block.h"

// The worker's error code: 0, or the code of the last step that failed.
extern uint32_t workerError;

constexpr unsigned kNewGameResource = 132;
constexpr unsigned kJoystickResource = 137;

// Installs the new game executable after a version check and a run of the
// data stage, then the ReadMe files, shortcuts, lobby registration and
// joystick settings. The new executable replaces the old one only when the
// data stage took over `block` and reported success in it. False with
// workerError set when a deciding step failed.
bool RunInstallation(const volatile ControlBlock* block);
