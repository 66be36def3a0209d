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

// A picture prepared for libpng: everything is computed before libpng runs, so the
// functions that may be left by longjmp keep no state of their own.
struct PngImage {
  uint32_t width = 0;
  uint32_t height = 0;
  bool indexed = false;
  bool alpha = false;  // RGBA rows
  std::vector<uint8_t> pixels;
  std::vector<png_bytep> rows;
  png_color colors[256] = {};
  int color_count = 0;
};

bool RunWrite(png_structp png, png_infop info, PngImage* image, WriteState* state) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_write_fn(png, state, WriteToVector, nullptr);
  png_set_IHDR(png, info, image->width, image->height, 8,
               image->indexed ? PNG_COLOR_TYPE_PALETTE
               : image->alpha ? PNG_COLOR_TYPE_RGB_ALPHA
                              : PNG_COLOR_TYPE_RGB,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (image->indexed) png_set_PLTE(png, info, image->colors, image->color_count);
  png_set_rows(png, info, image->rows.data());
  png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
  return true;
}

// Runs libpng over a prepared image into `out`.
bool RunEncoder(PngImage& image, std::vector<uint8_t>& out, std::string* error) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, OnError, OnWarning);
  if (!png) return SetError(error, "out of memory"), false;
  png_infop info = png_create_info_struct(png);
  WriteState state{&out};
  bool ok = info && RunWrite(png, info, &image, &state);
  png_destroy_write_struct(&png, &info);
  if (!ok) {
    out.clear();
    return SetError(error, "PNG encoding failed"), false;
  }
  return true;
}

}  // namespace

bool EncodePng(const Bitmap& bitmap, const Palette* palette, std::vector<uint8_t>& out,
               std::string* error) {
  out.clear();
  if (bitmap.empty()) return SetError(error, "empty picture"), false;
  const Palette& pal = palette ? *palette : bitmap.palette;
  PngImage image;
  image.indexed = bitmap.indexed();
  image.width = uint32_t(bitmap.width());
  image.height = uint32_t(bitmap.height());
  const size_t row_bytes = size_t(bitmap.width()) * (image.indexed ? 1 : 3);
  image.pixels.resize(row_bytes * image.height);
  for (int y = 0; y < bitmap.height(); ++y) {
    uint8_t* row = image.pixels.data() + size_t(y) * row_bytes;
    image.rows.push_back(row);
    for (int x = 0; x < bitmap.width(); ++x) {
      if (image.indexed) {
        row[x] = uint8_t(bitmap.Get(x, y));
      } else {
        Rgb c = bitmap.ColorAt(x, y);
        row[3 * x] = c.r, row[3 * x + 1] = c.g, row[3 * x + 2] = c.b;
      }
    }
  }
  if (image.indexed) {
    image.color_count = 1 << bitmap.depth();
    for (int i = 0; i < image.color_count; ++i) {
      Rgb c = RgbFromPixel(uint32_t(i), bitmap.depth(), pal);
      image.colors[i] = {c.r, c.g, c.b};
    }
  }
  return RunEncoder(image, out, error);
}

bool EncodePngWithMask(const Bitmap& bitmap, const Bitmap& opaque, std::vector<uint8_t>& out,
                       std::string* error) {
  out.clear();
  if (bitmap.empty()) return SetError(error, "empty picture"), false;
  if (opaque.size() != bitmap.size()) return SetError(error, "mask of another size"), false;
  PngImage image;
  image.alpha = true;
  image.width = uint32_t(bitmap.width());
  image.height = uint32_t(bitmap.height());
  const size_t row_bytes = size_t(bitmap.width()) * 4;
  image.pixels.resize(row_bytes * image.height);
  for (int y = 0; y < bitmap.height(); ++y) {
    uint8_t* row = image.pixels.data() + size_t(y) * row_bytes;
    image.rows.push_back(row);
    for (int x = 0; x < bitmap.width(); ++x) {
      Rgb c = bitmap.ColorAt(x, y);
      uint8_t* p = row + 4 * x;
      p[0] = c.r, p[1] = c.g, p[2] = c.b, p[3] = opaque.Get(x, y) ? 255 : 0;
    }
  }
  return RunEncoder(image, out, error);
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

namespace {

struct PngHeader {
  uint32_t width = 0;
  uint32_t height = 0;
  bool palette = false;
  size_t row_bytes = 0;
};

// Reads the header and sets up the transformations to bytes per sample.
bool RunReadHeader(png_structp png, png_infop info, ReadState* state, PngHeader* header) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_read_fn(png, state, ReadFromSpan);
  png_set_user_limits(png, kMaxSide, kMaxSide);
  png_read_info(png, info);
  header->width = png_get_image_width(png, info);
  header->height = png_get_image_height(png, info);
  header->palette = png_get_color_type(png, info) == PNG_COLOR_TYPE_PALETTE;
  png_set_strip_16(png);
  png_set_packing(png);  // 1, 2 and 4-bit samples become bytes
  if (header->palette) {
    png_set_strip_alpha(png);
  } else {
    png_set_expand(png);
    png_set_gray_to_rgb(png);
    static const png_color_16 kWhiteBackground = {0, 255, 255, 255, 255};
    png_set_background(png, &kWhiteBackground, PNG_BACKGROUND_GAMMA_SCREEN, 0, 1.0);
  }
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  header->row_bytes = png_get_rowbytes(png, info);
  return true;
}

bool RunReadRows(png_structp png, png_infop info, std::vector<png_bytep>* rows, Palette* palette) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_read_image(png, rows->data());
  png_colorp colors = nullptr;
  int count = 0;
  if (png_get_PLTE(png, info, &colors, &count) != 0) {
    palette->count = std::min(count, 256);
    for (int i = 0; i < palette->count; ++i)
      palette->Set(i, {colors[i].red, colors[i].green, colors[i].blue});
  }
  png_read_end(png, nullptr);
  return true;
}

}  // namespace

bool DecodePng(std::span<const uint8_t> bytes, Bitmap& out, std::string* error) {
  out.Clear();
  if (bytes.size() < 8 || png_sig_cmp(bytes.data(), 0, 8) != 0) {
    return SetError(error, "not a PNG file"), false;
  }
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, OnError, OnWarning);
  if (!png) return SetError(error, "out of memory"), false;
  png_infop info = png_create_info_struct(png);
  ReadState state{bytes, 0};
  PngHeader header;
  std::vector<uint8_t> buffer;
  std::vector<png_bytep> rows;
  Palette palette;
  bool ok = info && RunReadHeader(png, info, &state, &header);
  const size_t channels = header.palette ? 1 : 3;
  if (ok) {
    ok = header.row_bytes == size_t(header.width) * channels &&
         uint64_t(header.row_bytes) * header.height <= kMaxBitmapBytes &&
         out.Create(int(header.width), int(header.height), header.palette ? 8 : 32);
    if (!ok) SetError(error, "unsupported or too large PNG picture");
  } else {
    SetError(error, "damaged PNG file");
  }
  if (ok) {
    buffer.resize(header.row_bytes * header.height);
    for (uint32_t y = 0; y < header.height; ++y)
      rows.push_back(buffer.data() + size_t(y) * header.row_bytes);
    ok = RunReadRows(png, info, &rows, &palette);
    if (!ok) SetError(error, "damaged PNG file");
  }
  png_destroy_read_struct(&png, &info, nullptr);
  if (!ok) {
    out.Clear();
    return false;
  }
  out.palette = palette;
  for (uint32_t y = 0; y < header.height; ++y) {
    const uint8_t* row = rows[y];
    for (uint32_t x = 0; x < header.width; ++x) {
      if (header.palette) {
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
