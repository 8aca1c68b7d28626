#include "worker/installation.h"

#include <process.h>
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "platform/file_helpers.h"
#include "platform/game_settings.h"
#include "transport/control_block.h"
#include "transport/payload_resource.h"
#include "worker/file_version.h"
#include "worker/lobby.h"
#include "worker/readme.h"
#include "worker/shortcuts.h"

uint32_t workerError = 0;

namespace {

struct GamePaths {
  char directory[MAX_PATH];
  char executable[MAX_PATH];
  char commandLine[MAX_PATH];
  char joystick[MAX_PATH];
  char joystickBackup[MAX_PATH];
};

// Every name built on the game directory must fit, or the directory counts
// as unreadable.
bool ReadGamePaths(GamePaths* paths) {
  char dataPath[MAX_PATH];
  if (!ReadGameSetting("DataPath", dataPath, MAX_PATH)) return false;
  if (!ReadGameSetting("SavingPath", paths->directory, MAX_PATH)) return false;
  const char* directory = paths->directory;
  return FormatPath(paths->executable, MAX_PATH, "%s\\vt3.exe", directory) &&
         FormatPath(paths->commandLine, MAX_PATH, "%s -nosetup", directory) &&
         FormatPath(paths->joystick, MAX_PATH, "%s\\data\\players\\joystick.ini", directory) &&
         FormatPath(paths->joystickBackup, MAX_PATH, "%s\\data\\players\\joystick.bak", directory);
}

// When the old executable is gone and the new one would not move into its
// place: copy it instead, and if even that fails, keep it and tell the
// player where it is, so that the game is never lost.
void RescueNewExecutable(const char* temporary, const char* installed, bool* kept) {
  if (CopyFileA(temporary, installed, TRUE)) return;
  *kept = true;
  char message[1024];
  std::snprintf(message, sizeof message,
                "The new Vantor 3 program could not be put in place.\n\nIt has been kept as:\n%s\n\n"
                "Copy it to %s to play.",
                temporary, installed);
  MessageBoxA(nullptr, message, "Vantor 3 v1.1.74.3", MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
}

}  // namespace

bool RunInstallation() {
  GamePaths paths;
  if (!ReadGamePaths(&paths)) {
    workerError = kWorkerBadRegistry;
    return false;
  }
  if (!SetCurrentDirectoryA(paths.directory)) {
    workerError = kWorkerNoDirectory;
    return false;
  }

  char tempDirectory[MAX_PATH] = {};
  char temporary[MAX_PATH] = "c:\\temp\\vt3.exe";
  DWORD tempLength = GetTempPathA(MAX_PATH, tempDirectory);
  if (tempLength == 0 || tempLength >= MAX_PATH || !GetTempFileNameA(tempDirectory, "tmp_", 0, temporary))
    temporary[0] = 0;

  bool allWell = true;
  if (!temporary[0] || !WriteRawResourceToFile(kNewGameResource, temporary)) {
    workerError = kWorkerCannotWriteExecutable;
    allWell = false;
  }
  if (!IsNewerFileVersion(temporary, paths.executable)) {
    workerError = kWorkerNotNewer;
    allWell = false;
  }
  if (allWell) {
    // The data stage: the new game itself, which brings the data up to date.
    // The command line is left unquoted, as the game expects it.
    intptr_t status = _spawnl(_P_WAIT, temporary, paths.commandLine, nullptr);
    if (status == -1) {
      workerError = kWorkerCannotReplace;
      allWell = false;
    } else if ((static_cast<uint32_t>(status) & 0xF0000000u) == 0xC0000000u) {
      // Ended by an exception, not by its own hand.
      workerError = kWorkerDataStageCrashed;
      allWell = false;
    }
  }
  bool keepTemporary = false;
  if (allWell) {
    if (!SetFileAttributesA(paths.executable, FILE_ATTRIBUTE_NORMAL)) {
      workerError = kWorkerCannotReplace;
      allWell = false;
    } else {
      bool deleted = DeleteFileA(paths.executable) != 0;
      if (!deleted) {
        workerError = kWorkerCannotReplace;
        allWell = false;
      }
      if (!MoveFileA(temporary, paths.executable)) {
        workerError = kWorkerCannotReplace;
        allWell = false;
        if (deleted) RescueNewExecutable(temporary, paths.executable, &keepTemporary);
      }
    }
  }
  if (temporary[0] && !keepTemporary) DeleteFileA(temporary);
  if (!allWell) return false;

  WriteReadMeFiles(paths.directory);
  CreateShortcuts(true, true);
  RegisterLobbyApplication();

  DeleteFileA(paths.joystickBackup);
  // A player without settings gets the defaults and no backup.
  if (GetFileAttributesA(paths.joystick) != INVALID_FILE_ATTRIBUTES && !MoveFileA(paths.joystick, paths.joystickBackup)) {
    workerError = kWorkerJoystick;
    return false;
  }
  if (!WriteResourceToFile(kJoystickResource, paths.joystick)) {
    workerError = kWorkerJoystick;
    return false;
  }
  return true;
}
