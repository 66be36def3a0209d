// Pictures stored inside the open stack (card pictures, graphics' own PixPak pictures),
// decoded when a card first shows them and kept for the next time, within a budget of
// pixel bytes: the least recently used go first. Opening a stack decodes nothing.
//
// A picture is known by its stored bytes (a 64-bit hash, their length) and by what it is
// decoded for (its kind and the card size and depth), never by handle or offset: records
// move and change, and a changed picture is simply another picture. Pictures handed out
// stay valid while their holder keeps them, even after the store has let go of them.
#pragma once

#include <cstdint>
#include <functional>
#include <list>
#include <memory>
#include <span>
#include <unordered_map>

#include "platform/gfx/bitmap.h"

namespace corvida {

// 32 MiB: about a hundred 640 x 480 cards at 8 bits, or twenty-five at 32 bits.
inline constexpr uint64_t kDefaultStackPictureBudget = 32ull * 1024 * 1024;

// What the stored bytes are decoded for: the same bytes decode differently as a card
// picture of another size or depth.
struct StackPictureUse {
  uint8_t kind = 0;  // kCardPicture or kGraphicPicture
  int width = 0, height = 0;
  int depth = 0;
  static constexpr uint8_t kCardPicture = 1;
  static constexpr uint8_t kGraphicPicture = 2;
  bool operator==(const StackPictureUse&) const = default;
};

class StackPictures {
 public:
  explicit StackPictures(uint64_t budget_bytes = kDefaultStackPictureBudget)
      : budget_(budget_bytes) {}
  StackPictures(const StackPictures&) = delete;
  StackPictures& operator=(const StackPictures&) = delete;

  using Decoder = std::function<bool(gfx::Bitmap& out)>;
  // The picture `stored` holds for `use`: the one kept, or a new one made by `decode`
  // (null when it fails). A picture larger than the budget is handed out without being
  // kept.
  std::shared_ptr<const gfx::Bitmap> Get(std::span<const uint8_t> stored, StackPictureUse use,
                                         const Decoder& decode);

  // Changes the budget; pictures beyond the new one are let go at once.
  void SetBudget(uint64_t bytes);
  void Clear();

  uint64_t budget() const { return budget_; }
  uint64_t bytes_held() const { return bytes_held_; }
  size_t pictures_held() const { return entries_.size(); }
  // How many pictures were decoded (not found kept) since the store was made.
  uint64_t decodes() const { return decodes_; }

 private:
  struct Key {
    uint64_t hash = 0;
    uint64_t length = 0;
    StackPictureUse use;
    bool operator==(const Key&) const = default;
  };
  struct KeyHash {
    size_t operator()(const Key& k) const { return size_t(k.hash ^ (k.length << 1)); }
  };
  struct Entry {
    std::shared_ptr<const gfx::Bitmap> picture;
    uint64_t bytes = 0;
    std::list<Key>::iterator recent;  // its place in `recent_`
  };

  void LetGoUntilFits(uint64_t bytes);

  uint64_t budget_;
  uint64_t bytes_held_ = 0;
  uint64_t decodes_ = 0;
  std::unordered_map<Key, Entry, KeyHash> entries_;
  std::list<Key> recent_;  // most recently used first
};

}  // namespace corvida
