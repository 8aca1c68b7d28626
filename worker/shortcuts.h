#pragma once

// Finds both Programs folders and the desktop, by their final paths; done
// before the process refuses junctions that the player made.
void FindShortcutFolders();
// Recreates "Vantor 3.lnk" (-Setup) and "Vantor 3 (NoSetup).lnk" (-NoSetup)
// for the game in folder `game` in both Programs folders and on the desktop.
// True when every link was saved in every folder the system has; false
// also when the game's vt3.exe is not there.
bool CreateShortcuts(const char* game, bool startMenu, bool desktop);
// Removes what a run cut while it saved a shortcut left in those folders:
// "Vantor 3.lnk." or "Vantor 3 (NoSetup).lnk." + sixteen hexadecimal
// digits + ".tmp", the fresh name a link is saved under on NT. Nothing
// else is touched.
void RemoveHalfMadeShortcuts();
void CreateShortcut(const char* linkPath, const char* target, const char* workingDirectory, const char* arguments);
