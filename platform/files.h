// Files and folders of the machine, in host path form (UTF-8, '/' separators). One
// portable POSIX implementation serves every backend. Failures are return values: -1,
// false or an empty result; nothing throws.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace corvida {

// An open file; closed when the object goes away.
class File {
 public:
  enum class Mode {
    kRead,       // existing file, read only
    kReadWrite,  // existing file, read and write
    kCreate,     // created or emptied, read and write
    kCreateNew,  // created only when no file of that name exists (never replaces one)
  };
  enum Origin { kFromStart = 0, kFromCurrent = 1, kFromEnd = 2 };

  File() = default;
  ~File() { Close(); }
  File(File&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
  File& operator=(File&& other) noexcept;
  File(const File&) = delete;
  File& operator=(const File&) = delete;

  static File Open(const std::string& path, Mode mode);
  // As Open, but fails when the path's last component is a symbolic link.
  static File OpenNoFollow(const std::string& path, Mode mode);
  // Opens `relative` ('/'-separated) below the folder `root`, walking down from it one
  // component at a time (openat) without following a link at any step: a link planted
  // anywhere along the way, or swapped in after the caller checked the path, makes the
  // open fail instead of leading out. Empty, "." and ".." components are refused.
  static File OpenBeneath(const std::string& root, const std::string& relative, Mode mode);
  bool is_open() const { return fd_ >= 0; }

  // Bytes transferred (fewer only at the end of the file for reads), or -1 on error.
  int64_t Read(void* buffer, size_t count);
  int64_t Write(const void* buffer, size_t count);
  // The new position, or -1.
  int64_t Seek(int64_t offset, Origin origin);
  int64_t Tell();
  int64_t Size();  // the position is kept
  // Sets the end of file; 0 or the system's error number.
  int Truncate(int64_t length);
  // Writes what the system holds for the file to the disk; false on failure.
  bool Sync();
  void Close();

 private:
  // The safe replacement of whole files works on the descriptor itself.
  friend bool ReplaceFileWith(File& temp, const std::string& temp_path, const std::string& path);
  friend bool WriteFileAtomically(const std::string& path, std::string_view bytes);
  static File OpenWithFlags(const std::string& path, Mode mode, int extra_flags);
  static int FlagsFor(Mode mode);
  int fd_ = -1;
};

struct FileInfo {
  bool exists = false;
  bool is_directory = false;
  bool is_symlink = false;
  bool writable = false;  // can be opened for writing (false: the file is locked)
  int64_t size = 0;
  int64_t modified = 0;  // seconds since 1970
};

struct DirectoryEntry {
  std::string name;
  bool is_directory = false;
};

bool FileExists(const std::string& path);  // a file or a folder
FileInfo GetFileInfo(const std::string& path);
// Why the file cannot be opened for reading, in the system's words ("No such file or
// directory", "Is a directory"); "" when it can.
std::string WhyUnreadable(const std::string& path);
bool DeleteFile(const std::string& path);
bool RenameFile(const std::string& from, const std::string& to);  // replaces `to`
int64_t FreeSpace(const std::string& path);                       // -1 when unknown
bool CreateDirectory(const std::string& path);                    // true when it exists afterwards
bool CreateDirectories(const std::string& path);                  // with missing parents
// Changes below a folder, reached as File::OpenBeneath reaches files: no link is followed
// on the way to the last component, nor at it. False when a step fails.
bool DeleteFileBeneath(const std::string& root, const std::string& relative);
bool CreateDirectoryBeneath(const std::string& root, const std::string& relative);
// Renames within the tree below `root`: Rename never replaces what is at `to`, Replace
// puts `from` in its place.
bool RenameBeneath(const std::string& root, const std::string& from, const std::string& to);
bool ReplaceBeneath(const std::string& root, const std::string& from, const std::string& to);
// Entries other than "." and "..", in no particular order; empty when unreadable.
std::vector<DirectoryEntry> ListDirectory(const std::string& path);
// Absolute path with links and "." / ".." resolved; "" when the path does not exist.
std::string CanonicalPath(const std::string& path);
bool IsSymlink(const std::string& path);
// Whether two paths name the same existing file (through links too).
bool SameFile(const std::string& a, const std::string& b);
// The path made absolute against the current folder, links and "." / ".." kept as they
// are; "" for an empty path or when the current folder cannot be read.
std::string AbsolutePath(const std::string& path);
// The current folder; "" when it cannot be read.
std::string CurrentFolder();

// Host path forms, without touching the disk: the last component ("" when the path ends
// in '/'), the folder part ("" when there is none, "/" for the root) and a folder joined
// with a name.
std::string PathFileName(const std::string& path);
std::string PathFolder(const std::string& path);
std::string JoinPath(const std::string& folder, const std::string& name);
// A plain file (links followed): not a folder, device or pipe.
bool IsRegularFile(const std::string& path);
// Whether standard error is a terminal (a person watches it), not a file or a pipe.
bool StandardErrorIsTerminal();
// The machine's temporary folder ($TMPDIR, else /tmp).
std::string SystemTempFolder();
// The folders of a player run by the current user: configuration in
// $XDG_CONFIG_HOME/corvida (else ~/.config/corvida), data in $XDG_DATA_HOME/corvida (else
// ~/.local/share/corvida), temporary files in the system's folder. Without a home folder
// both live in the private folder "corvida-<uid>" of the temporary folder, which is made
// (or checked) here; nothing else is created.
// The folder of the running program's file (not the current folder); "" when unknown.
std::string ProgramFolder();
Folders UserFolders(const std::string& program_folder = ProgramFolder());
// The per-user cache folder: $XDG_CACHE_HOME/corvida, else ~/.cache/corvida; "" without
// either. Nothing is created.
std::string UserCacheFolder();
// A new file directly inside `folder`, named `prefix`, eight unpredictable letters or
// digits and `suffix`, created exclusively (an existing file or link of the name is never
// opened) with retries; its name (without the folder) in `name`. Closed on failure.
File CreateFreshFile(const std::string& folder, std::string_view prefix, std::string_view suffix,
                     std::string& name);
// The whole file at `path` when it is a readable plain file of at most `limit` bytes.
bool ReadFileUpTo(const std::string& path, size_t limit, std::vector<uint8_t>& out);
// Makes `path` a folder only the current user can enter (mode 0700) when it is missing. An
// existing one must be a real folder, not a link, owned by the user; its mode is narrowed
// to 0700. False when the path cannot be made or is not such a folder (it is left alone).
bool EnsurePrivateFolder(const std::string& path);

// Replaces the file at `path` by `bytes` so that it holds the old bytes or the new ones,
// never a mixture: the bytes go to a new file of an unpredictable name in the same folder
// (created exclusively, links never followed), are synced to the disk, and that file is
// renamed over `path`. A file replaced keeps its permissions. False, with `path` untouched
// and no temporary file left, when a step fails or when `path` is a symbolic link.
bool WriteFileAtomically(const std::string& path, std::string_view bytes);
// The last steps of such a write for a temporary file the caller created exclusively in the
// folder of `path` and wrote through `temp`: synced, closed, given the permissions of the
// file it replaces, and renamed over `path`. False (and the temporary file removed) when a
// step fails.
bool ReplaceFileWith(File& temp, const std::string& temp_path, const std::string& path);

}  // namespace corvida
