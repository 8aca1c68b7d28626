#include "worker/installation.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/busy_retry.h"
#include "platform/file_closed.h"
#include "platform/file_helpers.h"
#include "platform/final_path.h"
#include "platform/game_folder.h"
#include "platform/game_settings.h"
#include "platform/held_folder.h"
#include "platform/random_name.h"
#include "platform/redirection_trust.h"
#include "transport/comp.h"
#include "transport/payload_resource.h"
#include "worker/data_stage.h"
#include "worker/file_moves.h"
#include "worker/file_version.h"
#include "worker/image_version.h"
#include "worker/leftover_game.h"
#include "worker/lobby.h"
#include "worker/readme.h"
#include "worker/shortcuts.h"
#include "worker/step_checkpoint.h"
#include "worker/step_record.h"

uint32_t workerError = 0;

namespace {

struct GamePaths {
  char directory[MAX_PATH];
  char executable[MAX_PATH];
  char commandLine[MAX_PATH];
  char joystick[MAX_PATH];
  char joystickBackup[MAX_PATH];
  char joystickNew[MAX_PATH];
  char joystickOld[MAX_PATH];
};

constexpr char kExecutableName[] = "vt3.exe";

// Every name built on the game directory must fit, or the directory counts
// as unreadable. An empty directory names none: nothing is built on it.
bool ReadGamePaths(GamePaths* paths) {
  char dataPath[MAX_PATH];
  if (!ReadGameSetting("DataPath", dataPath, MAX_PATH)) return false;
  if (!ReadGameFolder(paths->directory)) return false;
  // A game folder reached through a link of the player's is worked in by
  // the path behind it, which this process can still follow once it
  // refuses their junctions.
  ResolveFinalPath(paths->directory, MAX_PATH);
  const char* directory = paths->directory;
  return !directory[0] ||
         (JoinInFolder(paths->executable, MAX_PATH, directory, kExecutableName) &&
          FormatPath(paths->commandLine, MAX_PATH, "%s -nosetup", directory) &&
          JoinInFolder(paths->joystick, MAX_PATH, directory, "data\\players\\joystick.ini") &&
          JoinInFolder(paths->joystickBackup, MAX_PATH, directory, "data\\players\\joystick.bak") &&
          JoinInFolder(paths->joystickNew, MAX_PATH, directory, "data\\players\\joystick.new") &&
          JoinInFolder(paths->joystickOld, MAX_PATH, directory, "data\\players\\joystick.old"));
}

// Whether the data stage took over the block and brought the data up to
// date. A data stage always marks the block before its work; a program that
// ended without doing so (an ordinary game build, a start that failed
// inside the game) updated nothing. One that stopped part-way (ended from
// outside, or by its own abort or exit) left the launcher's 0 in errorCode
// but never raised the count to its total, which it does as it finishes.
bool DataStageSucceeded(const volatile ControlBlock* block) {
  int32_t total = block->progressTotal;
  return block->stageTag == kStageTag && block->errorCode == kStageOk && total == kStageProgressTotal &&
         block->progressCount >= total;
}

// When the old executable is gone and the new one would not move into its
// place: copy it instead, and if even that fails, keep it and tell the
// player where it is, so that the game is never lost. The box goes above
// the launcher's progress bar, which is topmost.
bool RescueNewExecutable(const char* temporary, const char* installed) {
  if (CopyNoReplace(temporary, installed)) return true;
  char message[1024];
  std::snprintf(message, sizeof message,
                "The new Vantor 3 program could not be put in place.\n\nIt has been kept as:\n%s\n\n"
                "Copy it to %s to play.",
                temporary, installed);
  MessageBoxA(nullptr, message, "Vantor 3 v1.1.74.3", MB_OK | MB_ICONERROR | MB_SETFOREGROUND | MB_TOPMOST);
  return false;
}

// Puts the new executable in place of the old one: in one rename where the
// system can replace a file, so that there is never a moment without a
// vt3.exe, and through the handle held since the write, so that what goes
// in place is what was written and run (a name released first could be
// swapped for a link to another file), by its name in the held game folder
// where there is one; else (9x, which has neither links nor other accounts)
// delete, then move, with the rescue above.
bool ReplaceExecutable(HeldFile* held, const HeldFolder& folder, const char* temporary, const char* installed,
                       bool* keepTemporary) {
  if (!SetFileAttributesA(installed, FILE_ATTRIBUTE_NORMAL)) return false;
  if (CanMoveReplacing()) {
    bool inFolder = folder.Handle() != INVALID_HANDLE_VALUE;
    return MoveReplacing(held, folder.Handle(), inFolder ? kExecutableName : installed);
  }
  held->Release();
  if (!DeleteFileRetrying(installed)) return false;
  PassCheckpoint("deleted");
  if (MoveNoReplace(temporary, installed)) return true;
  if (RescueNewExecutable(temporary, installed)) return true;
  *keepTemporary = true;
  return false;
}

// Moves joystick.ini to joystick.bak and writes the defaults. The new file
// is written first and an older backup kept aside until the end, so that
// whichever step fails, both files are put back as they were, and then
// `putBack` says so. Without a joystick.ini there is nothing to back up,
// and an older backup stays.
bool ReplaceJoystickSettings(const GamePaths& paths, bool* putBack) {
  *putBack = true;
  DeleteFileRetrying(paths.joystickNew);
  if (!WriteResourceToFile(kJoystickResource, paths.joystickNew, nullptr, true)) {
    DeleteFileRetrying(paths.joystickNew);
    return false;
  }
  bool hadSettings = GetFileInfo(paths.joystick, nullptr, nullptr);
  bool backupAside = false;
  if (hadSettings && GetFileInfo(paths.joystickBackup, nullptr, nullptr)) {
    DeleteFileRetrying(paths.joystickOld);
    if (!MoveNoReplace(paths.joystickBackup, paths.joystickOld)) {
      DeleteFileRetrying(paths.joystickNew);
      return false;
    }
    backupAside = true;
    PassCheckpoint("bak-aside");
  }
  bool settingsMoved = !hadSettings || MoveNoReplace(paths.joystick, paths.joystickBackup);
  if (settingsMoved && hadSettings) PassCheckpoint("ini-backed-up");
  if (settingsMoved && MoveNoReplace(paths.joystickNew, paths.joystick)) {
    PassCheckpoint("defaults-placed");
    if (backupAside) DeleteFileRetrying(paths.joystickOld);
    return true;
  }
  if (settingsMoved && hadSettings && !MoveNoReplace(paths.joystickBackup, paths.joystick)) *putBack = false;
  if (backupAside && !MoveNoReplace(paths.joystickOld, paths.joystickBackup)) *putBack = false;
  DeleteFileRetrying(paths.joystickNew);
  return false;
}

// A run cut between the three moves of the joystick step left the
// player's older backup as joystick.old, and after the second move their
// settings as joystick.bak with no joystick.ini: both go back where they
// were, so that the step starts again from the player's own files. With
// joystick.ini and joystick.bak both there, all three moves were done and
// the older backup was to go, as the step ends. False, with the files in
// a state a later run takes up again, when a move fails.
bool RecoverJoystickBackup(const GamePaths& paths) {
  if (!GetFileInfo(paths.joystickOld, nullptr, nullptr)) return true;
  if (!GetFileInfo(paths.joystickBackup, nullptr, nullptr)) return MoveNoReplace(paths.joystickOld, paths.joystickBackup);
  if (!GetFileInfo(paths.joystick, nullptr, nullptr))
    return MoveNoReplace(paths.joystickBackup, paths.joystick) &&
           MoveNoReplace(paths.joystickOld, paths.joystickBackup);
  return DeleteFileRetrying(paths.joystickOld);
}

// Whether joystick.ini holds the defaults byte for byte. A worker ended
// between their move into place and its record of that left them so; the
// step again would move them over the player's own settings in
// joystick.bak.
bool JoystickSettingsAreDefaults(const GamePaths& paths) {
  const void* bytes;
  uint32_t size, length = 0;
  if (!LoadPayloadResource(kJoystickResource, "BINARY", nullptr, &bytes, &size)) return false;
  unsigned char* defaults = InflateCompCopy(bytes, size, &length);
  if (!defaults) return false;
  bool same = false;
  HANDLE file = CreateFileA(paths.joystick, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  unsigned char* content = static_cast<unsigned char*>(std::malloc(length + 1));
  if (file != INVALID_HANDLE_VALUE && content) {
    // One byte more than the defaults, so that a longer file does not match.
    DWORD got = 0;
    same = ReadFile(file, content, length + 1, &got, nullptr) && got == length &&
           std::memcmp(content, defaults, length) == 0;
  }
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  std::free(content);
  std::free(defaults);
  return same;
}

// The FileVersion of the new game this worker carries, read from its image
// as GetFileVersionString reads a file.
bool CarriedGameVersion(char* version) {
  const void* bytes;
  uint32_t size;
  return LoadPayloadResource(kNewGameResource, "BINARY", nullptr, &bytes, &size) &&
         GetImageFileVersion(static_cast<const unsigned char*>(bytes), size, version);
}

// Runs the finishing steps that `done` does not name, recording each once
// it has succeeded, so that none runs twice for one update and a failed one
// (a file held past its retries) runs again on the next start; the record
// goes when all are done. Without a `version` nothing is recorded. `resumed`: an
// earlier run did the steps `done` names.
bool FinishUpdate(const GamePaths& paths, const char* version, uint32_t done, bool resumed, const HeldFolder& players) {
  auto finished = [&](FinishingStep step, const char* name) {
    done |= step;
    if (version) WriteStepRecord(version, done);
    PassCheckpoint(name);
  };
  if (!(done & kStepReadMe) && WriteReadMeFiles(paths.directory)) finished(kStepReadMe, "readme");
  if (!(done & kStepShortcuts)) {
    RemoveHalfMadeShortcuts();
    if (CreateShortcuts(paths.directory, true, true)) finished(kStepShortcuts, "shortcuts");
  }
  // Done once the new key exists: an old key that is not there is no failure.
  if (!(done & kStepLobby) && RegisterLobbyApplication()) finished(kStepLobby, "lobby");
  if (!(done & kStepJoystick)) {
    // The record stays without this step: once the files can be moved, a
    // rerun does what is left. Nothing behind a linked data or
    // data\players is touched. Where the player's settings are back as they
    // were (a file still held after the retries: the game running, a
    // scanner), the game plays with them and the update is complete; code
    // 13, whose box tells the player to delete joystick.ini, only where
    // they could not be put back.
    if (!players.IsHeldAndPlain() || !RecoverJoystickBackup(paths)) {
      workerError = kWorkerJoystick;
      return false;
    }
    bool putBack = true;
    if (!(resumed && JoystickSettingsAreDefaults(paths)) && !ReplaceJoystickSettings(paths, &putBack)) {
      if (putBack) return true;
      workerError = kWorkerJoystick;
      return false;
    }
    finished(kStepJoystick, "joystick");
  }
  if (version && done == kAllFinishingSteps) RemoveStepRecord(version);
  return true;
}

// data and data\players, held from before the first file in the game
// folder is touched until the worker ends; false when either is missing or
// a link.
bool HoldPlayersFolders(const char* directory, HeldFolder* data, HeldFolder* players) {
  char path[MAX_PATH];
  return JoinInFolder(path, MAX_PATH, directory, "data") && data->Hold(path) &&
         JoinInFolder(path, MAX_PATH, directory, "data\\players") && players->Hold(path);
}

}  // namespace

bool RunInstallation(const volatile ControlBlock* block) {
  GamePaths paths;
  if (!ReadGamePaths(&paths)) {
    workerError = kWorkerBadRegistry;
    return false;
  }
  // With the game folder resolved above and the shortcut folders here,
  // junctions that the player's programs make are not followed from now on.
  FindShortcutFolders();
  EnforceRedirectionTrust();
  if (!paths.directory[0] || !SetCurrentDirectoryA(paths.directory)) {
    workerError = kWorkerNoDirectory;
    return false;
  }
  // Held from here on, so that the folder the new game is renamed into is
  // the one found now, and nothing below it is a link.
  HeldFolder gameFolder, data, players;
  gameFolder.Open(paths.directory);
  HoldPlayersFolders(paths.directory, &data, &players);
  PassCheckpoint("start");

  char newVersion[kVersionStringSize];
  bool versionKnown = CarriedGameVersion(newVersion);
  if (versionKnown) {
    // No vt3.exe, but a new game of ours beside a record of this update: a
    // replacement by delete and move (9x) that was cut between the two, or
    // whose move and copy failed. That file goes into place, and the steps
    // left follow. (Without the record, it is a machine without the game,
    // which the version check below refuses.)
    uint32_t steps = 0;
    char kept[MAX_PATH];
    if (!GetFileInfo(paths.executable, nullptr, nullptr) && ReadStepRecord(newVersion, &steps) &&
        FindKeptNewGame(paths.directory, newVersion, kept)) {
      if (!MoveNoReplace(kept, paths.executable)) {
        workerError = kWorkerCannotReplace;
        return false;
      }
      PassCheckpoint("replaced");
    }
    // Without a vt3.exe such a file may be the only copy of the game left,
    // the one the 9x rescue kept and named to the player.
    if (GetFileInfo(paths.executable, nullptr, nullptr)) RemoveLeftoverNewGames(paths.directory, newVersion);
    // The new game already in place with a record of this update: an
    // earlier run was ended after the replacement, and only the finishing
    // steps it did not record are left. Without a record the game is
    // complete, and the version check below says so.
    char installed[kVersionStringSize];
    uint32_t done = 0;
    if (GetFileVersionString(paths.executable, installed) && std::strcmp(installed, newVersion) == 0 &&
        ReadStepRecord(newVersion, &done))
      return FinishUpdate(paths, newVersion, done, true, players);
  }

  // The new executable is written beside the old one: the data stage then
  // starts from the game's folder and finds the game's DLLs there, nothing
  // from the temporary folder is loaded into it, and the final replacement
  // is a rename within one folder. Other accounts may write to a game
  // folder outside Program Files: the name is unguessable, and the file is
  // created, written and held in one step, from its write until the data
  // stage has ended, so that nobody can swap the program this worker starts
  // with administrator rights.
  char temporary[MAX_PATH] = {};
  HeldFile heldGame;
  bool allWell = true;
  if (!RandomName(temporary, MAX_PATH, paths.directory, "tmp", ".tmp") ||
      !WriteRawResourceToFile(kNewGameResource, temporary, &heldGame, true)) {
    // Nothing of ours is left under that name, and the name is no longer
    // ours to delete.
    temporary[0] = 0;
    // A partial file has no version to check: code 8 stays the one reported.
    workerError = kWorkerCannotWriteExecutable;
    allWell = false;
  } else if (!IsNewerFileVersion(temporary, paths.executable)) {
    workerError = kWorkerNotNewer;
    allWell = false;
  }
  if (allWell) {
    PassCheckpoint("written");
    DataStageEnd end = RunDataStage(temporary, paths.commandLine);
    // An error the data stage stored stays the result: the old executable
    // stays, so that the next run repeats the whole update.
    if (end != DataStageEnd::kEnded || !DataStageSucceeded(block)) {
      workerError = kWorkerDataStageFailed;
      allWell = false;
    }
  }
  bool keepTemporary = false;
  const char* record = nullptr;
  if (allWell) {
    // Recorded, and on disk, before the rename, so that a run ended (or a
    // power cut) right after it still leaves a record of what is to be done.
    if (versionKnown && WriteStepRecord(newVersion, 0, true)) record = newVersion;
    if (!ReplaceExecutable(&heldGame, gameFolder, temporary, paths.executable, &keepTemporary)) {
      workerError = kWorkerCannotReplace;
      allWell = false;
      // Kept when the old game is gone and the new one kept beside it:
      // the next run puts it in place.
      if (record && !keepTemporary) RemoveStepRecord(record);
    }
  }
  heldGame.Release();
  if (temporary[0] && !keepTemporary) DeleteFileRetrying(temporary);
  if (!allWell) return false;
  // A scanner looks at a file renamed into place as at a new one.
  NoteFileClosed(paths.executable);
  PassCheckpoint("replaced");
  return FinishUpdate(paths, record, 0, false, players);
}
