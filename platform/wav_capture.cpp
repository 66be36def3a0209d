#include "platform/wav_capture.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#include "platform/bytes.h"

namespace corvida {
namespace {

// The most sample bytes the 32-bit sizes of the header can count, in whole frames.
constexpr uint64_t kMaxDataBytes = (0xFFFFFFFFull - 36) / 4 * 4;

}  // namespace

bool WavCaptureFile::Open(const std::string& path) {
  file_ = File::Open(path, File::Mode::kCreate);
  bytes_ = 0;
  failed_ = full_ = false;
  return file_.is_open() && WriteHeader();
}

bool WavCaptureFile::WriteHeader() {
  std::array<uint8_t, kHeaderBytes> h{};
  std::memcpy(h.data(), "RIFF", 4);
  WriteLE32(h, 4, static_cast<uint32_t>(36 + bytes_));
  std::memcpy(h.data() + 8, "WAVEfmt ", 8);
  WriteLE32(h, 16, 16);  // the format chunk's size
  WriteLE16(h, 20, 1);   // PCM
  WriteLE16(h, 22, 2);   // channels
  WriteLE32(h, 24, kRate);
  WriteLE32(h, 28, kRate * kFrameBytes);
  WriteLE16(h, 32, kFrameBytes);
  WriteLE16(h, 34, 16);
  std::memcpy(h.data() + 36, "data", 4);
  WriteLE32(h, 40, static_cast<uint32_t>(bytes_));
  return file_.Seek(0, File::kFromStart) == 0 &&
         file_.Write(h.data(), h.size()) == static_cast<int64_t>(h.size());
}

bool WavCaptureFile::Write(const int16_t* samples, size_t frames) {
  if (!file_.is_open() || failed_ || full_) return false;
  const uint64_t take = std::min<uint64_t>(frames, (kMaxDataBytes - bytes_) / kFrameBytes);
  std::vector<uint8_t> le(static_cast<size_t>(take * kFrameBytes));
  for (size_t i = 0; i < take * 2; ++i) WriteLE16(le, 2 * i, static_cast<uint16_t>(samples[i]));
  if (file_.Write(le.data(), le.size()) != static_cast<int64_t>(le.size())) {
    failed_ = true;
    return false;
  }
  bytes_ += le.size();
  full_ = take < frames;
  return !full_;
}

bool WavCaptureFile::Finish() {
  if (!file_.is_open()) return false;
  const bool ok = !failed_ && WriteHeader() && file_.Sync();
  file_.Close();
  return ok;
}

}  // namespace corvida
