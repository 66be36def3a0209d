#include "platform/wav_writer.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

namespace corvida {
namespace {

// The most sample bytes the 32-bit sizes of the header can count, in whole frames.
constexpr uint64_t kMaxDataBytes = (0xFFFFFFFFull - 36) / 4 * 4;

void PutLE(uint8_t* at, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}

}  // namespace

bool WavFileWriter::Open(const std::string& path) {
  file_ = File::Open(path, File::Mode::kCreate);
  bytes_ = 0;
  failed_ = full_ = false;
  return file_.is_open() && WriteHeader();
}

bool WavFileWriter::WriteHeader() {
  std::array<uint8_t, kHeaderBytes> h{};
  std::memcpy(h.data(), "RIFF", 4);
  PutLE(h.data() + 4, static_cast<uint32_t>(36 + bytes_), 4);
  std::memcpy(h.data() + 8, "WAVEfmt ", 8);
  PutLE(h.data() + 16, 16, 4);  // the format chunk's size
  PutLE(h.data() + 20, 1, 2);   // PCM
  PutLE(h.data() + 22, 2, 2);   // channels
  PutLE(h.data() + 24, kRate, 4);
  PutLE(h.data() + 28, kRate * kFrameBytes, 4);
  PutLE(h.data() + 32, kFrameBytes, 2);
  PutLE(h.data() + 34, 16, 2);
  std::memcpy(h.data() + 36, "data", 4);
  PutLE(h.data() + 40, static_cast<uint32_t>(bytes_), 4);
  return file_.Seek(0, File::kFromStart) == 0 &&
         file_.Write(h.data(), h.size()) == static_cast<int64_t>(h.size());
}

bool WavFileWriter::Write(const int16_t* samples, size_t frames) {
  if (!file_.is_open() || failed_ || full_) return false;
  const uint64_t take = std::min<uint64_t>(frames, (kMaxDataBytes - bytes_) / kFrameBytes);
  std::vector<uint8_t> le(static_cast<size_t>(take * kFrameBytes));
  for (size_t i = 0; i < take * 2; ++i) PutLE(le.data() + 2 * i, uint16_t(samples[i]), 2);
  if (file_.Write(le.data(), le.size()) != static_cast<int64_t>(le.size())) {
    failed_ = true;
    return false;
  }
  bytes_ += le.size();
  full_ = take < frames;
  return !full_;
}

bool WavFileWriter::Finish() {
  if (!file_.is_open()) return false;
  const bool ok = !failed_ && WriteHeader() && file_.Sync();
  file_.Close();
  return ok;
}

}  // namespace corvida
