// Files below a trusted folder, reached with openat() one component at a time.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <utility>
#include <vector>

#include "platform/files.h"

namespace corvida {
namespace {

constexpr int kFolderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

// A descriptor closed when it goes away.
class Descriptor {
 public:
  Descriptor() = default;
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(Descriptor&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
  Descriptor& operator=(Descriptor&& other) noexcept {
    std::swap(fd_, other.fd_);
    return *this;
  }
  int get() const { return fd_; }
  bool ok() const { return fd_ >= 0; }

 private:
  int fd_ = -1;
};

// The components of a relative path; false when one is empty, "." or "..": the walk
// below only ever steps down.
bool SplitRelative(const std::string& relative, std::vector<std::string>& parts) {
  parts.clear();
  size_t start = 0;
  while (start <= relative.size()) {
    size_t end = relative.find('/', start);
    if (end == std::string::npos) end = relative.size();
    std::string part = relative.substr(start, end - start);
    if (part.empty() || part == "." || part == "..") return false;
    parts.push_back(std::move(part));
    start = end + 1;
  }
  return true;
}

int RetryOpenAt(int folder, const char* name, int flags) {
  int fd;
  do {
    fd = ::openat(folder, name, flags, 0644);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

// The folder that holds the last of `parts`, walked down from `root`; the root itself is
// the program's own choice and is opened as it is.
Descriptor OpenParent(const std::string& root, const std::vector<std::string>& parts) {
  Descriptor folder(RetryOpenAt(AT_FDCWD, root.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  for (size_t i = 0; folder.ok() && i + 1 < parts.size(); ++i)
    folder = Descriptor(RetryOpenAt(folder.get(), parts[i].c_str(), kFolderFlags));
  return folder;
}

// The parent folder and the last component of `relative` below `root`.
struct Place {
  Descriptor folder;
  std::string name;
  bool ok() const { return folder.ok(); }
};
Place Locate(const std::string& root, const std::string& relative) {
  std::vector<std::string> parts;
  if (root.empty() || !SplitRelative(relative, parts)) return {};
  Descriptor folder = OpenParent(root, parts);
  return {std::move(folder), parts.back()};
}

#if defined(__EMSCRIPTEN__)
// The browser build's file system has no renameat2; it is in memory and has one thread,
// so nothing can come between the look and the move.
constexpr unsigned RENAME_NOREPLACE = 1;
int renameat2(int from_folder, const char* from, int to_folder, const char* to, unsigned flags) {
  struct stat st;
  if ((flags & RENAME_NOREPLACE) && ::fstatat(to_folder, to, &st, AT_SYMLINK_NOFOLLOW) == 0) {
    errno = EEXIST;
    return -1;
  }
  return ::renameat(from_folder, from, to_folder, to);
}
#else
using ::renameat2;
#endif

bool MoveBeneath(const std::string& root, const std::string& from, const std::string& to,
                 unsigned flags) {
  Place source = Locate(root, from);
  Place target = Locate(root, to);
  return source.ok() && target.ok() &&
         renameat2(source.folder.get(), source.name.c_str(), target.folder.get(),
                   target.name.c_str(), flags) == 0;
}

}  // namespace

File File::OpenBeneath(const std::string& root, const std::string& relative, Mode mode) {
  File file;
  Place place = Locate(root, relative);
  if (!place.ok()) return file;
  file.fd_ = RetryOpenAt(place.folder.get(), place.name.c_str(), FlagsFor(mode) | O_NOFOLLOW);
  // A folder opens for reading on POSIX; as a file it is useless.
  struct stat st;
  if (file.fd_ >= 0 && (fstat(file.fd_, &st) != 0 || S_ISDIR(st.st_mode))) file.Close();
  return file;
}

bool DeleteFileBeneath(const std::string& root, const std::string& relative) {
  Place place = Locate(root, relative);
  return place.ok() && ::unlinkat(place.folder.get(), place.name.c_str(), 0) == 0;
}

bool CreateDirectoryBeneath(const std::string& root, const std::string& relative) {
  Place place = Locate(root, relative);
  return place.ok() && ::mkdirat(place.folder.get(), place.name.c_str(), 0755) == 0;
}

bool RenameBeneath(const std::string& root, const std::string& from, const std::string& to) {
  return MoveBeneath(root, from, to, RENAME_NOREPLACE);
}

bool ReplaceBeneath(const std::string& root, const std::string& from, const std::string& to) {
  return MoveBeneath(root, from, to, 0);
}

}  // namespace corvida
