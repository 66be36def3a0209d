#include "stackfile/stack_io.h"

#include <filesystem>
#include <system_error>

namespace corvida::stackio {

namespace fs = std::filesystem;

bool InFile::Open(const std::string& path) {
  Close();
  std::error_code ec;
  if (!fs::is_regular_file(path, ec)) return false;
  file_ = std::fopen(path.c_str(), "rb");
  if (!file_) return false;
  if (std::fseek(file_, 0, SEEK_END) != 0) {
    Close();
    return false;
  }
  long end = std::ftell(file_);
  if (end < 0) {
    Close();
    return false;
  }
  size_ = static_cast<uint64_t>(end);
  return true;
}

void InFile::Close() {
  if (file_) std::fclose(file_);
  file_ = nullptr;
  size_ = 0;
}

bool InFile::ReadAt(uint64_t offset, void* buffer, size_t count) {
  if (!file_ || offset > size_ || count > size_ - offset) return false;
  if (count == 0) return true;
  if (std::fseek(file_, static_cast<long>(offset), SEEK_SET) != 0) return false;
  return std::fread(buffer, 1, count, file_) == count;
}

bool WriteAt(const std::string& path, uint64_t offset, const void* data, size_t count) {
  std::FILE* f = std::fopen(path.c_str(), "r+b");
  if (!f) return false;
  bool ok = std::fseek(f, static_cast<long>(offset), SEEK_SET) == 0 &&
            std::fwrite(data, 1, count, f) == count;
  return std::fclose(f) == 0 && ok;
}

bool Exists(const std::string& path) {
  std::error_code ec;
  return fs::exists(path, ec);
}

bool IsWritable(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "r+b");
  if (!f) return false;
  std::fclose(f);
  return true;
}

uint64_t FileSize(const std::string& path) {
  std::error_code ec;
  uintmax_t size = fs::file_size(path, ec);
  return ec ? 0 : static_cast<uint64_t>(size);
}

uint64_t FreeSpace(const std::string& folder) {
  std::error_code ec;
  fs::space_info info = fs::space(folder.empty() ? "." : folder, ec);
  return ec ? UINT64_MAX : static_cast<uint64_t>(info.available);
}

void Remove(const std::string& path) {
  std::error_code ec;
  fs::remove(path, ec);
}

std::string FolderOf(const std::string& path) {
  size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string CreateTempSaveFile(const std::string& folder, File& out) {
  for (int n = 0; n < 1000; ++n) {
    char name[16];
    std::snprintf(name, sizeof name, "CVTMP%03d.TMP", n);
    std::string path = folder + "/" + name;
    out = File::OpenNoFollow(path, File::Mode::kCreateNew);
    if (out.is_open()) return path;
    if (!Exists(path) && !IsSymlink(path)) return "";  // not taken: the folder cannot be written
  }
  return "";
}

}  // namespace corvida::stackio
