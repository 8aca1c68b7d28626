#include "launcher/update_run.h"

#include <commctrl.h>
#include <process.h>

#include <cerrno>
#include <cstring>

#include "game/game_folder.h"
#include "game/game_settings.h"
#include "launcher/checks.h"
#include "launcher/message_wait.h"
#include "launcher/payload_integrity.h"
#include "launcher/run_checkpoint.h"
#include "launcher/run_rules.h"
#include "launcher/status.h"
#include "launcher/update_lock.h"
#include "launcher/worker_exit_wait.h"
#include "platform/files/file_helpers.h"
#include "platform/files/final_path.h"
#include "platform/files/held_folder.h"
#include "platform/files/random_name.h"
#include "platform/run_folder/earlier_run_folders.h"
#include "platform/run_folder/private_folder.h"
#include "platform/system/redirection_trust.h"
#include "platform/system/system_library.h"
#include "transport/control_block.h"
#include "transport/payload_key.h"
#include "transport/payload_resource.h"
#include "transport/payload_section.h"

HINSTANCE instanceHandle = nullptr;

namespace {

// Short enough for the bar to follow the block within 50 ms, long enough
// that waiting costs next to no CPU.
constexpr DWORD kPollInterval = 30;

void PumpMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
}

// The progress bar class must be registered before the dialog is made
// (Windows, unlike Wine, does not load comctl32 on demand).
void RegisterProgressClass() {
  // By name with the system directory as the only place to search, so that
  // the manifest can still choose version 6; by full path where the flag is
  // unknown (Windows before 8, and 7 or Vista without KB2533623): never
  // handed to a system that might take it for a plain search.
  HMODULE controls = HasSearchFlags() ? LoadLibraryExA("comctl32.dll", nullptr, kSearchSystemDirectoryOnly) : nullptr;
  if (!controls) controls = LoadSystemLibrary("comctl32.dll");
  typedef BOOL(WINAPI * InitFunction)(const INITCOMMONCONTROLSEX*);
  auto init = LookUpFunction<InitFunction>(controls, "InitCommonControlsEx");
  INITCOMMONCONTROLSEX classes = {sizeof classes, ICC_PROGRESS_CLASS};
  if (init) init(&classes);
}

// Handles nothing, but refuses to close: Alt+F4 and the system menu would
// otherwise take the player's only sign of the running update away. (With
// DefWindowProcA as the procedure, WM_CLOSE destroys the dialog.)
INT_PTR CALLBACK ProgressDialogProcedure(HWND, UINT message, WPARAM, LPARAM) { return message == WM_CLOSE; }

HWND CreateProgressDialog() {
  RegisterProgressClass();
  HWND dialog =
      CreateDialogParamA(instanceHandle, MAKEINTRESOURCEA(kProgressDialogId), nullptr, ProgressDialogProcedure, 0);
  if (!dialog) return nullptr;
  SetWindowPos(dialog, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_SHOWWINDOW);
  UpdateWindow(dialog);
  ShowWindow(dialog, SW_SHOWNORMAL);
  return dialog;
}

// Up to `timeout` for the worker's end (WAIT_OBJECT_0) or for messages
// (WAIT_OBJECT_0 + 1, also when they may be waiting), else WAIT_TIMEOUT.
DWORD WaitForWorkerOrInput(HANDLE worker, DWORD timeout) {
  DWORD result = WaitForObjectOrInput(worker, timeout);
  if (result != WAIT_FAILED) return result;
  // A system that refuses the wait itself must not turn the loops into
  // spins, nor end the wait for the worker early: a plain wait in short
  // slices, with the messages looked at between them.
  DWORD slice = timeout < kPollInterval ? timeout : kPollInterval;
  result = WaitForSingleObject(worker, slice);
  if (result == WAIT_OBJECT_0) return result;
  if (result == WAIT_FAILED) Sleep(slice);
  return WAIT_OBJECT_0 + 1;
}

// Polls the block until the worker reports or ends; true when it ended
// without a word.
bool FollowWorker(volatile ControlBlock* block, HANDLE worker, HWND dialog) {
  int32_t lastPosition = 0;
  for (;;) {
    PumpMessages();
    int32_t position = ProgressPosition(block->progressCount, block->progressTotal, lastPosition);
    if (position != lastPosition) {
      if (dialog) SendDlgItemMessageA(dialog, kProgressBarId, PBM_SETPOS, position, 0);
      lastPosition = position;
    }
    if (block->doneFlag) return false;
    if (block->errorCode) return false;
    if (WaitForSingleObject(worker, 0) == WAIT_OBJECT_0) {
      // It may have reported just before it ended.
      return !block->doneFlag && !block->errorCode;
    }
    WaitForWorkerOrInput(worker, kPollInterval);
  }
}

