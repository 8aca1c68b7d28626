#include "worker/installation.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "game/game_folder.h"
#include "game/game_settings.h"
#include "platform/files/busy_retry.h"
#include "platform/files/file_closed.h"
#include "platform/files/file_helpers.h"
#include "platform/files/file_information.h"
#include "platform/files/final_path.h"
#include "platform/files/held_folder.h"
#include "platform/files/random_name.h"
#include "platform/system/redirection_trust.h"
#include "platform/system/system_library.h"
#include "transport/comp.h"
#include "transport/payload_resource.h"
#include "worker/data_stage.h"
#include "worker/file_moves.h"
#include "worker/file_version.h"
#include "worker/image_version.h"
#include "worker/joystick_record.h"
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
  // The joystick step's working names (joystick_record.h), empty until
  // the step knows them.
  char joystickNew[MAX_PATH];
  char joystickOld[MAX_PATH];
  char dataFiles[MAX_PATH];
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
          JoinInFolder(paths->dataFiles, MAX_PATH, directory, "datafiles"));
}

// The joystick step's working names for `digits`.
bool JoystickWorkingNames(GamePaths* paths, const char* digits) {
  char fresh[64], aside[64];
  return FormatPath(fresh, sizeof fresh, "data\\players\\joystick.new.%s", digits) &&
         FormatPath(aside, sizeof aside, "data\\players\\joystick.old.%s", digits) &&
         JoinInFolder(paths->joystickNew, MAX_PATH, paths->directory, fresh) &&
         JoinInFolder(paths->joystickOld, MAX_PATH, paths->directory, aside);
}

// The working names an earlier run's joystick step recorded; false, with
// none, when there is no record.
bool ReadJoystickNames(GamePaths* paths) {
  char digits[kRandomDigits + 1];
  paths->joystickNew[0] = paths->joystickOld[0] = 0;
  if (ReadJoystickRecord(digits) && JoystickWorkingNames(paths, digits)) return true;
  paths->joystickNew[0] = paths->joystickOld[0] = 0;
  return false;
}

