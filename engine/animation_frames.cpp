#include "engine/animation_frames.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "platform/bytes.h"

namespace corvida {

namespace {

bool FrameDepth(int depth) {
  return depth == 24 || gfx::ValidDepth(depth);
}

}  // namespace

std::optional<PathDescription> ReadPathDescription(std::span<const uint8_t> data) {
  if (data.size() < pathanim::kDescriptionSize) return std::nullopt;
  PathDescription d;
  d.width = ReadLE16(data, pathanim::kFrameWidth);
  d.height = ReadLE16(data, pathanim::kFrameHeight);
  d.ticks_between = ReadLE16(data, pathanim::kTicksBetween);
  d.repetitions = ReadLE16(data, pathanim::kRepetitions);
  d.frame_count = ReadLE16(data, pathanim::kFrameCount);
  d.depth = ReadLE16(data, pathanim::kDepth);
  d.flags = ReadLE16(data, pathanim::kFlags);
  return d;
}

std::optional<FrameRecord> ReadFrameRecord(std::span<const uint8_t> data, size_t offset) {
  if (!InBounds(data, offset, pathanim::kRecordData)) return std::nullopt;
  const uint64_t length = ReadLE32(data, offset + pathanim::kRecordLength);
  const uint64_t start = uint64_t(offset) + pathanim::kRecordData;
  if (!InBounds(data, start, length)) return std::nullopt;
  return FrameRecord{data.subspan(size_t(start), size_t(length)), size_t(start + length)};
}

bool FrameBits::Create(int width, int height, int depth) {
  bits_.clear();
  width_ = height_ = depth_ = 0;
  if (width < 1 || height < 1 || !FrameDepth(depth)) return false;
  const uint64_t stride = gfx::RowBytes(uint64_t(width), uint64_t(depth));
  if (stride * uint64_t(height) > pathanim::kMaxFrameBytes) return false;
  try {
    bits_.assign(size_t(stride) * size_t(height), 0);
  } catch (const std::bad_alloc&) {
    return false;
  }
  width_ = width, height_ = height, depth_ = depth;
  stride_ = size_t(stride);
  return true;
}

bool FrameBits::ApplyWhole(std::span<const uint8_t> frame) {
  if (bits_.empty() || frame.size() < bits_.size()) return false;
  std::memcpy(bits_.data(), frame.data(), bits_.size());
  return true;
}

bool FrameBits::ApplyPatches(std::span<const uint8_t> patches) {
  if (bits_.empty()) return false;
  const size_t pixel_bytes = size_t(std::max(depth_ / 8, 1));
  for (size_t at = 0; at < patches.size(); at += pathanim::kPatchSize) {
    if (!InBounds(patches, at, pathanim::kPatchSize)) return false;
    const uint32_t offset = ReadLE32(patches, at);
    const uint32_t value = ReadLE32(patches, at + 4);
    if (!InBounds(bits_, offset, pixel_bytes)) return false;
    for (size_t i = 0; i < pixel_bytes; ++i) bits_[offset + i] = uint8_t(value >> (8 * i));
  }
  return true;
}

bool FrameBits::ToBitmap(const gfx::Palette& palette, gfx::Bitmap& out) const {
  if (bits_.empty()) return false;
  const int depth = depth_ == 24 ? 32 : depth_;
  if ((out.width() != width_ || out.height() != height_ || out.depth() != depth) &&
      !out.Create(width_, height_, depth))
    return false;
  out.palette = palette;
  out.palette_relative = false;
  for (int y = 0; y < height_; ++y) {
    const uint8_t* row = bits_.data() + size_t(height_ - 1 - y) * stride_;
    uint8_t* dst = out.Row(y);
    if (depth_ != 24) {
      std::memcpy(dst, row, std::min(stride_, size_t(out.stride())));
      continue;
    }
    for (int x = 0; x < width_; ++x, row += 3, dst += 4)
      dst[0] = row[0], dst[1] = row[1], dst[2] = row[2], dst[3] = 0;
  }
  return true;
}

bool PathAnimationPicture(std::span<const uint8_t> data, const gfx::Palette& palette,
                          gfx::Bitmap& out) {
  std::optional<PathDescription> d = ReadPathDescription(data);
  if (!d || d->frame_count == 0) return false;
  std::optional<FrameRecord> record = ReadFrameRecord(data, pathanim::kFirstRecord);
  FrameBits bits;
  if (!record || !bits.Create(d->width, d->height, d->depth)) return false;
  const bool applied = (d->flags & pathanim::kPatchLists) ? bits.ApplyPatches(record->data)
                                                          : bits.ApplyWhole(record->data);
  return applied && bits.ToBitmap(palette, out);
}

}  // namespace corvida
