// Stored pictures: LZ blocks, PackBits streams, PixPak blocks and card pictures come from
// stack files and must decode any bytes without crashing, writing outside their buffers or
// over-allocating. The LZ packer must also round-trip whatever it is given, and both LZ
// decoders must give the same bytes.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "stackfile/cardpicture.h"
#include "stackfile/lz.h"
#include "stackfile/packbits.h"
#include "stackfile/pixpak.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace corvida;
  if (size < 3) return 0;
  const uint8_t mode = data[0] & 7;
  const size_t capacity = (size_t(data[1]) << 8 | data[2]) * 4;
  std::span<const uint8_t> body(data + 3, size - 3);
  switch (mode) {
    case 0: {
      // The decoder for this processor and the portable one agree on every byte.
      std::vector<uint8_t> out(capacity), portable(capacity);
      const size_t n = LzDecode(body, out);
      if (n > out.size() || LzDecodePortable(body, portable) != n) __builtin_trap();
      if (!std::equal(out.begin(), out.begin() + long(n), portable.begin())) __builtin_trap();
      break;
    }
    case 1: {
      std::vector<uint8_t> out(capacity);
      if (PackBitsDecode(body, out) > out.size()) __builtin_trap();
      break;
    }
    case 2: {
      gfx::Bitmap bitmap;
      DecodePixPak(body, bitmap);
      break;
    }
    case 3: {
      // Card size and depth from the first bytes, the rest as the picture block.
      if (body.size() < 3) return 0;
      static constexpr int kDepths[] = {1, 2, 4, 8, 16, 32, 8, 8};
      Size card{1 + body[0] * 3, 1 + body[1] * 2};
      gfx::Bitmap bitmap;
      DecodeCardPicture(body.subspan(3), card, kDepths[body[2] & 7], body[2] & 8, bitmap);
      break;
    }
    default: {
      std::vector<uint8_t> block = LzEncode(body);
      std::vector<uint8_t> out(body.size());
      if (LzDecode(block, out) != body.size()) __builtin_trap();
      for (size_t i = 0; i < body.size(); ++i)
        if (out[i] != body[i]) __builtin_trap();
      break;
    }
  }
  return 0;
}
