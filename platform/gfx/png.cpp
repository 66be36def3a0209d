#include "platform/gfx/png.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>

namespace corvida::gfx {
namespace {

constexpr uint32_t kMaxSide = 16384;

void SetError(std::string* error, const std::string& text) {
  if (error) *error = text;
}

struct WriteState {
  std::vector<uint8_t>* out;
};

void WriteToVector(png_structp png, png_bytep data, png_size_t length) {
  auto* state = static_cast<WriteState*>(png_get_io_ptr(png));
  state->out->insert(state->out->end(), data, data + length);
}

struct ReadState {
  std::span<const uint8_t> in;
  size_t pos = 0;
};

void ReadFromSpan(png_structp png, png_bytep data, png_size_t length) {
  auto* state = static_cast<ReadState*>(png_get_io_ptr(png));
  if (length > state->in.size() - state->pos) png_error(png, "truncated PNG data");
  std::memcpy(data, state->in.data() + state->pos, length);
  state->pos += length;
}

void OnWarning(png_structp, png_const_charp) {}
// Errors come back as return values, not as text on the terminal.
[[noreturn]] void OnError(png_structp png, png_const_charp) {
  png_longjmp(png, 1);
}

}  // namespace

bool EncodePng(const Bitmap& bitmap, const Palette* palette, std::vector<uint8_t>& out,
               std::string* error) {
  out.clear();
  if (bitmap.empty()) return SetError(error, "empty picture"), false;
  const Palette& pal = palette ? *palette : bitmap.palette;
  const bool indexed = bitmap.indexed();
  const int w = bitmap.width(), h = bitmap.height();
  // Rows prepared before libpng runs, so nothing needs freeing after a longjmp.
  std::vector<uint8_t> pixels(size_t(w) * size_t(h) * (indexed ? 1 : 3));
  for (int y = 0; y < h; ++y) {
    uint8_t* row = pixels.data() + size_t(y) * size_t(w) * (indexed ? 1 : 3);
    for (int x = 0; x < w; ++x) {
      if (indexed) {
        row[x] = uint8_t(bitmap.Get(x, y));
      } else {
        Rgb c = bitmap.ColorAt(x, y);
        row[3 * x] = c.r, row[3 * x + 1] = c.g, row[3 * x + 2] = c.b;
      }
    }
  }
  png_color colors[256] = {};
  int color_count = 1 << (indexed ? bitmap.depth() : 0);
  for (int i = 0; i < color_count && indexed; ++i) {
    Rgb c = RgbFromPixel(uint32_t(i), bitmap.depth(), pal);
    colors[i] = {c.r, c.g, c.b};
  }
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, OnError, OnWarning);
  if (!png) return SetError(error, "out of memory"), false;
  png_infop info = png_create_info_struct(png);
  WriteState state{&out};
  std::vector<png_bytep> rows(static_cast<size_t>(h));
  if (!info || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    out.clear();
    return SetError(error, "PNG encoding failed"), false;
  }
  png_set_write_fn(png, &state, WriteToVector, nullptr);
  png_set_IHDR(png, info, uint32_t(w), uint32_t(h), 8,
               indexed ? PNG_COLOR_TYPE_PALETTE : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (indexed) png_set_PLTE(png, info, colors, color_count);
  for (int y = 0; y < h; ++y)
    rows[size_t(y)] = pixels.data() + size_t(y) * size_t(w) * (indexed ? 1 : 3);
  png_set_rows(png, info, rows.data());
  png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

bool WritePngFile(const std::string& path, const Bitmap& bitmap, const Palette* palette,
                  std::string* error) {
  std::vector<uint8_t> bytes;
  if (!EncodePng(bitmap, palette, bytes, error)) return false;
  std::ofstream file(path, std::ios::binary);
  file.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  if (!file) return SetError(error, "cannot write " + path), false;
  return true;
}

bool DecodePng(std::span<const uint8_t> bytes, Bitmap& out, std::string* error) {
  out.Clear();
  if (bytes.size() < 8 || png_sig_cmp(bytes.data(), 0, 8) != 0) {
    return SetError(error, "not a PNG file"), false;
  }
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, OnError, OnWarning);
  if (!png) return SetError(error, "out of memory"), false;
  png_infop info = png_create_info_struct(png);
  ReadState state{bytes, 0};
  // Buffers that live across setjmp are owned outside the libpng calls.
  auto buffer = std::make_unique<std::vector<uint8_t>>();
  auto rows = std::make_unique<std::vector<png_bytep>>();
  if (!info || setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    out.Clear();
    return SetError(error, "damaged PNG file"), false;
  }
  png_set_read_fn(png, &state, ReadFromSpan);
  png_set_user_limits(png, kMaxSide, kMaxSide);
  png_read_info(png, info);
  const uint32_t w = png_get_image_width(png, info), h = png_get_image_height(png, info);
  const int color_type = png_get_color_type(png, info);
  const bool palette_png = color_type == PNG_COLOR_TYPE_PALETTE;
  png_set_strip_16(png);
  png_set_packing(png);  // 1, 2 and 4-bit samples become bytes
  if (palette_png) {
    png_set_strip_alpha(png);
  } else {
    png_set_expand(png);
    png_set_gray_to_rgb(png);
    png_color_16 white = {0, 255, 255, 255, 255};
    png_set_background(png, &white, PNG_BACKGROUND_GAMMA_SCREEN, 0, 1.0);
  }
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  const size_t row_bytes = png_get_rowbytes(png, info);
  const size_t channels = palette_png ? 1 : 3;
  if (row_bytes != size_t(w) * channels || uint64_t(row_bytes) * h > kMaxBitmapBytes ||
      !out.Create(int(w), int(h), palette_png ? 8 : 32)) {
    png_destroy_read_struct(&png, &info, nullptr);
    out.Clear();
    return SetError(error, "unsupported or too large PNG picture"), false;
  }
  buffer->resize(row_bytes * h);
  rows->resize(h);
  for (uint32_t y = 0; y < h; ++y) (*rows)[y] = buffer->data() + size_t(y) * row_bytes;
  png_read_image(png, rows->data());
  if (palette_png) {
    png_colorp colors = nullptr;
    int count = 0;
    png_get_PLTE(png, info, &colors, &count);
    out.palette.count = std::min(count, 256);
    for (int i = 0; i < out.palette.count; ++i)
      out.palette.Set(i, {colors[i].red, colors[i].green, colors[i].blue});
  }
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
  for (uint32_t y = 0; y < h; ++y) {
    const uint8_t* row = (*rows)[y];
    for (uint32_t x = 0; x < w; ++x) {
      if (palette_png) {
        out.Set(int(x), int(y), row[x]);
      } else {
        const uint8_t* p = row + 3 * x;
        out.Set(int(x), int(y), (uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | p[2]);
      }
    }
  }
  return true;
}

bool ReadPngFile(const std::string& path, Bitmap& out, std::string* error) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return SetError(error, "cannot open " + path), false;
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)),
                             std::istreambuf_iterator<char>());
  return DecodePng(bytes, out, error);
}

