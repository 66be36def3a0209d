// The card picture: the PictureBlock a card record carries (its own picture, or the one
// of the background it shares), decoded into a bitmap of the card size at the stack's
// depth, and made from a bitmap by the authoring side.
//
// The block is read in the record's in-memory layout (integers native, as records.h
// keeps them; the colour table and the fill patterns as stored bytes). The unpacked
// raster has rows top first, each ((width + 15) / 16) * 2 * depth bytes; its pixels are
// already in the bitmap's byte order (16-bit little-endian words, 32-bit B, G, R, x).
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "platform/gfx/bitmap.h"
#include "platform/types.h"

namespace corvida {

struct CardPictureInfo {
  uint16_t format = 0;  // 1 packed, 2 packed with top and bottom fills
  uint16_t flags = 0;
  uint32_t block_length = 0;
  uint32_t color_table_length = 0;
  std::span<const uint8_t> color_table;
  uint8_t top_fill[4] = {};
  uint32_t top_fill_length = 0;
  uint8_t bottom_fill[4] = {};
  uint32_t bottom_fill_length = 0;
  std::span<const uint8_t> packed;  // the LZ block
};

// Reads the block's parts; false when the format is neither 1 nor 2 or any part (colour
// table, fill descriptor, packed data) does not lie inside the block and its length.
bool ReadCardPicture(std::span<const uint8_t> block, CardPictureInfo& out);

// Decodes the picture of a `card` sized card at `depth` bits. With `own_colors` indexed
// pictures get the block's colour table as their palette; otherwise they hold indices
// into the card palette (palette_relative). False (and an empty bitmap) when the card has
// no picture or it cannot be made; damaged packed data leaves the rest of the picture 0.
bool DecodeCardPicture(std::span<const uint8_t> block, Size card, int depth, bool own_colors,
                       gfx::Bitmap& out);

// The card palette of a picture block: its colour table (entries from 10 on not to
// collapse); empty when it has none.
gfx::Palette CardPicturePalette(std::span<const uint8_t> block);

// Makes a PictureBlock (format 1, in-memory layout) holding `bitmap`, packed, with the
// colour table of `palette` for indexed depths. A pad byte keeps the length even.
std::vector<uint8_t> EncodeCardPicture(const gfx::Bitmap& bitmap, const gfx::Palette& palette);

// The PictureBlock of a card whose size changes from `from` to `to` (a card smaller than
// the window allows, raised): the old picture at the top left, the rest white (the
// colour-table entry nearest white, or index 0 without a table). The colour table and the
// header's other fields are kept; fills become packed pixels (format 1). Empty when the
// old block holds no picture that can be read or memory runs out.
std::vector<uint8_t> ResizeCardPicture(std::span<const uint8_t> block, Size from, Size to,
                                       int depth);

// A picture for a card of the given size and depth made from an image (e.g. a PNG file
// read by platform/gfx/png.h): placed at the top left on white and cut to the card. An
// indexed image keeps its palette (and, when they fit the depth, its indices); a true-
// colour image on an indexed stack takes the standard palette (grey ramps below 8 bits).
// Fills `block` with the PictureBlock and returns true; false for an empty image, a card
// size or depth the stack cannot have.
bool CardPictureFromImage(const gfx::Bitmap& image, Size card, int depth,
                          std::vector<uint8_t>& block);

// The palette an image gets at an indexed depth, as above.
gfx::Palette ImportPalette(const gfx::Bitmap& image, int depth);

}  // namespace corvida
