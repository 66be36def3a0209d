// Animation data made in tests: path-animation descriptions with whole frames or patch
// lists, and 'Sprt' data with a path of positions and a film of PixPak pictures.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace corvida::testing {

inline void PutLE(std::vector<uint8_t>& out, size_t at, uint32_t value, int width) {
  if (out.size() < at + size_t(width)) out.resize(at + size_t(width));
  for (int i = 0; i < width; ++i) out[at + size_t(i)] = uint8_t(value >> (8 * i));
}

inline void PutBE(std::vector<uint8_t>& out, size_t at, uint32_t value, int width) {
  if (out.size() < at + size_t(width)) out.resize(at + size_t(width));
  for (int i = 0; i < width; ++i) out[at + size_t(i)] = uint8_t(value >> (8 * (width - 1 - i)));
}

struct PathSpec {
  uint16_t width = 4, height = 2, ticks = 6, repetitions = 1, depth = 8, flags = 0;
  uint16_t frame_count = 0;                  // 0: as many as there are frames
  std::vector<std::vector<uint8_t>> frames;  // each frame record's data
};

// The description (18 bytes of fields) followed by one record per frame.
inline std::vector<uint8_t> PathAnimationBytes(const PathSpec& spec) {
  std::vector<uint8_t> out(18, 0);
  PutLE(out, 0, spec.width, 2);
  PutLE(out, 2, spec.height, 2);
  PutLE(out, 4, spec.ticks, 2);
  PutLE(out, 6, spec.repetitions, 2);
  PutLE(out, 8, spec.frame_count ? spec.frame_count : uint16_t(spec.frames.size()), 2);
  PutLE(out, 10, spec.depth, 2);
  PutLE(out, 12, spec.flags, 2);
  for (const std::vector<uint8_t>& frame : spec.frames) {
    const size_t at = out.size();
    out.resize(at + 16, 0);
    PutLE(out, at + 8, uint32_t(frame.size()), 4);
    out.insert(out.end(), frame.begin(), frame.end());
  }
  if (out.size() < 34) out.resize(34, 0);
  return out;
}

// A whole frame of one colour: 8-bit frames hold `value` as an index, 24-bit ones as
// 0xRRGGBB. Rows are padded to 32 bits.
inline std::vector<uint8_t> SolidFrame(int width, int height, int depth, uint32_t value) {
  const size_t stride = size_t((width * depth + 31) / 32 * 4);
  std::vector<uint8_t> out(stride * size_t(height), 0);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      uint8_t* p = out.data() + size_t(y) * stride + size_t(x * depth / 8);
      if (depth == 8) p[0] = uint8_t(value);
      if (depth == 24)
        p[0] = uint8_t(value), p[1] = uint8_t(value >> 8), p[2] = uint8_t(value >> 16);
    }
  return out;
}

// Patches of (u32 offset, u32 value).
inline std::vector<uint8_t> Patches(const std::vector<std::pair<uint32_t, uint32_t>>& patches) {
  std::vector<uint8_t> out;
  for (auto [offset, value] : patches) {
    PutLE(out, out.size(), offset, 4);
    PutLE(out, out.size(), value, 4);
  }
  return out;
}

// 'Sprt' data: `skipped` bytes after the header, a path of (x, y) positions and a film of
// the given PixPak blocks.
inline std::vector<uint8_t> SpriteBytes(const std::vector<std::pair<int, int>>& positions,
                                        const std::vector<std::vector<uint8_t>>& pictures,
                                        uint16_t film_kind = 0, size_t skipped = 8,
                                        uint32_t extra = 0) {
  std::vector<uint8_t> out(600, 0);
  PutBE(out, 0, 0x53707274, 4);
  PutBE(out, 10, 5, 2), PutBE(out, 12, 6, 2), PutBE(out, 14, 50, 2), PutBE(out, 16, 60, 2);
  PutBE(out, 452, uint32_t(skipped), 4);
  PutBE(out, 456, uint32_t(138 + positions.size() * 4), 4);
  out.resize(600 + skipped, 0xEE);
  const size_t path = out.size();
  out.resize(path + 138, 0);
  PutBE(out, path, 0x50617468, 4);
  PutBE(out, path + 8, 100, 2);
  PutBE(out, path + 26, 1, 2);
  for (auto [x, y] : positions) {
    PutBE(out, out.size(), uint16_t(int16_t(y)), 2);
    PutBE(out, out.size(), uint16_t(int16_t(x)), 2);
  }
  const size_t film = out.size();
  out.resize(film + 362, 0);
  PutBE(out, film, 0x46696C6D, 4);
  PutBE(out, film + 8, 100, 2);
  PutBE(out, film + 26, 1, 2);
  PutBE(out, film + 32, film_kind, 2);
  PutBE(out, film + 46, uint32_t(pictures.size()), 2);
  PutBE(out, film + 166, extra, 4);
  out.resize(out.size() + 120 * pictures.size() + (film_kind == 2 ? extra : 0), 0);
  for (const std::vector<uint8_t>& picture : pictures)
    out.insert(out.end(), picture.begin(), picture.end());
  return out;
}

inline std::string Hex(const std::vector<uint8_t>& bytes) {
  static const char digits[] = "0123456789ABCDEF";
  std::string out;
  for (uint8_t b : bytes) out += digits[b >> 4], out += digits[b & 15];
  return out;
}

}  // namespace corvida::testing
