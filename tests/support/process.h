#pragma once
#include <windows.h>

#include <string>

// Runs a command line to its end; the exit code, or 0xFFFFFFFF when it did
// not start or did not end within the time.
DWORD RunProcess(const std::string& commandLine, DWORD timeoutMs = 30000);
// Starts a command line; the process handle, or null.
HANDLE StartProcess(const std::string& commandLine);
