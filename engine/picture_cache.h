// Pictures of graphics kept in files, decoded once per file and shared by every graphic
// that names it. The cache belongs to the player (one per player) and holds at most a
// budget of pixel bytes: a picture that does not fit, once the least recently used
// pictures no graphic shows any more are let go, is not loaded, and its graphics are
// drawn as missing. A file is known by its path and its size and modification time, so
// a file replaced on disk is read again.
#pragma once

#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <unordered_map>

#include "platform/gfx/bitmap.h"
#include "platform/picture.h"

namespace corvida {

// 512 MiB of pixels: two pictures of the largest size a file may give.
inline constexpr uint64_t kDefaultPictureBudget = 512ull * 1024 * 1024;
// Picture files larger than this are not read.
inline constexpr int64_t kMaxPictureFile = 64ll * 1024 * 1024;

class PictureCache {
 public:
  // Without a decoder the cache uses an `ImagePictureDecoder` of its own.
  explicit PictureCache(PictureDecoder* decoder = nullptr,
                        uint64_t budget_bytes = kDefaultPictureBudget);
  PictureCache(const PictureCache&) = delete;
  PictureCache& operator=(const PictureCache&) = delete;

  // The picture of the file at `path` (already resolved), or null when it cannot be read,
  // decoded or held within the budget. Never throws.
  std::shared_ptr<const gfx::Bitmap> Get(const std::string& path);

  uint64_t bytes_held() const { return bytes_held_; }
  size_t pictures_held() const { return entries_.size(); }
  uint64_t budget() const { return budget_; }
  // Lets go of every picture no graphic shows (a stack was closed).
  void Trim();

 private:
  struct Entry {
    int64_t size = 0;
    int64_t modified = 0;
    std::shared_ptr<const gfx::Bitmap> picture;
    uint64_t bytes = 0;
    std::list<std::string>::iterator recent;  // its place in `recent_`
  };

  std::shared_ptr<const gfx::Bitmap> Load(const std::string& path, int64_t size, int64_t modified);
  bool MakeRoom(uint64_t bytes);
  void Forget(const std::string& path);

  ImagePictureDecoder own_decoder_;
  PictureDecoder& decoder_;
  uint64_t budget_;
  uint64_t bytes_held_ = 0;
  std::unordered_map<std::string, Entry> entries_;
  std::list<std::string> recent_;  // most recently used first
};

}  // namespace corvida