bool ReduceToDepth(const Bitmap& src, int depth, const Palette& palette, Bitmap& out) {
  out.Clear();
  if (src.empty() || !out.Create(src.width(), src.height(), depth)) return false;
  if (depth <= 8) out.palette = palette;
  bool keep_indices = src.indexed() && depth <= 8 && src.palette.SameColors(palette);
  if (keep_indices) {
    for (int y = 0; y < src.height() && keep_indices; ++y)
      for (int x = 0; x < src.width(); ++x)
        if (src.Get(x, y) >= (1u << depth)) {
          keep_indices = false;
          break;
        }
  }
  std::vector<int32_t> cache(1 << 15, -1);  // nearest entry by 5-5-5 colour
  for (int y = 0; y < src.height(); ++y) {
    for (int x = 0; x < src.width(); ++x) {
      if (keep_indices) {
        out.Set(x, y, src.Get(x, y));
        continue;
      }
      Rgb c = src.ColorAt(x, y);
      if (depth > 8) {
        out.Set(x, y, PixelFromRgb(c, depth, palette));
        continue;
      }
      uint32_t key = Pack555(c);
      if (cache[key] < 0) cache[key] = int32_t(PixelFromRgb(c, depth, palette));
      out.Set(x, y, uint32_t(cache[key]));
    }
  }
  return true;
}

}  // namespace corvida::gfx