void WaitForWorkerEnd(HANDLE worker) {
  DWORD start = GetTickCount();
  for (;;) {
    DWORD elapsed = GetTickCount() - start;
    if (elapsed >= workerExitWait) return;
    // In short waits, so that input the wake mask leaves out (touch,
    // pointer) is still taken in time.
    DWORD remaining = workerExitWait - elapsed;
    if (WaitForWorkerOrInput(worker, remaining < kPollInterval ? remaining : kPollInterval) == WAIT_OBJECT_0) return;
    PumpMessages();
  }
}

// The first failure decides the status and its detail; later ones only
// stop what depends on success.
struct RunOutcome {
  uint32_t* status;
  int32_t* detail;
  bool ok;

  void Fail(uint32_t code, int32_t value) {
    if (ok) {
      *status = code;
      *detail = value;
    }
    ok = false;
  }
};

// What must hold before anything is published, written or started; false
// with the status set when the run cannot begin.
bool MayBegin(uint32_t* status, int32_t* detail) {
  if (!IsAdministrator()) {
    *status = kStatusNotAdministrator;
    return false;
  }
  if (!HasEnoughColours()) {
    *status = kStatusTooFewColours;
    return false;
  }
  // A worker or data stage of an earlier run whose launcher is gone still
  // holds the block: never a second update beside it on one game.
  if (ControlBlockExists()) {
    // The player sees that something is under way while it waits.
    HWND waiting = CreateProgressDialog();
    bool ended = WaitForEarlierRunToEnd(PumpMessages);
    if (waiting) DestroyWindow(waiting);
    if (!ended) {
      *status = kStatusUpdateFailed;
      return false;
    }
  }
  int32_t damaged = FirstDamagedPayload();
  if (damaged) {
    *status = kStatusPayloadNotPublished;
    *detail = damaged;
    return false;
  }
  return true;
}

// Fills `savingPath` with the game folder's final path, or empties it when
// SavingPath is unreadable, and checks the free space of its drive.
void ReadGameFolderAndSpace(char* savingPath, RunOutcome* outcome) {
  char gameDataPath[MAX_PATH] = {};
  char gameExecutable[MAX_PATH] = {};
  // A saving path that is empty, of a form refused, or too long for the
  // names built on it, counts as unreadable: no file outside the game is
  // touched. A game folder reached through a link of the player's is
  // worked in by the path behind it.
  bool readable = ReadGameFolder(savingPath) && savingPath[0];
  // The free space is asked of the drive as SavingPath names it: a final
  // path of a mapped drive is "\\server\share\…", with no drive letter.
  char namedPath[MAX_PATH];
  std::memcpy(namedPath, savingPath, MAX_PATH);
  if (readable) ResolveFinalPath(savingPath, MAX_PATH);
  char dataFolder[MAX_PATH];
  if (readable && JoinInFolder(gameDataPath, MAX_PATH, savingPath, "datafiles\\vt3.dat") &&
      JoinInFolder(gameExecutable, MAX_PATH, savingPath, "vt3.exe") &&
      JoinInFolder(dataFolder, MAX_PATH, savingPath, "datafiles")) {
    uint32_t dataSize = 0;
    // A vt3.dat behind a linked datafiles folder is not the game's.
    HeldFolder dataFiles;
    if (dataFiles.Hold(dataFolder)) MakeWritable(gameDataPath);
    dataFiles.Release();
    GetFileInfo(gameDataPath, &dataSize, nullptr);
    MakeWritable(gameExecutable);
    if (!HasEnoughDiskSpace(namedPath, RequiredDiskSpace(dataSize))) outcome->Fail(kStatusNoDiskSpace, 0);
  } else {
    savingPath[0] = 0;
  }
}

// The worker runs with administrator rights from a folder of this run
// that only administrators can enter, held from its creation to the
// clean-up: on NT in the system's temporary folder, else in the player's,
// else in the game folder (whose name came through the ANSI registry
// functions), each only where the one before cannot be used. The
// worker's file is held from its write until the clean-up, so past the
// worker's start.
void WriteWorker(const char* savingPath, PrivateFolder* runFolder, HeldFile* heldWorker, char* workerFile,
                 RunOutcome* outcome) {
  // The parents by their final paths: from here on junctions that the
  // player's programs make are not followed.
  char parents[kRunFolderParents][MAX_PATH];
  int parentCount = RunFolderParents(parents, savingPath);
  EnforceRedirectionTrust();
  bool created = false;
  for (int i = 0; i < parentCount && !created; ++i) created = runFolder->Create(parents[i]);
  // This run holds the update's mutex and no earlier worker holds the
  // block, so no other update runs: any other run folder is what an
  // interrupted run left.
  for (int i = 0; i < parentCount; ++i) RemoveEarlierRunFolders(parents[i], *runFolder);
  PassRunCheckpoint("run folder");
  if (!created || !runFolder->FileName(workerFile, MAX_PATH, "tmp", ".tmp") ||
      !WriteResourceToFile(kWorkerPayload, workerFile, heldWorker))
    outcome->Fail(kStatusWorkerNotExtracted, 0);
}

