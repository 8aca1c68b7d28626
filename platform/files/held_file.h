// A file created, written and then held open without write or delete
// sharing, from the moment it exists until the caller releases it. Programs
// of the player's own account may write where these files go; a file that
// an elevated program creates there and then starts or trusts must never be
// one they prepared, swapped or linked to another file.
#pragma once
#include <windows.h>

#include <cstdint>

// What a producer of a file's bytes hands them to, piece by piece: written
// in order, and summed for the read-back.
struct PieceSink {
  bool Put(const void* bytes, uint32_t size);
  HANDLE file;
  uint32_t crc;
  uint32_t size;
};
// Makes a file's bytes into `sink`; false on failure.
typedef bool (*PieceProducer)(void* context, PieceSink* sink);

class HeldFile {
 public:
  HeldFile();
  ~HeldFile();
  HeldFile(const HeldFile&) = delete;
  HeldFile& operator=(const HeldFile&) = delete;

  // Creates `path`, which must not exist yet, in one step with the bytes,
  // holds it and reads it back through the held handle. False, holding
  // nothing and leaving no file of its own behind, when the name is taken,
  // the file cannot be written or held, has another link, or does not read
  // back as written.
  // The hold reads and lets others read (a program start, the game reading
  // its own program file), and refuses writing, renaming and deletion.
  // With `renamable` it can later rename the file itself (NT). With
  // `replacing` (a file that is to take another's place) the bytes are on
  // disk before this returns, or it fails (FlushFileToDisk).
  bool Write(const char* path, const void* bytes, uint32_t size, bool renamable = false, bool replacing = false);
  // The same with the bytes made piece by piece by `produce`, so that no
  // copy of the whole file need exist: what reads back through the held
  // handle must have the length and CRC-32 of what was written.
  bool WriteProduced(const char* path, PieceProducer produce, void* context, bool renamable = false,
                     bool replacing = false);
  // Renames a renamable held file to `target`, replacing it, through a
  // handle (NT): the file put in place is the one written, whatever another
  // program did to its name meanwhile. `target` is a name in `folder`, an
  // open folder's handle, or without one (INVALID_HANDLE_VALUE) a full
  // path. The hold gives way to one with the right to rename, taken again
  // by the file's name and refused unless it is still the file written,
  // with no other link. False where the system cannot, or when the rename
  // failed, with the reason in GetLastError; the file is then where it
  // was. A file another program has open fails busy: the caller retries
  // (RetryWhileBusy), each attempt taking up where the last one stopped.
  bool RenameReplacing(HANDLE folder, const char* target);
  // Whether RenameReplacing can work on this system at all.
  static bool CanRename();
  void Release();

 private:
  struct Content;
  bool WriteContent(const char* path, const Content& content, bool renamable, bool replacing);
  bool TakeForRename();
  void EndBridge();

  HANDLE handle;
  // Between the hold's end and the rename's hold: keeps writers out.
  HANDLE bridge;
  bool bridging;
  bool renamable;
  bool deletable;  // the handle may rename the file
  BY_HANDLE_FILE_INFORMATION identity;
  char path[MAX_PATH];
};
