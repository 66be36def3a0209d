// Shared, budgeted pictures of graphics kept in files.
#include "engine/picture_cache.h"

#include <new>
#include <vector>

#include "platform/files.h"

namespace corvida {
namespace {

bool ReadWholeFile(const std::string& path, int64_t size, std::vector<uint8_t>& out) {
  File file = File::Open(path, File::Mode::kRead);
  if (!file.is_open()) return false;
  out.resize(static_cast<size_t>(size));
  return file.Read(out.data(), out.size()) == size;
}

uint64_t BitmapBytes(const gfx::Bitmap& bitmap) {
  return static_cast<uint64_t>(bitmap.stride()) * static_cast<uint64_t>(bitmap.height());
}

}  // namespace

PictureCache::PictureCache(PictureDecoder* decoder, uint64_t budget_bytes)
    : decoder_(decoder ? *decoder : own_decoder_), budget_(budget_bytes) {}

std::shared_ptr<const gfx::Bitmap> PictureCache::Get(const std::string& path) {
  FileInfo info = GetFileInfo(path);
  if (!info.exists || info.is_directory || info.size < 1 || info.size > kMaxPictureFile) {
    return nullptr;
  }
  auto found = entries_.find(path);
  if (found != entries_.end()) {
    Entry& entry = found->second;
    if (entry.size == info.size && entry.modified == info.modified) {
      recent_.splice(recent_.begin(), recent_, entry.recent);
      return entry.picture;
    }
    Forget(path);  // the file changed on disk
  }
  try {
    return Load(path, info.size, info.modified);
  } catch (const std::bad_alloc&) {
    return nullptr;  // drawn as missing
  }
}

std::shared_ptr<const gfx::Bitmap> PictureCache::Load(const std::string& path, int64_t size,
                                                      int64_t modified) {
  std::vector<uint8_t> file;
  if (!ReadWholeFile(path, size, file)) return nullptr;
  // Room for the picture at four bytes a pixel is made before anything is decoded.
  PictureInfo info;
  if (ProbePicture(file, path, info) != PictureStatus::kOk) return nullptr;
  if (!MakeRoom(static_cast<uint64_t>(info.width) * info.height * 4)) return nullptr;
  DecodedPicture decoded;
  if (decoder_.Decode(file, path, decoded) != PictureStatus::kOk) return nullptr;
  file = {};
  auto bitmap = std::make_shared<gfx::Bitmap>();
  if (!PictureToBitmap(decoded, *bitmap)) return nullptr;
  decoded = {};
  uint64_t bytes = BitmapBytes(*bitmap);
  if (!MakeRoom(bytes)) return nullptr;
  recent_.push_front(path);
  entries_[path] = Entry{size, modified, bitmap, bytes, recent_.begin()};
  bytes_held_ += bytes;
  return bitmap;
}

// Lets go of the least recently used pictures that no graphic holds until `bytes` more
// fit in the budget.
bool PictureCache::MakeRoom(uint64_t bytes) {
  if (bytes > budget_) return false;
  auto it = recent_.end();
  while (it != recent_.begin() && bytes_held_ + bytes > budget_) {
    auto candidate = std::prev(it);
    if (entries_.at(*candidate).picture.use_count() > 1) {
      it = candidate;  // still shown: kept
      continue;
    }
    Forget(std::string(*candidate));
  }
  return bytes_held_ + bytes <= budget_;
}

void PictureCache::Forget(const std::string& path) {
  auto found = entries_.find(path);
  if (found == entries_.end()) return;
  bytes_held_ -= found->second.bytes;
  recent_.erase(found->second.recent);
  entries_.erase(found);
}

void PictureCache::Trim() {
  MakeRoom(budget_);
}

}  // namespace corvida
