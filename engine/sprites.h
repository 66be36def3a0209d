// Sprite animation data ('Sprt'): a 600-byte header, bytes we do not use, a path element
// of positions and a film element of PixPak pictures, all big-endian and read in place.
// ReadSprite checks every FourCC and length against the data and finds the pictures and
// positions; what we read and what we ignore is written down in docs/animations.md.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "platform/gfx/bitmap.h"
#include "platform/types.h"

namespace corvida {

namespace sprite {
inline constexpr uint32_t kMagic = 0x53707274;  // 'Sprt'
inline constexpr size_t kHeaderSize = 600;
inline constexpr size_t kPlacement = 10;    // top, left, bottom, right
inline constexpr size_t kSkipLength = 452;  // bytes between the header and the path
inline constexpr size_t kPathLength = 456;

inline constexpr uint32_t kFilmMagic = 0x46696C6D;  // 'Film'
inline constexpr size_t kFilmHeaderSize = 362;
inline constexpr size_t kFilmKind = 32;
inline constexpr size_t kFilmFrameCount = 46;
inline constexpr size_t kFilmExtraLength = 166;
inline constexpr size_t kFilmFrameRecord = 120;
inline constexpr uint16_t kFilmPictures = 0;
inline constexpr uint16_t kFilmPicturesAndExtra = 2;
// A film the player makes: its frames are the part of the card under the film's
// rectangle (at 10: top, left, bottom, right), taken as the sprite starts.
inline constexpr uint16_t kFilmFromCard = 3;
inline constexpr size_t kFilmRect = 10;
inline constexpr int kMaxCardPiece = 4096;  // a side of the card's part

inline constexpr uint32_t kPathMagic = 0x50617468;  // 'Path'
inline constexpr size_t kPathHeaderSize = 138;
inline constexpr size_t kPositionSize = 4;  // v, h

// Ticks between two positions.
inline constexpr uint32_t kStepTicks = 6;
}  // namespace sprite

// One picture of the film and its mask (empty when it has none), as stored PixPak blocks.
struct SpriteFrame {
  std::span<const uint8_t> picture;
  std::span<const uint8_t> mask;
};

struct SpriteLayout {
  Rect placement;
  std::vector<Point> positions;  // top-left corners on the card, in order
  std::vector<SpriteFrame> frames;
  // A film the player makes (kind 3): the part of the card its one picture is taken
  // from; empty for a film of stored pictures.
  Rect card_piece;
  bool FromCard() const { return !card_piece.Empty(); }
};

bool IsSpriteData(std::span<const uint8_t> data);

// The sprite's pictures and positions, pointing into `data`; nullopt when the data is not
// a sprite we can play (no 'Sprt', 'Path' or 'Film', a length beyond the data, a film of
// another kind or without one readable picture).
std::optional<SpriteLayout> ReadSprite(std::span<const uint8_t> data);

// The position of step `step` (the placement's corner when the path has none).
Point SpritePosition(const SpriteLayout& layout, size_t step);
// How many steps the sprite plays: one per position, or each picture once without any.
size_t SpriteSteps(const SpriteLayout& layout);

// Decodes the picture of step `step` (pictures repeat along the path) and its mask;
// palette-relative pictures take `palette`. False when the picture cannot be decoded, and
// for a film the player makes (its picture comes from the card). `unknown_packing`, when
// given, is set when the picture is packed in a way this player does not know.
bool DecodeSpriteFrame(const SpriteLayout& layout, size_t step, const gfx::Palette& palette,
                       gfx::Bitmap& picture, gfx::Bitmap& mask, bool* unknown_packing = nullptr);

}  // namespace corvida
