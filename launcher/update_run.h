#pragma once
#include <windows.h>

#include <cstdint>

// The module instance handle WinMain received; the progress dialog loads from it.
extern HINSTANCE instanceHandle;

constexpr int kProgressDialogId = 145;
constexpr int kProgressBarId = 1004;

// The whole update: checks, payloads, worker, progress, clean-up. Returns
// 1 for status 0.
unsigned char RunUpdate(uint32_t* status, int32_t* detail);
