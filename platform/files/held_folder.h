// A folder opened and held for as long as a run works in it: the game
// folder, and the folders below it. Programs of the player's account may write there: while it
// is held they can still read and write in it, but can neither rename,
// delete nor replace it, so the names built on it keep leading into it. A
// junction, symbolic link or any other reparse point that leads to another
// name is refused, never held: what lies behind it may be anywhere,
// System32 included.
#pragma once
#include <windows.h>

class HeldFolder {
 public:
  HeldFolder();
  ~HeldFolder();
  HeldFolder(const HeldFolder&) = delete;
  HeldFolder& operator=(const HeldFolder&) = delete;

  // Opens and holds the folder `path`, not following it if it is a link.
  // False, holding nothing, when it is missing, no folder, a link of any
  // kind, or its entry or kind cannot be read. On Windows 9x, which has neither links nor handles of
  // folders, true without a hold.
  bool Hold(const char* path);
  // Hold for a UTF-16 path (the shell's folders, whose names may lie
  // outside the code page); the same answers.
  bool HoldWide(const wchar_t* path);
  // Opens and holds the folder `path` as named, a link the player made
  // followed (the game folder, whose final path was resolved before links
  // were refused); names given relative to the handle then reach this very
  // folder, whatever happens to the path above it. False, holding nothing,
  // where it is no folder or cannot be opened, and on 9x, which opens no
  // folders.
  bool Open(const char* path);
  // The held folder's handle, or INVALID_HANDLE_VALUE.
  HANDLE Handle() const { return handle; }
  // Whether a folder is held and has not become a link since (an empty one
  // can be made a junction in place).
  bool IsHeldAndPlain() const;
  void Release();

 private:
  // Opened on the link itself where the system has links, so that a link
  // shows as one instead of being followed.
  static DWORD HoldFlags();
  // Takes `opened` as the hold, or releases it where it is no plain folder.
  bool Keep(HANDLE opened);
  HANDLE handle;
  bool held;
  bool wide;
  char path[MAX_PATH];
  wchar_t widePath[MAX_PATH];
};

