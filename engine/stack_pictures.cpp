#include "engine/stack_pictures.h"

#include <bit>
#include <cstring>

namespace corvida {
namespace {

// A 64-bit hash of the stored bytes in four independent lanes of eight bytes, so that
// hashing a packed card picture costs far less than unpacking it.
uint64_t HashBytes(std::span<const uint8_t> bytes) {
  constexpr uint64_t kMultiplier = 0x9E3779B97F4A7C15ull;
  uint64_t lanes[4] = {1, 2, 3, 4};
  const uint8_t* p = bytes.data();
  size_t left = bytes.size();
  for (; left >= 32; p += 32, left -= 32) {
    for (int i = 0; i < 4; ++i) {
      uint64_t word;
      std::memcpy(&word, p + 8 * i, 8);
      lanes[i] = std::rotl((lanes[i] ^ word) * kMultiplier, 29);
    }
  }
  uint64_t h = bytes.size() * kMultiplier;
  for (uint64_t lane : lanes) h = std::rotl((h ^ lane) * kMultiplier, 31);
  for (; left > 0; ++p, --left) h = (h ^ *p) * kMultiplier;
  return h ^ (h >> 29);
}

uint64_t PictureBytes(const gfx::Bitmap& bitmap) {
  // The pixels and the palette the bitmap carries.
  return bitmap.byte_size() + sizeof(gfx::Bitmap);
}

}  // namespace

std::shared_ptr<const gfx::Bitmap> StackPictures::Get(std::span<const uint8_t> stored,
                                                      StackPictureUse use, const Decoder& decode) {
  Key key{HashBytes(stored), stored.size(), use};
  if (auto found = entries_.find(key); found != entries_.end()) {
    recent_.splice(recent_.begin(), recent_, found->second.recent);
    return found->second.picture;
  }
  auto picture = std::make_shared<gfx::Bitmap>();
  ++decodes_;
  if (!decode(*picture)) return nullptr;
  const uint64_t bytes = PictureBytes(*picture);
  if (bytes > budget_) return picture;  // shown this time, decoded again the next
  LetGoUntilFits(bytes);
  recent_.push_front(key);
  entries_.emplace(key, Entry{picture, bytes, recent_.begin()});
  bytes_held_ += bytes;
  return picture;
}

void StackPictures::LetGoUntilFits(uint64_t bytes) {
  while (!recent_.empty() && bytes_held_ + bytes > budget_) {
    auto oldest = entries_.find(recent_.back());
    bytes_held_ -= oldest->second.bytes;
    entries_.erase(oldest);
    recent_.pop_back();
  }
}

void StackPictures::SetBudget(uint64_t bytes) {
  budget_ = bytes;
  LetGoUntilFits(0);
}

void StackPictures::Clear() {
  entries_.clear();
  recent_.clear();
  bytes_held_ = 0;
}

}  // namespace corvida
