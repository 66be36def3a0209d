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

File File::OpenWithFlags(const std::string& path, Mode mode, int extra_flags) {
  int flags = O_CLOEXEC | extra_flags;
  switch (mode) {
    case Mode::kRead:
      flags |= O_RDONLY;
      break;
    case Mode::kReadWrite:
      flags |= O_RDWR;
      break;
    case Mode::kCreate:
      flags |= O_RDWR | O_CREAT | O_TRUNC;
      break;
    case Mode::kCreateNew:
      flags |= O_RDWR | O_CREAT | O_EXCL;
      break;
  }
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

std::string SystemTempFolder() {
  const char* env = std::getenv("TMPDIR");
  return env && *env ? env : "/tmp";
}

namespace {

// $variable/corvida when the variable holds an absolute path, else $HOME/fallback/corvida.
std::string UserFolder(const char* variable, const char* fallback) {
  const char* value = std::getenv(variable);
  if (value && value[0] == '/') return std::string(value) + "/corvida";
  const char* home = std::getenv("HOME");
  if (home && home[0] == '/') return std::string(home) + "/" + fallback + "/corvida";
  return SystemTempFolder() + "/corvida-" + std::to_string(::getuid());
}

}  // namespace

Folders UserFolders(const std::string& program_folder) {
  Folders folders;
  folders.config = UserFolder("XDG_CONFIG_HOME", ".config");
  folders.data = UserFolder("XDG_DATA_HOME", ".local/share");
  folders.program = program_folder;
  folders.temp = SystemTempFolder();
  return folders;
}

}  // namespace corvida
