#include "engine/sprites.h"

#include "platform/bytes.h"
#include "stackfile/pixpak.h"

namespace corvida {

namespace {

int16_t Signed(std::span<const uint8_t> data, size_t offset) {
  return int16_t(ReadBE16(data, offset));
}

// A stored Mac rectangle: top, left, bottom, right.
Rect MacRect(std::span<const uint8_t> data, size_t offset) {
  return {Signed(data, offset + 2), Signed(data, offset), Signed(data, offset + 6),
          Signed(data, offset + 4)};
}

// The PixPak block at `offset`: its header and its bytes; nullopt when it is not one or
// does not fit.
std::optional<std::pair<PixPakHeader, std::span<const uint8_t>>> BlockAt(
    std::span<const uint8_t> data, size_t offset) {
  if (offset >= data.size()) return std::nullopt;
  PixPakHeader header;
  if (!ReadPixPakHeader(data.subspan(offset), header) || header.magic != pixpak::kMagic)
    return std::nullopt;
  if (header.block_length < pixpak::kHeaderSize || !InBounds(data, offset, header.block_length))
    return std::nullopt;
  return std::pair{header, data.subspan(offset, header.block_length)};
}

// The film's pictures from `offset` on: each picture deeper than one bit may be followed
// by a one-bit picture of its size, its mask. Reading stops at the first block that is not
// a picture, after `count` pictures.
std::vector<SpriteFrame> ReadPictures(std::span<const uint8_t> film, size_t offset, size_t count) {
  std::vector<SpriteFrame> frames;
  while (frames.size() < count) {
    auto picture = BlockAt(film, offset);
    if (!picture) break;
    offset += picture->second.size();
    SpriteFrame frame{picture->second, {}};
    auto mask = BlockAt(film, offset);
    if (mask && picture->first.depth > 1 && mask->first.depth == 1 &&
        mask->first.width == picture->first.width && mask->first.height == picture->first.height) {
      frame.mask = mask->second;
      offset += mask->second.size();
    }
    frames.push_back(frame);
  }
  return frames;
}

bool ReadFilm(std::span<const uint8_t> film, SpriteLayout& out) {
  if (film.size() < sprite::kFilmHeaderSize || ReadBE32(film, 0) != sprite::kFilmMagic)
    return false;
  const uint16_t kind = ReadBE16(film, sprite::kFilmKind);
  if (kind == sprite::kFilmFromCard) {
    const Rect piece = MacRect(film, sprite::kFilmRect);
    if (piece.Empty() || piece.Width() > sprite::kMaxCardPiece ||
        piece.Height() > sprite::kMaxCardPiece)
      return false;
    out.card_piece = piece;
    return true;
  }
  if (kind != sprite::kFilmPictures && kind != sprite::kFilmPicturesAndExtra) return false;
  const uint64_t count = ReadBE16(film, sprite::kFilmFrameCount);
  uint64_t offset = sprite::kFilmHeaderSize + count * sprite::kFilmFrameRecord;
  if (kind == sprite::kFilmPicturesAndExtra) offset += ReadBE32(film, sprite::kFilmExtraLength);
  if (count == 0 || offset > film.size()) return false;
  out.frames = ReadPictures(film, size_t(offset), size_t(count));
  return !out.frames.empty();
}

bool ReadPath(std::span<const uint8_t> path, SpriteLayout& out) {
  if (path.size() < sprite::kPathHeaderSize || ReadBE32(path, 0) != sprite::kPathMagic)
    return false;
  for (size_t at = sprite::kPathHeaderSize; InBounds(path, at, sprite::kPositionSize);
       at += sprite::kPositionSize)
    out.positions.push_back({Signed(path, at + 2), Signed(path, at)});
  return true;
}

}  // namespace

bool IsSpriteData(std::span<const uint8_t> data) {
  return data.size() >= 4 && ReadBE32(data, 0) == sprite::kMagic;
}

std::optional<SpriteLayout> ReadSprite(std::span<const uint8_t> data) {
  if (!IsSpriteData(data) || data.size() < sprite::kHeaderSize) return std::nullopt;
  const uint64_t skip = ReadBE32(data, sprite::kSkipLength);
  const uint64_t path_length = ReadBE32(data, sprite::kPathLength);
  const uint64_t path_at = sprite::kHeaderSize + skip;
  if (!InBounds(data, path_at, path_length)) return std::nullopt;
  const uint64_t film_at = path_at + path_length;
  SpriteLayout layout;
  layout.placement = MacRect(data, sprite::kPlacement);
  if (!ReadPath(data.subspan(size_t(path_at), size_t(path_length)), layout)) return std::nullopt;
  if (!ReadFilm(data.subspan(size_t(film_at)), layout)) return std::nullopt;
  return layout;
}

size_t SpriteSteps(const SpriteLayout& layout) {
  if (!layout.positions.empty()) return layout.positions.size();
  return layout.FromCard() ? 1 : layout.frames.size();
}

Point SpritePosition(const SpriteLayout& layout, size_t step) {
  if (layout.positions.empty()) return {layout.placement.left, layout.placement.top};
  return layout.positions[step % layout.positions.size()];
}

bool DecodeSpriteFrame(const SpriteLayout& layout, size_t step, const gfx::Palette& palette,
                       gfx::Bitmap& picture, gfx::Bitmap& mask, bool* unknown_packing) {
  if (layout.frames.empty()) return false;
  const SpriteFrame& frame = layout.frames[step % layout.frames.size()];
  const PixPakResult decoded = DecodePixPak(frame.picture, picture);
  if (unknown_packing && decoded == PixPakResult::kUnknownPacking) *unknown_packing = true;
  if (decoded != PixPakResult::kDecoded) return false;
  if (picture.palette_relative) {
    picture.palette = palette;
    picture.palette_relative = false;
  }
  mask.Clear();
  if (!frame.mask.empty() && DecodePixPak(frame.mask, mask) == PixPakResult::kDecoded) {
    mask.palette = {};  // a mask: set bits are drawn
    mask.palette_relative = false;
  }
  return true;
}

}  // namespace corvida
