// Small picture files made in the tests, one writer per format, each describing what it
// stores. PNG and JPEG come from their libraries; the others are laid out byte by byte.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/gfx/color.h"

namespace corvida::testing {

using Bytes = std::vector<uint8_t>;

// Uncompressed BMP. `pixels` are indices (bpp 1 or 8) or R,G,B triples (bpp 24), top
// row first; the file stores rows bottom up, padded to 4 bytes.
Bytes BmpFile(int w, int h, int bpp, const std::vector<gfx::Rgb>& palette, const Bytes& pixels);
// 8-bit run-length encoded BMP with a 4-colour palette; `data` is the encoded stream.
Bytes BmpRle8File(int w, int h, const Bytes& data);
// 32-bit BMP (40-byte header) with red, green, blue and alpha masks after the header.
Bytes BmpMaskedFile(int w, int h, const uint32_t masks[4], const std::vector<uint32_t>& pixels);

// A 2 x 2 GIF with a four-colour table, colour 3 transparent: pixels 0, 1, 2, 3.
Bytes GifFile();
// The 149-byte GIF that once crashed the player: 2 x 2, a global colour table flag
// whose table is malformed, then a long run of 0xCD.
Bytes CrashingGifFile();

// A 2 x 1 24-bit TGA: red, then green; type 2 raw, type 10 run-length encoded.
Bytes TgaFile(int type = 2);
// A 3 x 2 colour-mapped TGA, bottom row first, with a 24-bit map of three entries.
Bytes TgaMappedFile();

// A 2 x 1 big-endian uncompressed RGB TIFF: blue, white.
Bytes TiffFile();

// A 3 x 1 8-bit PCX, run-length encoded (7, 7, 9), with its 256-colour palette (i, 255-i, 0).
Bytes PcxFile();
// A 2 x 1 24-bit PCX of three planes: red, blue.
Bytes PcxRgbFile();

// Version 1, a 4 x 2 frame and a 1-bit bitmap: row 0 black, white, black, white; row 1
// the other way round. With or without the 512-byte file header.
Bytes PictV1BitmapFile(bool file_header);
// Version 2, 8 x 1 frame: a packed 8-bit pixmap of colours 0..7 from a table (i*30, 0, 255-i*30).
Bytes PictV2PixmapFile();
// Version 2, 8 x 1 frame: a packed 32-bit direct pixmap, red = 10*x, green = 100, blue = 200.
Bytes PictV2DirectFile();
// The version 1 picture with a line opcode, then a second, all-black bitmap.
Bytes PictStoppingFile();

// RGBA pixels as PNG (libpng) and JPEG (libjpeg-turbo, quality 95).
Bytes PngFile(int w, int h, const Bytes& rgba);
Bytes PngPaletteFile(int w, int h, const Bytes& indices, const std::vector<uint8_t>& rgba_map);
Bytes JpegFile(int w, int h, const Bytes& rgba);

}  // namespace corvida::testing
