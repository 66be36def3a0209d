#include "stackfile/packbits.h"

#include <algorithm>
#include <cstring>

namespace corvida {

size_t PackBitsReader::Read(std::span<uint8_t> out) {
  size_t o = 0;
  while (o < out.size()) {
    if (repeat_left_) {
      size_t n = std::min(repeat_left_, out.size() - o);
      std::memset(out.data() + o, repeat_value_, n);
      o += n, repeat_left_ -= n;
      continue;
    }
    if (literal_left_) {
      size_t n = std::min({literal_left_, out.size() - o, in_.size() - pos_});
      if (n == 0) break;  // the input ended inside a literal run
      std::memcpy(out.data() + o, in_.data() + pos_, n);
      o += n, pos_ += n, literal_left_ -= n;
      continue;
    }
    if (pos_ >= in_.size()) break;
    int8_t count = int8_t(in_[pos_++]);
    if (count >= 0) {
      literal_left_ = size_t(count) + 1;
    } else if (count != -128) {
      if (pos_ >= in_.size()) break;
      repeat_value_ = in_[pos_++];
      repeat_left_ = size_t(1 - count);
    }
  }
  return o;
}

std::vector<uint8_t> PackBitsEncode(std::span<const uint8_t> in) {
  std::vector<uint8_t> out;
  size_t i = 0;
  while (i < in.size()) {
    size_t run = 1;
    while (i + run < in.size() && run < 128 && in[i + run] == in[i]) ++run;
    if (run >= 2) {
      out.push_back(uint8_t(int8_t(1 - int(run))));
      out.push_back(in[i]);
      i += run;
      continue;
    }
    size_t start = i, len = 0;
    while (i < in.size() && len < 128) {
      if (i + 1 < in.size() && in[i + 1] == in[i]) break;
      ++i, ++len;
    }
    out.push_back(uint8_t(len - 1));
    out.insert(out.end(), in.begin() + long(start), in.begin() + long(start + len));
  }
  return out;
}

}  // namespace corvida
