// File access for reading and writing stack files: exact-count reads at an offset,
// in-place writes of a header field, and the pieces of a safe save (a temporary file in
// the target's folder, free space, the final rename).
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/files.h"

namespace corvida::stackio {

// A file opened for reading; every read is exact or fails.
class InFile {
 public:
  InFile() = default;
  ~InFile() { Close(); }
  InFile(const InFile&) = delete;
  InFile& operator=(const InFile&) = delete;

  bool Open(const std::string& path);
  void Close();
  bool is_open() const { return file_ != nullptr; }
  uint64_t size() const { return size_; }
  bool ReadAt(uint64_t offset, void* buffer, size_t count);

 private:
  std::FILE* file_ = nullptr;
  uint64_t size_ = 0;
};

// Writes `count` bytes at `offset` of an existing file without changing its length.
bool WriteAt(const std::string& path, uint64_t offset, const void* data, size_t count);
bool Exists(const std::string& path);
// Whether an existing file can be opened for writing.
bool IsWritable(const std::string& path);
// Size of a file, 0 when it cannot be read.
uint64_t FileSize(const std::string& path);
// Free bytes on the volume holding `folder`; UINT64_MAX when unknown.
uint64_t FreeSpace(const std::string& folder);
void Remove(const std::string& path);
std::string FolderOf(const std::string& path);

// Creates the first free "CVTMPnnn.TMP" in `folder`, open for writing in `out`, and returns
// its path; "" when all thousand names are taken or the folder cannot be written. The file
// is created exclusively (never an existing file or link) and is written through `out`
// only, never opened again by its name. ReplaceFileWith (platform/files.h) puts it in place.
std::string CreateTempSaveFile(const std::string& folder, File& out);

}  // namespace corvida::stackio
