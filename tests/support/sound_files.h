// Sound files and 'Snd ' resources built byte by byte for tests: WAV, AIFF/AIFC and AU
// files, and the prefixes and headers of stored sounds.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace corvida::testing {

using SoundBytes = std::vector<uint8_t>;

inline void AppendBE(SoundBytes& b, uint64_t value, int width) {
  for (int i = width - 1; i >= 0; --i) b.push_back(uint8_t(value >> (8 * i)));
}
inline void AppendLE(SoundBytes& b, uint64_t value, int width) {
  for (int i = 0; i < width; ++i) b.push_back(uint8_t(value >> (8 * i)));
}
inline void AppendText(SoundBytes& b, const std::string& text) {
  b.insert(b.end(), text.begin(), text.end());
}
inline void AppendBytes(SoundBytes& b, const SoundBytes& more) {
  b.insert(b.end(), more.begin(), more.end());
}

// A chunk: id, size, body and the pad byte an odd body takes.
inline SoundBytes Chunk(const std::string& id, const SoundBytes& body, bool big_endian) {
  SoundBytes c;
  AppendText(c, id);
  big_endian ? AppendBE(c, body.size(), 4) : AppendLE(c, body.size(), 4);
  AppendBytes(c, body);
  if (body.size() % 2) c.push_back(0);
  return c;
}

inline SoundBytes WavFile(uint16_t channels, uint16_t bits, uint32_t rate, const SoundBytes& data,
                          uint16_t format_tag = 1) {
  SoundBytes fmt;
  AppendLE(fmt, format_tag, 2);
  AppendLE(fmt, channels, 2);
  AppendLE(fmt, rate, 4);
  AppendLE(fmt, uint64_t{rate} * channels * bits / 8, 4);
  AppendLE(fmt, channels * bits / 8, 2);
  AppendLE(fmt, bits, 2);
  SoundBytes body;
  AppendText(body, "WAVE");
  AppendBytes(body, Chunk("fmt ", fmt, false));
  AppendBytes(body, Chunk("data", data, false));
  return Chunk("RIFF", body, false);
}

// The 80-bit extended form of a whole number.
inline SoundBytes Extended80(uint32_t value) {
  SoundBytes b(10, 0);
  if (value == 0) return b;
  int shift = 0;
  while (!(value & (0x80000000u >> shift))) ++shift;
  const uint32_t exponent = 16383 + 31 - shift;
  b[0] = uint8_t(exponent >> 8), b[1] = uint8_t(exponent);
  const uint32_t mantissa = value << shift;
  for (int i = 0; i < 4; ++i) b[2 + i] = uint8_t(mantissa >> (24 - 8 * i));
  return b;
}

// An AIFF file, or an AIFC one when `compression` is given.
inline SoundBytes AiffFile(uint16_t channels, uint16_t bits, uint32_t rate, const SoundBytes& data,
                           const std::string& compression = "") {
  const uint32_t frame_bytes = channels * bits / 8;
  SoundBytes comm;
  AppendBE(comm, channels, 2);
  AppendBE(comm, frame_bytes ? data.size() / frame_bytes : 0, 4);
  AppendBE(comm, bits, 2);
  AppendBytes(comm, Extended80(rate));
  if (!compression.empty()) AppendText(comm, compression), comm.push_back(0);
  SoundBytes ssnd(8, 0);
  AppendBytes(ssnd, data);
  SoundBytes body;
  AppendText(body, compression.empty() ? "AIFF" : "AIFC");
  AppendBytes(body, Chunk("COMM", comm, true));
  AppendBytes(body, Chunk("SSND", ssnd, true));
  return Chunk("FORM", body, true);
}

inline SoundBytes AuFile(uint32_t encoding, uint32_t channels, uint32_t rate,
                         const SoundBytes& data, uint32_t size_field = 0xFFFFFFFE) {
  SoundBytes b;
  AppendText(b, ".snd");
  AppendBE(b, 24, 4);
  AppendBE(b, size_field == 0xFFFFFFFE ? data.size() : size_field, 4);
  AppendBE(b, encoding, 4);
  AppendBE(b, rate, 4);
  AppendBE(b, channels, 4);
  AppendBytes(b, data);
  return b;
}

// 'Snd ' prefixes: format 1 with `types` data types and `commands` commands, format 2.
inline SoundBytes Format1Prefix(uint16_t types, uint16_t commands, uint16_t format = 1) {
  SoundBytes b;
  AppendBE(b, format, 2);
  AppendBE(b, types, 2);
  for (int i = 0; i < types; ++i) AppendBE(b, 5, 2), AppendBE(b, 0x80, 4);
  AppendBE(b, commands, 2);
  for (int i = 0; i < commands; ++i) AppendBE(b, 0x8051, 2), AppendBE(b, 0, 2), AppendBE(b, 0, 4);
  return b;
}
inline SoundBytes Format2Prefix(uint16_t commands) {
  SoundBytes b;
  AppendBE(b, 2, 2);
  AppendBE(b, 0, 2);
  AppendBE(b, commands, 2);
  for (int i = 0; i < commands; ++i) AppendBE(b, 0x8051, 2), AppendBE(b, 0, 2), AppendBE(b, 0, 4);
  return b;
}

inline SoundBytes StandardHeader(uint32_t length, uint32_t rate) {
  SoundBytes h;
  AppendBE(h, 0, 4);
  AppendBE(h, length, 4);
  AppendBE(h, rate, 4);
  AppendBE(h, 0, 8);
  h.push_back(0x00);
  h.push_back(60);
  return h;
}

// Extended (encode 0xFF) or compressed (0xFE) header, 64 bytes.
struct LongHeader {
  uint8_t encode = 0xFF;
  uint32_t channels = 1;
  uint32_t rate = 22050u << 16;
  uint32_t frames = 0;
  uint16_t sample_size = 16;
  int16_t compression_id = 0;
  uint32_t rate80 = 22050;  // whole hertz; 0 leaves the field zero
};
inline SoundBytes Header(const LongHeader& l) {
  SoundBytes h;
  AppendBE(h, 0, 4);
  AppendBE(h, l.channels, 4);
  AppendBE(h, l.rate, 4);
  AppendBE(h, 0, 8);
  h.push_back(l.encode);
  h.push_back(60);
  AppendBE(h, l.frames, 4);
  AppendBytes(h, Extended80(l.rate80));
  h.resize(64, 0);
  const size_t size_at = l.encode == 0xFF ? 48 : 62;
  h[size_at] = uint8_t(l.sample_size >> 8), h[size_at + 1] = uint8_t(l.sample_size);
  if (l.encode == 0xFE) {
    h[56] = uint8_t(uint16_t(l.compression_id) >> 8), h[57] = uint8_t(l.compression_id);
    const char* format = l.compression_id == 3 ? "MAC3" : l.compression_id == 4 ? "MAC6" : "raw ";
    std::copy(format, format + 4, h.begin() + 40);
  }
  return h;
}

inline SoundBytes Concat(std::initializer_list<SoundBytes> parts) {
  SoundBytes b;
  for (const SoundBytes& p : parts) AppendBytes(b, p);
  return b;
}

}  // namespace corvida::testing
