// A cursor over a file's bytes for our own picture readers. Every read is checked: past
// the end a read gives 0 and the reader turns bad for good, so a reader decodes a whole
// header and asks once whether it was all there.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/bytes.h"

namespace corvida::picture {

class ByteReader {
 public:
  explicit ByteReader(std::span<const uint8_t> bytes, size_t at = 0) : bytes_(bytes), at_(at) {
    if (at > bytes.size()) bad_ = true;
  }

  bool ok() const { return !bad_; }
  size_t position() const { return at_; }
  size_t remaining() const { return bad_ ? 0 : bytes_.size() - at_; }

  uint8_t U8() { return Take(1) ? bytes_[at_ - 1] : 0; }
  uint16_t Le16() { return Take(2) ? ReadLE16(bytes_, at_ - 2) : 0; }
  uint16_t Be16() { return Take(2) ? ReadBE16(bytes_, at_ - 2) : 0; }
  uint32_t Le32() { return Take(4) ? ReadLE32(bytes_, at_ - 4) : 0; }
  uint32_t Be32() { return Take(4) ? ReadBE32(bytes_, at_ - 4) : 0; }
  void Skip(size_t n) { Take(n); }
  void Seek(size_t at) {
    if (at > bytes_.size()) bad_ = true;
    if (!bad_) at_ = at;
  }
  // The next `n` bytes, or an empty span (and a bad reader) when fewer are left.
  std::span<const uint8_t> Block(size_t n) {
    return Take(n) ? bytes_.subspan(at_ - n, n) : std::span<const uint8_t>{};
  }

 private:
  bool Take(size_t n) {
    if (bad_ || n > bytes_.size() - at_) {
      bad_ = true;
      return false;
    }
    at_ += n;
    return true;
  }

  std::span<const uint8_t> bytes_;
  size_t at_ = 0;
  bool bad_ = false;
};

}  // namespace corvida::picture
