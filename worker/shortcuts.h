#pragma once

// Finds both Programs folders and the desktop, by their final paths; done
// before the process refuses junctions that the player made.
void FindShortcutFolders();
// Recreates "Vantor 3.lnk" (-Setup) and "Vantor 3 (NoSetup).lnk" (-NoSetup)
// for the game in folder `game` in both Programs folders and on the desktop.
// Each folder is held while its links are saved; none is used where it,
// or a folder on the way to it below the shell folder, is a link.
// True when every link was saved in every folder the system has and that
// is no link; false also when the game's vt3.exe is not there.
bool CreateShortcuts(const char* game, bool startMenu, bool desktop);
// Removes what a run cut while it saved a shortcut left in those folders:
// "Vantor 3.lnk." or "Vantor 3 (NoSetup).lnk." + sixteen hexadecimal
// digits + ".tmp", the fresh name a link is saved under on NT. Nothing
// else is touched, and nothing in a folder that is, or lies behind, a link.
void RemoveHalfMadeShortcuts();
void CreateShortcut(const char* linkPath, const char* target, const char* workingDirectory, const char* arguments);
