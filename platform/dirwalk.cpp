#include "platform/dirwalk.h"

#include <sys/stat.h>

namespace corvida {

int64_t FolderStamp(const std::string& path) {
  struct stat st;
  if (path.empty() || ::lstat(path.c_str(), &st) != 0) return 0;
  return int64_t{st.st_mtim.tv_sec} * 1'000'000'000 + st.st_mtim.tv_nsec;
}

}  // namespace corvida
