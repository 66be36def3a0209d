// Path-animation descriptions and their frames: the 34-byte description at the start of
// an animation entry's data, the frame records that follow it, and the frame bitmap the
// records are applied to. Everything here reads untrusted bytes: fields are read through
// the bounds-checked byte helpers and a record that does not fit is reported, never read.
//
// Layout (little-endian, as the authoring program wrote it; see docs/animations.md):
// the description's fields at 0..17, then frame records from 18, each with the length of
// its data in the u32 at 8 and its data from 16. A whole frame's data holds the frame's
// rows bottom row first, each padded to 32 bits; a patch list holds 8-byte patches (u32
// byte offset into those rows, u32 value written in the frame's bytes per pixel).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "platform/gfx/bitmap.h"

namespace corvida {

namespace pathanim {
inline constexpr size_t kDescriptionSize = 34;
inline constexpr size_t kFrameWidth = 0;
inline constexpr size_t kFrameHeight = 2;
inline constexpr size_t kTicksBetween = 4;
inline constexpr size_t kRepetitions = 6;
inline constexpr size_t kFrameCount = 8;
inline constexpr size_t kDepth = 10;
inline constexpr size_t kFlags = 12;
inline constexpr size_t kFirstRecord = 18;
inline constexpr size_t kRecordLength = 8;
inline constexpr size_t kRecordData = 16;
inline constexpr size_t kPatchSize = 8;

inline constexpr uint16_t kInvalidateAtEnd = 0x0001;
inline constexpr uint16_t kFirstFrameInCard = 0x0002;
inline constexpr uint16_t kPatchLists = 0x0004;
inline constexpr uint16_t kFinishSameId = 0x0010;
inline constexpr uint16_t kDoNotDraw = 0x0020;
inline constexpr uint16_t kUnclipped = 0x0040;
inline constexpr uint16_t kKeepDescription = 0x0080;
inline constexpr uint16_t kDataInEntry = 0x0100;

// A frame larger than this does not start: it would only be clipped away by any card.
inline constexpr uint64_t kMaxFrameBytes = 16u << 20;
}  // namespace pathanim

struct PathDescription {
  uint16_t width = 0;
  uint16_t height = 0;
  uint16_t ticks_between = 0;
  uint16_t repetitions = 0;  // 0: until the card is left
  uint16_t frame_count = 0;
  uint16_t depth = 0;
  uint16_t flags = 0;
};

// The description's fields; nullopt when the data is shorter than a description.
std::optional<PathDescription> ReadPathDescription(std::span<const uint8_t> data);

// The data of the frame record at `offset`, and where the next record starts; nullopt
// when the record's header or data do not fit in `data`.
struct FrameRecord {
  std::span<const uint8_t> data;
  size_t next = 0;
};
std::optional<FrameRecord> ReadFrameRecord(std::span<const uint8_t> data, size_t offset);

// The frame as stored: rows bottom first, padded to 32 bits, at 1, 2, 4, 8, 16, 24 or 32
// bits per pixel.
class FrameBits {
 public:
  // False for an empty side, another depth, more than kMaxFrameBytes or no memory.
  bool Create(int width, int height, int depth);
  // A whole frame replaces the bits (false when it holds fewer bytes than the frame); a
  // patch list changes them (false when a patch is cut short or lies outside the frame,
  // after the patches before it were applied).
  bool ApplyWhole(std::span<const uint8_t> frame);
  bool ApplyPatches(std::span<const uint8_t> patches);
  // The frame in the 2D layer's layout; indexed frames take `palette` (the card's).
  // 24-bit frames become 32-bit bitmaps.
  bool ToBitmap(const gfx::Palette& palette, gfx::Bitmap& out) const;

  int width() const { return width_; }
  int height() const { return height_; }
  int depth() const { return depth_; }
  std::span<const uint8_t> bytes() const { return bits_; }

 private:
  int width_ = 0;
  int height_ = 0;
  int depth_ = 0;
  size_t stride_ = 0;
  std::vector<uint8_t> bits_;
};

// The picture of a description's first frame, as the card shows it when the description
// asks for it; false when the first frame cannot be read.
bool PathAnimationPicture(std::span<const uint8_t> data, const gfx::Palette& palette,
                          gfx::Bitmap& out);

}  // namespace corvida
