#pragma once

// Recreates "Vantor 3.lnk" (-Setup) and "Vantor 3 (NoSetup).lnk" (-NoSetup)
// in both Programs folders and on the desktop.
void CreateShortcuts(bool startMenu, bool desktop);
void CreateShortcut(const char* linkPath, const char* target, const char* workingDirectory, const char* arguments);
