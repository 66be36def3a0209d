#include "platform/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>

namespace corvida {

File& File::operator=(File&& other) noexcept {
  if (this != &other) {
    Close();
    fd_ = other.fd_;
    other.fd_ = -1;
  }
  return *this;
}

File File::Open(const std::string& path, Mode mode) {
  return OpenWithFlags(path, mode, 0);
}

File File::OpenNoFollow(const std::string& path, Mode mode) {
  return OpenWithFlags(path, mode, O_NOFOLLOW);
}

int File::FlagsFor(Mode mode) {
  switch (mode) {
    case Mode::kRead:
      return O_CLOEXEC | O_RDONLY;
    case Mode::kReadWrite:
      return O_CLOEXEC | O_RDWR;
    case Mode::kCreate:
      return O_CLOEXEC | O_RDWR | O_CREAT | O_TRUNC;
    case Mode::kCreateNew:
      return O_CLOEXEC | O_RDWR | O_CREAT | O_EXCL;
  }
  return O_CLOEXEC | O_RDONLY;
}

File File::OpenWithFlags(const std::string& path, Mode mode, int extra_flags) {
  const int flags = FlagsFor(mode) | extra_flags;
  File file;
  do {
    file.fd_ = ::open(path.c_str(), flags, 0644);
  } while (file.fd_ < 0 && errno == EINTR);
  // A folder opens for reading on POSIX; as a file it is useless.
  struct stat st;
  if (file.fd_ >= 0 && (fstat(file.fd_, &st) != 0 || S_ISDIR(st.st_mode))) file.Close();
  return file;
}

int64_t File::Read(void* buffer, size_t count) {
  if (fd_ < 0) return -1;
  size_t done = 0;
  while (done < count) {
    ssize_t n = ::read(fd_, static_cast<char*>(buffer) + done, count - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return -1;
    if (n == 0) break;
    done += static_cast<size_t>(n);
  }
  return static_cast<int64_t>(done);
}

int64_t File::Write(const void* buffer, size_t count) {
  if (fd_ < 0) return -1;
  size_t done = 0;
  while (done < count) {
    ssize_t n = ::write(fd_, static_cast<const char*>(buffer) + done, count - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return -1;
    done += static_cast<size_t>(n);
  }
  return static_cast<int64_t>(done);
}

int64_t File::Seek(int64_t offset, Origin origin) {
  if (fd_ < 0) return -1;
  const int whence = origin == kFromStart ? SEEK_SET : origin == kFromCurrent ? SEEK_CUR : SEEK_END;
  return ::lseek(fd_, static_cast<off_t>(offset), whence);
}

int64_t File::Tell() {
  return Seek(0, kFromCurrent);
}

int64_t File::Size() {
  struct stat st;
  if (fd_ < 0 || fstat(fd_, &st) != 0) return -1;
  return st.st_size;
}

int File::Truncate(int64_t length) {
  if (fd_ < 0) return EBADF;
  if (length < 0) return EINVAL;
  return ::ftruncate(fd_, static_cast<off_t>(length)) == 0 ? 0 : errno;
}

bool File::Sync() {
  return fd_ >= 0 && ::fsync(fd_) == 0;
}

void File::Close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

bool FileExists(const std::string& path) {
  struct stat st;
  return !path.empty() && ::stat(path.c_str(), &st) == 0;
}

FileInfo GetFileInfo(const std::string& path) {
  FileInfo info;
  struct stat st;
  if (path.empty() || ::stat(path.c_str(), &st) != 0) return info;
  info.exists = true;
  info.is_directory = S_ISDIR(st.st_mode);
  info.size = st.st_size;
  info.modified = st.st_mtime;
  info.writable = !info.is_directory && ::access(path.c_str(), W_OK) == 0;
  info.is_symlink = IsSymlink(path);
  return info;
}

std::string WhyUnreadable(const std::string& path) {
  if (path.empty()) return std::strerror(ENOENT);
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return std::strerror(errno);
  struct stat st;
  int error = ::fstat(fd, &st) != 0 ? errno : S_ISDIR(st.st_mode) ? EISDIR : 0;
  ::close(fd);
  return error ? std::strerror(error) : "";
}

bool DeleteFile(const std::string& path) {
  return ::unlink(path.c_str()) == 0;
}

bool RenameFile(const std::string& from, const std::string& to) {
  return ::rename(from.c_str(), to.c_str()) == 0;
}

int64_t FreeSpace(const std::string& path) {
  struct statvfs vfs;
  if (::statvfs(path.c_str(), &vfs) != 0) return -1;
  return static_cast<int64_t>(vfs.f_bavail) * static_cast<int64_t>(vfs.f_frsize);
}

bool CreateDirectory(const std::string& path) {
  if (::mkdir(path.c_str(), 0755) == 0) return true;
  struct stat st;
  return errno == EEXIST && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool CreateDirectories(const std::string& path) {
  if (path.empty()) return false;
  for (size_t slash = path.find('/', 1); slash != std::string::npos;
       slash = path.find('/', slash + 1)) {
    CreateDirectory(path.substr(0, slash));
  }
  return CreateDirectory(path);
}

std::vector<DirectoryEntry> ListDirectory(const std::string& path) {
  std::vector<DirectoryEntry> entries;
  DIR* dir = ::opendir(path.c_str());
  if (dir == nullptr) return entries;
  while (const dirent* e = ::readdir(dir)) {
    std::string name = e->d_name;
    if (name == "." || name == "..") continue;
    bool is_dir = e->d_type == DT_DIR;
    if (e->d_type == DT_UNKNOWN || e->d_type == DT_LNK) {
      struct stat st;
      is_dir = ::stat((path + "/" + name).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    }
    entries.push_back({std::move(name), is_dir});
  }
  ::closedir(dir);
  return entries;
}

std::string CanonicalPath(const std::string& path) {
  char* resolved = ::realpath(path.c_str(), nullptr);
  if (resolved == nullptr) return "";
  std::string out = resolved;
  std::free(resolved);
  return out;
}

bool IsSymlink(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

bool SameFile(const std::string& a, const std::string& b) {
  struct stat sa, sb;
  if (a.empty() || b.empty() || ::stat(a.c_str(), &sa) != 0 || ::stat(b.c_str(), &sb) != 0)
    return false;
  return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

std::string CurrentFolder() {
  char buffer[PATH_MAX];
  return ::getcwd(buffer, sizeof buffer) ? std::string(buffer) : std::string();
}

std::string AbsolutePath(const std::string& path) {
  if (path.empty() || path.front() == '/') return path;
  const std::string current = CurrentFolder();
  return current.empty() ? std::string() : JoinPath(current, path);
}

std::string PathFileName(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string PathFolder(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return "";
  while (slash > 0 && path[slash - 1] == '/') --slash;  // "a//b" is in "a"
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string JoinPath(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  return folder.back() == '/' ? folder + name : folder + "/" + name;
}

bool IsRegularFile(const std::string& path) {
  struct stat st;
  return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool StandardErrorIsTerminal() {
  return ::isatty(STDERR_FILENO) != 0;
}

std::string SystemTempFolder() {
  const char* env = std::getenv("TMPDIR");
  return env && *env ? env : "/tmp";
}

namespace {

// $variable/corvida when the variable holds an absolute path, else $HOME/fallback/corvida;
// "" without either.
std::string UserFolder(const char* variable, const char* fallback) {
  const char* value = std::getenv(variable);
  if (value && value[0] == '/') return std::string(value) + "/corvida";
  const char* home = std::getenv("HOME");
  if (home && home[0] == '/') return std::string(home) + "/" + fallback + "/corvida";
  return "";
}

// The folder of a user without a home folder. Its name is known to everyone, so another
// user may have made it (or a link) first: then a fresh folder of an unpredictable name
// serves this run.
std::string PrivateTempFolder() {
  const std::string shared = SystemTempFolder() + "/corvida-" + std::to_string(::getuid());
  if (EnsurePrivateFolder(shared)) return shared;
  std::string fresh = shared + "-XXXXXX";
  return ::mkdtemp(fresh.data()) != nullptr ? fresh : "";
}

std::string FolderPart(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// A new file in `folder` under a name nobody can guess, created exclusively (an existing
// file or link of that name makes the attempt fail, never opens it); -1 on failure.
int CreateUniqueFile(const std::string& folder, mode_t mode, std::string& path) {
  static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  std::random_device random;
  std::uniform_int_distribution<size_t> pick(0, sizeof kLetters - 2);
  for (int attempt = 0; attempt < 16; ++attempt) {
    path = folder + "/.cvtmp-";
    for (int i = 0; i < 12; ++i) path += kLetters[pick(random)];
    int fd;
    do {
      fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
    } while (fd < 0 && errno == EINTR);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

// Makes a rename in the folder last across a power cut; a failure changes nothing else.
void SyncFolder(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

Folders UserFolders(const std::string& program_folder) {
  Folders folders;
  folders.config = UserFolder("XDG_CONFIG_HOME", ".config");
  folders.data = UserFolder("XDG_DATA_HOME", ".local/share");
  if (folders.config.empty() || folders.data.empty()) {
    const std::string own = PrivateTempFolder();
    if (folders.config.empty()) folders.config = own;
    if (folders.data.empty()) folders.data = own;
  }
  folders.program = program_folder;
  folders.temp = SystemTempFolder();
  return folders;
}

std::string UserCacheFolder() {
  return UserFolder("XDG_CACHE_HOME", ".cache");
}

std::string ProgramFolder() {
  char buffer[PATH_MAX];
  const ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer);
  if (n <= 0 || static_cast<size_t>(n) >= sizeof buffer) return "";
  return FolderPart(std::string(buffer, static_cast<size_t>(n)));
}

bool EnsurePrivateFolder(const std::string& path) {
  if (path.empty() || (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST)) return false;
  // Opened without following a link, so the checks and the change act on the folder itself.
  const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return false;
  struct stat st;
  bool ok = ::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::geteuid();
  // A folder others could write to may hold anything they planted: not ours to use.
  ok = ok && (st.st_mode & (S_IWGRP | S_IWOTH)) == 0;
  if (ok && (st.st_mode & 077) != 0) ok = ::fchmod(fd, 0700) == 0;
  ::close(fd);
  return ok;
}

bool ReplaceFileWith(File& temp, const std::string& temp_path, const std::string& path) {
  bool ok = temp.is_open();
  struct stat st;
  if (ok && ::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode))
    ok = ::fchmod(temp.fd_, st.st_mode & 07777) == 0;
  ok = ok && temp.Sync();
  if (temp.fd_ >= 0) ok = ::close(temp.fd_) == 0 && ok;
  temp.fd_ = -1;
  ok = ok && ::rename(temp_path.c_str(), path.c_str()) == 0;
  if (!ok) {
    ::unlink(temp_path.c_str());
    return false;
  }
  SyncFolder(FolderPart(path));
  return true;
}

bool WriteFileAtomically(const std::string& path, std::string_view bytes) {
  struct stat st;
  const bool exists = ::lstat(path.c_str(), &st) == 0;
  // Only a plain file is replaced: never a link, whatever it leads to.
  if ((exists && !S_ISREG(st.st_mode)) || (!exists && errno != ENOENT)) return false;
  std::string temp_path;
  File temp;
  temp.fd_ = CreateUniqueFile(FolderPart(path), exists ? st.st_mode & 0777 : 0666, temp_path);
  if (!temp.is_open()) return false;
  if (temp.Write(bytes.data(), bytes.size()) != static_cast<int64_t>(bytes.size())) {
    temp.Close();
    ::unlink(temp_path.c_str());
    return false;
  }
  return ReplaceFileWith(temp, temp_path, path);
}

}  // namespace corvida
