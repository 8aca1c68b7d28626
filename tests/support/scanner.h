// The handshake between a test build of the update and file_scanner.exe,
// the suite's stand-in for an on-access virus scanner: the update writes
// the path of a file it let go of into the mapping (UTF-16), sets "ask",
// and waits for "holds"; one file at a time, under the mutex.
#pragma once

constexpr const char* kScannerMapping = "Vt3TestScannerPath";
constexpr const char* kScannerAsk = "Vt3TestScannerAsk";
constexpr const char* kScannerHolds = "Vt3TestScannerHolds";
constexpr const char* kScannerTurn = "Vt3TestScannerTurn";
constexpr const char* kScannerStop = "Vt3TestScannerStop";
constexpr unsigned kScannerPathChars = 1024;
