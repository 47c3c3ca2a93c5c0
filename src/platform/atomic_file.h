#pragma once
// Whole-file reading and writing for the files the operator owns.
//
// Every file the tool writes goes through AtomicFile: the bytes go into a
// new file created exclusively beside the target, every write is checked,
// the file is synced to disk and only then renamed over the target. So a
// full disk, a size limit or an I/O error is always reported and leaves the
// old file as it was.
//
// Only a regular file is ever replaced: a FIFO, a device, a socket or a
// folder at the target is refused before anything is written (as root,
// "/dev/null" would otherwise be replaced by a regular file). A symbolic
// link is followed: its final target is replaced and the link stays. An
// existing target that is read-only (no write permission, or no write bit
// at all; on Windows the read-only attribute) is refused and left as it was.
//
// On Windows the temporary file is flushed with FlushFileBuffers and put in
// place with ReplaceFileW (an existing target keeps its attributes and
// security) or MoveFileExW(MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH).
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace bx::platform {

class AtomicFile {
 public:
  AtomicFile() = default;
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;
  // A file neither committed nor discarded is discarded.
  ~AtomicFile() { discard(); }

  // Checks the target and creates the temporary file. False with the reason
  // in error(); nothing was created then.
  bool open(const std::string& path);
  // Writes all bytes. False with the reason when the system refused any of
  // them; a part already written is cut off again, so the temporary file
  // holds what the successful writes gave it.
  bool write(std::string_view bytes);
  // Syncs, closes and renames over the target. False with the reason when
  // any of it failed: the temporary file is removed and the target is as it
  // was. Fails too after a failed write, unless keepAfterFailedWrite: then
  // what the successful writes gave the file replaces the target (the
  // recorder keeps the rows it took).
  bool commit(bool keepAfterFailedWrite = false);
  // Removes the temporary file; the target is untouched.
  void discard();

  bool isOpen() const { return fd_ >= 0; }
  // The descriptor of the temporary file (a C run-time descriptor on
  // Windows), for writers that write on their own; -1 when not open. Such writers check what they wrote themselves.
  int fd() const { return fd_; }
  // The path the caller named, and where the bytes are meanwhile.
  const std::string& path() const { return path_; }
  const std::string& tempPath() const { return tempPath_; }
  const std::string& error() const { return error_; }
  // The temporary file is still where it was made, under its name (not
  // removed or replaced by someone else meanwhile); false when not open.
  bool tempIntact() const;

 private:
  bool fail(const std::string& what, const std::string& where, int err);
  int fd_ = -1;
  std::string path_;      // as given
  std::string target_;    // the file renamed over: links resolved
  std::string tempPath_;
  int64_t size_ = 0;        // bytes in the temporary file after the last good write
  bool writeFailed_ = false;
  std::string error_;
};

// Whether path may be replaced by a new file: it is missing, or a regular
// file (reached through links) that may be written. False with the reason,
// for callers that refuse before they start a long operation.
bool checkOutputTarget(const std::string& path, std::string* error);

// The whole file at once through AtomicFile. The reason in *error when false.
bool writeFileAtomic(const std::string& path, std::string_view bytes, std::string* error);

// Opens an input file for reading without waiting on it: a FIFO or a device
// would block the tool (or never end), so the file is opened non-blocking,
// refused unless it is a regular file (a folder is named as a folder), and
// then switched back to blocking reads. The descriptor, or -1 with the
// reason in *error.
int openRegularFile(const std::string& path, std::string* error);

// Reads a regular file of at most maxBytes bytes into out. False (out
// cleared, reason in *error) when it cannot be opened or read, is not a
// regular file, or is larger than maxBytes.
bool readWholeFile(const std::string& path, std::string& out, size_t maxBytes, std::string* error);

}  // namespace bx::platform