// The block the worker and the data stage report through, filled in before
// the worker starts; null on failure.
volatile ControlBlock* CreateControlBlock(SharedSection* control, RunOutcome* outcome) {
  auto* block = static_cast<volatile ControlBlock*>(control->Create(kControlSectionName, kControlBlockSize));
  // A block that exists already belongs to an update in progress: the
  // same case as its payload sections already being there.
  if (block && control->Existed()) {
    control->Close();
    outcome->Fail(kStatusPayloadNotPublished, 1);
    return nullptr;
  }
  if (!block) {
    outcome->Fail(kStatusNoControlBlock, 0);
    return nullptr;
  }
  block->progressCount = 0;
  block->progressTotal = 1;
  block->doneFlag = 0;
  block->errorCode = 0;
  for (uint8_t& byte : const_cast<ControlBlock*>(block)->reserved2) byte = 0;
  block->startTimeRemainder = StartTimeRemainder(startupTime);
  for (uint8_t& byte : const_cast<ControlBlock*>(block)->reserved1) byte = 0;
  block->tag = kControlTag;
  block->sectionCount = kPayloadSectionCount;
  return block;
}

// Starts the worker and shows the bar until its outcome is known; returns
// the worker's process handle (null when it could not start) and the
// dialog through `dialog`.
HANDLE StartAndFollowWorker(const char* workerFile, volatile ControlBlock* block, HWND* dialog,
                            RunOutcome* outcome) {
  // No-wait rather than detached: the handle tells when the worker ends.
  intptr_t spawned = _spawnl(_P_NOWAIT, workerFile, workerFile, nullptr);
  if (spawned == -1) {
    outcome->Fail(kStatusWorkerNotStarted, errno);
    return nullptr;
  }
  HANDLE worker = reinterpret_cast<HANDLE>(spawned);
  PassRunCheckpoint("worker started");
  *dialog = CreateProgressDialog();
  bool vanished = FollowWorker(block, worker, *dialog);
  int32_t error = block->errorCode;
  if (error != 0) {
    outcome->Fail(StatusForReportedError(error, block->progressCount), error);
  } else if (vanished) {
    outcome->Fail(kStatusUpdateFailed, kDetailWorkerVanished);
  }
  return worker;
}

void ClosePayloadSection(SharedSection* section) {
  if (!section) return;
  section->Close();
  delete section;
}

}  // namespace

unsigned char RunUpdate(uint32_t* status, int32_t* detail) {
  *status = kStatusOk;
  *detail = 0;
  if (!MayBegin(status, detail)) return 0;
  RunOutcome outcome = {status, detail, true};

  PassRunCheckpoint("publishing");
  SharedSection* gameData = PublishPayloadSection(kGameDataPayload, 0);
  PassRunCheckpoint("between sections");
  SharedSection* archive = PublishPayloadSection(kArchivePayload, 1);
  if (!gameData) outcome.Fail(kStatusPayloadNotPublished, 1);
  if (!archive) outcome.Fail(kStatusPayloadNotPublished, 2);

  char savingPath[MAX_PATH] = {};
  if (outcome.ok) ReadGameFolderAndSpace(savingPath, &outcome);

  PrivateFolder runFolder;
  HeldFile heldWorker;
  char workerFile[MAX_PATH] = {};
  if (outcome.ok) WriteWorker(savingPath, &runFolder, &heldWorker, workerFile, &outcome);
  // The last name of this run is made: the provider's pages go before the
  // dialog's come.
  ReleaseRandomSource();

  SharedSection control;
  volatile ControlBlock* block = outcome.ok ? CreateControlBlock(&control, &outcome) : nullptr;
  HANDLE worker = nullptr;
  HWND dialog = nullptr;
  if (block) worker = StartAndFollowWorker(workerFile, block, &dialog, &outcome);

  heldWorker.Release();  // before the file is deleted
  control.Close();
  ClosePayloadSection(gameData);
  ClosePayloadSection(archive);
  // The dialog stays while the worker finishes, so that the player is never
  // left without a window until the final message.
  if (worker) {
    WaitForWorkerEnd(worker);
    CloseHandle(worker);
  }
  if (dialog) DestroyWindow(dialog);
  runFolder.Remove();
  return outcome.ok ? 1 : 0;
}