// New working names, on disk in the record before the step makes a file.
bool RecordJoystickNames(GamePaths* paths) {
  char digits[kRandomDigits + 1];
  return RandomDigits(digits) && JoystickWorkingNames(paths, digits) && WriteJoystickRecord(digits);
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
  if (GetFileAttributesA(installed) == INVALID_FILE_ATTRIBUTES) return false;
  MakeWritable(installed);
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
// player's older backup under the step's aside name, and after the second move their
// settings as joystick.bak with no joystick.ini: both go back where they
// were, so that the step starts again from the player's own files. With
// joystick.ini and joystick.bak both there, all three moves were done and
// the older backup was to go, as the step ends. False, with the files in
// a state a later run takes up again, when a move fails.
bool RecoverJoystickBackup(const GamePaths& paths) {
  // Without a record there is nothing of an earlier step's to take up.
  if (!paths.joystickOld[0]) return true;
  if (GetFileInfo(paths.joystickNew, nullptr, nullptr)) DeleteFileRetrying(paths.joystickNew);
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

enum class JoystickStep { kDone, kLeftOpen, kFailed };

// The joystick step. It stays open (and the update's record with it) where
// the player's settings are back as they were (a file still held after the
// retries: the game running, a scanner): the game plays with them, the
// update is complete, and once the files can be moved a rerun does what is
// left. It fails (code 13, whose box tells the player to delete
// joystick.ini) only where they could not be put back, or where data or
// data\players is a link: nothing behind one is touched. Only files under
// the step's own recorded names are moved aside or removed: a joystick.new
// or joystick.old of the player's stays as it is.
JoystickStep DoJoystickStep(GamePaths* paths, bool resumed, const HeldFolder& players) {
  bool recorded = ReadJoystickNames(paths);
  if (!players.IsHeldAndPlain() || !RecoverJoystickBackup(*paths)) return JoystickStep::kFailed;
  // Names a later run could not know are never used: without a record,
  // the settings stay untouched and a rerun does the step.
  if (!recorded && !RecordJoystickNames(paths)) return JoystickStep::kLeftOpen;
  bool putBack = true;
  if (!(resumed && JoystickSettingsAreDefaults(*paths)) && !ReplaceJoystickSettings(*paths, &putBack))
    return putBack ? JoystickStep::kLeftOpen : JoystickStep::kFailed;
  RemoveJoystickRecord();
  return JoystickStep::kDone;
}

// Runs the finishing steps that `done` does not name, recording each once
// it has succeeded, so that none runs twice for one update and a failed one
// (a file held past its retries) runs again on the next start; the record
// goes when all are done. Without a `version` nothing is recorded. `resumed`: an
// earlier run did the steps `done` names.
bool FinishUpdate(const GamePaths& gamePaths, const char* version, uint32_t done, bool resumed,
                  const HeldFolder& players) {
  GamePaths paths = gamePaths;
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
    JoystickStep step = DoJoystickStep(&paths, resumed, players);
    if (step == JoystickStep::kFailed) {
      workerError = kWorkerJoystick;
      return false;
    }
    if (step == JoystickStep::kLeftOpen) return true;
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

// The folder the launcher made for this run, from this worker's own path:
// only administrators can write there (NT). False when the path does not
// fit or has no folder.
bool RunFolder(char* folder) {
  DWORD length = GetModuleFileNameA(nullptr, folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return false;
  // A trail byte of a double-byte letter may be 0x5C, as "\" is.
  char* last = nullptr;
  for (char* at = folder; *at; ++at) {
    if (*at == '\\') last = at;
    else if (IsDBCSLeadByteEx(GetACP(), static_cast<unsigned char>(*at)) && at[1]) ++at;
  }
  if (!last || last == folder) return false;
  // "C:\" keeps its separator: a drive root.
  last[last[-1] == ':' ? 1 : 0] = 0;
  return true;
}

// Whether `path` is missing, or one name of a plain file: no link of any
// kind, no second name that another program could have made to a file of
// its own (9x has neither).
bool IsMissingOrSingleFile(const char* path) {
  DWORD attributes = GetFileAttributesA(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) return GetLastError() == ERROR_FILE_NOT_FOUND;
  if (attributes & (FILE_ATTRIBUTE_DIRECTORY | kReparsePointAttribute)) return false;
  if (!IsWindowsNT()) return true;
  HANDLE file = CreateFileA(path, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION information;
  bool single = ReadFileInformation(file, &information) && IsSingleFile(information);
  CloseHandle(file);
  return single;
}

// datafiles, where the data stage rewrites vt3.dat by name with
// administrator rights: held since the start (made and held now when it
// was missing then, as the data stage would make it), no link, and its
// vt3.dat, if any, a file of one name. Checked right before the stage; a
// link made in the folder during the stage is beyond this check.
bool DataFilesAreOurs(const GamePaths& paths, HeldFolder* dataFiles) {
  if (!dataFiles->IsHeldAndPlain()) {
    if (GetFileAttributesA(paths.dataFiles) == INVALID_FILE_ATTRIBUTES) CreateDirectoryA(paths.dataFiles, nullptr);
    if (!dataFiles->Hold(paths.dataFiles)) return false;
  }
  char data[MAX_PATH];
  return JoinInFolder(data, MAX_PATH, paths.dataFiles, "vt3.dat") && IsMissingOrSingleFile(data);
}

// What the worker holds in the game folder from the start until it ends.
struct GameHolds {
  HeldFolder gameFolder, data, players, dataFiles;
};

// Reads where the game is, settles which folders are trusted and holds the
// game's folders; false, with the worker's error, when there is no game
// folder to work in.
bool EnterGameFolder(GamePaths* paths, GameHolds* holds) {
  if (!ReadGamePaths(paths)) {
    workerError = kWorkerBadRegistry;
    return false;
  }
  // With the game folder resolved above and the shortcut folders here,
  // junctions that the player's programs make are not followed from now on.
  FindShortcutFolders();
  EnforceRedirectionTrust();
  if (!paths->directory[0] || !SetCurrentDirectoryA(paths->directory)) {
    workerError = kWorkerNoDirectory;
    return false;
  }
  // Held from here on, so that the folder the new game is renamed into is
  // the one found now, and nothing below it is a link.
  holds->gameFolder.Open(paths->directory);
  HoldPlayersFolders(paths->directory, &holds->data, &holds->players);
  holds->dataFiles.Hold(paths->dataFiles);
  PassCheckpoint("start");
  return true;
}

// Takes up an earlier run of this update that was cut short; true, with
// this run's result in `result`, when there was one to take up.
bool FinishEarlierRun(const GamePaths& paths, const char* newVersion, const HeldFolder& players, bool* result) {
  // No vt3.exe, but a new game of ours beside a record of this update: a
  // replacement by delete and move (9x) that was cut between the two, or
  // whose move and copy failed. That file goes into place, and the steps
  // left follow. (Without the record, it is a machine without the game,
  // which the version check refuses.)
  uint32_t steps = 0;
  char kept[MAX_PATH];
  if (!GetFileInfo(paths.executable, nullptr, nullptr) && ReadStepRecord(newVersion, &steps) &&
      FindKeptNewGame(paths.directory, newVersion, kept)) {
    if (!MoveNoReplace(kept, paths.executable)) {
      workerError = kWorkerCannotReplace;
      *result = false;
      return true;
    }
    PassCheckpoint("replaced");
  }
  // Without a vt3.exe such a file may be the only copy of the game left,
  // the one the 9x rescue kept and named to the player.
  if (GetFileInfo(paths.executable, nullptr, nullptr)) RemoveLeftoverNewGames(paths.directory, newVersion);
  // The new game already in place with a record of this update: an
  // earlier run was ended after the replacement, and only the finishing
  // steps it did not record are left. Without a record the game is
  // complete, and the version check says so.
  char installed[kVersionStringSize];
  uint32_t done = 0;
  if (GetFileVersionString(paths.executable, installed) && std::strcmp(installed, newVersion) == 0 &&
      ReadStepRecord(newVersion, &done)) {
    *result = FinishUpdate(paths, newVersion, done, true, players);
    return true;
  }
  return false;
}

// The new game's two copies. The one that replaces the old game is written
// beside it, so that the replacement is a rename within one folder. Other
// accounts may write to a game folder outside Program Files: the name is
// unguessable, and the file is created, written and held in one step until
// it is in place. The data stage starts from a second copy in this run's
// own folder, which only administrators can write: a program runs with the
// DLLs found in its own folder first, and a game folder may hold any the
// player's programs left there. The game's own DLLs are found through the
// current folder, the game folder.
struct NewGameFiles {
  char temporary[MAX_PATH] = {};
  char stageCopy[MAX_PATH] = {};
  HeldFile heldStage;
  HeldFile heldGame;
  // The old game is gone and this copy is all the player has.
  bool keepTemporary = false;
};

// Writes both copies, the first checked to be newer than the installed
// game; false, with the worker's error, when one is missing.
bool WriteNewGame(const GamePaths& paths, NewGameFiles* files) {
  if (!RandomName(files->temporary, MAX_PATH, paths.directory, "tmp", ".tmp") ||
      !WriteRawResourceToFile(kNewGameResource, files->temporary, &files->heldGame, true)) {
    // Nothing of ours is left under that name, and the name is no longer
    // ours to delete.
    files->temporary[0] = 0;
    // A partial file has no version to check: code 8 stays the one reported.
    workerError = kWorkerCannotWriteExecutable;
    return false;
  }
  if (!IsNewerFileVersion(files->temporary, paths.executable)) {
    workerError = kWorkerNotNewer;
    return false;
  }
  char runFolder[MAX_PATH];
  if (!RunFolder(runFolder) || !RandomName(files->stageCopy, MAX_PATH, runFolder, "tmp", ".tmp") ||
      !WriteRawResourceToFile(kNewGameResource, files->stageCopy, &files->heldStage)) {
    files->stageCopy[0] = 0;
    workerError = kWorkerCannotWriteExecutable;
    return false;
  }
  PassCheckpoint("written");
  return true;
}

// Runs the game's own program from its copy in the run folder, once
// datafiles is known to be ours; false, with the worker's error, when the
// data is not brought up to date.
bool RunDataStageFromCopy(const volatile ControlBlock* block, const GamePaths& paths, const NewGameFiles& files,
                          HeldFolder* dataFiles) {
  // Code 10 while the count is still 0: the player reads the status-9 text
  // for it, "Can not locate directory".
  if (!DataFilesAreOurs(paths, dataFiles)) {
    workerError = kWorkerNoDirectory;
    return false;
  }
  DataStageEnd end = RunDataStage(files.stageCopy, paths.commandLine);
  // An error the data stage stored stays the result: the old executable
  // stays, so that the next run repeats the whole update.
  if (end != DataStageEnd::kEnded || !DataStageSucceeded(block)) {
    workerError = kWorkerDataStageFailed;
    return false;
  }
  return true;
}

void LetGoOfStageCopy(NewGameFiles* files, HeldFolder* dataFiles) {
  files->heldStage.Release();
  if (files->stageCopy[0]) DeleteFileRetrying(files->stageCopy);
  dataFiles->Release();
}

// Records the update, then puts the new game in place of the old one.
// `record` is the version recorded, null when none is.
bool PutNewGameInPlace(const GamePaths& paths, const HeldFolder& gameFolder, const char* newVersion,
                       NewGameFiles* files, const char** record) {
  // Recorded, and on disk, before the rename, so that a run ended (or a
  // power cut) right after it still leaves a record of what is to be done.
  if (newVersion && WriteStepRecord(newVersion, 0, true)) *record = newVersion;
  if (ReplaceExecutable(&files->heldGame, gameFolder, files->temporary, paths.executable, &files->keepTemporary))
    return true;
  workerError = kWorkerCannotReplace;
  // Kept when the old game is gone and the new one kept beside it: the
  // next run puts it in place.
  if (*record && !files->keepTemporary) RemoveStepRecord(*record);
  return false;
}

}  // namespace

bool RunInstallation(const volatile ControlBlock* block) {
  GamePaths paths;
  GameHolds holds;
  if (!EnterGameFolder(&paths, &holds)) return false;
  char newVersion[kVersionStringSize];
  bool versionKnown = CarriedGameVersion(newVersion);
  bool earlierResult = false;
  if (versionKnown && FinishEarlierRun(paths, newVersion, holds.players, &earlierResult)) return earlierResult;

  NewGameFiles files;
  bool allWell = WriteNewGame(paths, &files) && RunDataStageFromCopy(block, paths, files, &holds.dataFiles);
  LetGoOfStageCopy(&files, &holds.dataFiles);
  const char* record = nullptr;
  allWell = allWell && PutNewGameInPlace(paths, holds.gameFolder, versionKnown ? newVersion : nullptr, &files, &record);
  files.heldGame.Release();
  if (files.temporary[0] && !files.keepTemporary) DeleteFileRetrying(files.temporary);
  if (!allWell) return false;
  // A scanner looks at a file renamed into place as at a new one.
  NoteFileClosed(paths.executable);
  PassCheckpoint("replaced");
  return FinishUpdate(paths, record, 0, false, holds.players);
}
