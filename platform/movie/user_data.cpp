#include "platform/movie/user_data.h"

#include <array>

namespace corvida::movie {

namespace {

constexpr uint32_t FourCc(const char (&s)[5]) {
  return uint32_t(uint8_t(s[0])) << 24 | uint32_t(uint8_t(s[1])) << 16 |
         uint32_t(uint8_t(s[2])) << 8 | uint32_t(uint8_t(s[3]));
}

uint32_t BigEndian32(const uint8_t* p) {
  return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

// One atom: its type and where its body lies.
struct Atom {
  uint32_t type = 0;
  int64_t body = 0;
  int64_t end = 0;
};

// Walks the atoms between `begin` and `end` for the first of type `wanted`. An atom's size
// is 32 bits, or 1 followed by 64 bits, or 0 for "to the end" (in user data, a size below
// a header ends the list). A size that leaves the enclosing atom ends the walk.
bool FindAtom(ByteSource& source, int64_t begin, int64_t end, uint32_t wanted, int& budget,
              Atom& found) {
  int64_t at = begin;
  while (end - at >= 8 && budget-- > 0) {
    std::array<uint8_t, 16> header{};
    if (source.ReadAt(at, header.data(), 8) != 8) return false;
    uint64_t size = BigEndian32(header.data());
    const uint32_t type = BigEndian32(header.data() + 4);
    int64_t header_size = 8;
    if (size == 1) {
      if (end - at < 16 || source.ReadAt(at + 8, header.data() + 8, 8) != 8) return false;
      size = uint64_t(BigEndian32(header.data() + 8)) << 32 | BigEndian32(header.data() + 12);
      header_size = 16;
    } else if (size == 0) {
      size = uint64_t(end - at);
    }
    if (size < uint64_t(header_size) || size > uint64_t(end - at)) return false;
    if (type == wanted) {
      found = {type, at + header_size, at + int64_t(size)};
      return true;
    }
    at += int64_t(size);
  }
  return false;
}

}  // namespace

uint32_t ControllerType(ByteSource& source) {
  const int64_t size = source.Size();
  if (size < 8) return 0;
  int budget = kMaxAtomsWalked;
  Atom movie, user_data, controller;
  if (!FindAtom(source, 0, size, FourCc("moov"), budget, movie)) return 0;
  // Writers may leave more than one user data atom; any of them may name the type.
  for (int64_t at = movie.body; FindAtom(source, at, movie.end, FourCc("udta"), budget, user_data);
       at = user_data.end) {
    if (!FindAtom(source, user_data.body, user_data.end, FourCc("ctyp"), budget, controller))
      continue;
    std::array<uint8_t, 4> value{};
    if (controller.end - controller.body < 4 ||
        source.ReadAt(controller.body, value.data(), 4) != 4)
      return 0;
    return BigEndian32(value.data());
  }
  return 0;
}

}  // namespace corvida::movie
