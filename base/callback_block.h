// The callback block: the 78-byte parameter block through which scripts and extension
// modules drive the player. It keeps its stored layout (2-byte packing, little-endian, so
// 32-bit fields sit at offsets that are not multiples of 4) on every machine; fields are
// read and written through the typed accessors below at their named offsets. Slots that
// name memory, windows or drawing contexts hold tokens (base/callback_tokens.h), never
// machine pointers.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "platform/bytes.h"

namespace corvida {

namespace cbblock {
inline constexpr size_t kSize = 78;
inline constexpr size_t kActionId = 0;        // u16: the 'Actn' record that called a module
inline constexpr size_t kTargetCardId = 2;    // u16
inline constexpr size_t kCurrentCard = 4;     // u32 token
inline constexpr size_t kModule = 12;         // u32 token
inline constexpr size_t kDispatchEntry = 16;  // u32 token
inline constexpr size_t kWindow = 20;         // u32 token
inline constexpr size_t kSetupState = 24;     // u32
inline constexpr size_t kPersistent = 28;     // u32: a module's value kept between calls
inline constexpr size_t kVersion = 44;        // u16
inline constexpr size_t kCommand = 46;        // i16: command or message number
inline constexpr size_t kParams = 50;         // u32 each, parameters 1 to 7
inline constexpr int kParamCount = 7;
inline constexpr uint16_t kVersionNumber = 5;
}  // namespace cbblock

class CallbackBlock {
 public:
  CallbackBlock() { Clear(); }

  // All zero but the version.
  void Clear() {
    bytes_.fill(0);
    Set16(cbblock::kVersion, cbblock::kVersionNumber);
  }

  int16_t command() const { return static_cast<int16_t>(Get16(cbblock::kCommand)); }
  void set_command(int16_t n) { Set16(cbblock::kCommand, static_cast<uint16_t>(n)); }
  uint16_t version() const { return Get16(cbblock::kVersion); }

  // Parameters 1 to 7; any other slot reads 0 and is not written.
  uint32_t param(int slot) const { return ValidSlot(slot) ? Get32(ParamOffset(slot)) : 0; }
  int32_t signed_param(int slot) const { return static_cast<int32_t>(param(slot)); }
  void set_param(int slot, uint32_t value) {
    if (ValidSlot(slot)) Set32(ParamOffset(slot), value);
  }

  uint16_t Get16(size_t offset) const { return ReadLE16(bytes_, offset); }
  uint32_t Get32(size_t offset) const { return ReadLE32(bytes_, offset); }
  void Set16(size_t offset, uint16_t value) { WriteLE16(bytes_, offset, value); }
  void Set32(size_t offset, uint32_t value) { WriteLE32(bytes_, offset, value); }

  std::span<uint8_t, cbblock::kSize> bytes() { return bytes_; }
  std::span<const uint8_t, cbblock::kSize> bytes() const { return bytes_; }

  static constexpr bool ValidSlot(int slot) { return slot >= 1 && slot <= cbblock::kParamCount; }
  static constexpr size_t ParamOffset(int slot) { return cbblock::kParams + 4 * size_t(slot - 1); }

 private:
  std::array<uint8_t, cbblock::kSize> bytes_;
};

// The text of a string that a slot points to, from the bytes of its block (read up to
// `limit` + 2). A first byte below 32 is a length (names); a larger one is too when the
// characters it counts hold no NUL and end the block or are followed by one, so a long
// counted text (an alert's) is not read as text beginning with its length byte, while a
// text in a zero-padded buffer still reads as text, up to its NUL or `limit` bytes.
inline std::string CallbackString(std::span<const uint8_t> bytes, size_t limit) {
  if (bytes.empty()) return {};
  const size_t counted = bytes[0];
  const auto text = bytes.begin() + 1;
  const bool fits = counted < bytes.size() &&
                    std::find(text, text + long(counted), 0) == text + long(counted) &&
                    (counted + 1 == bytes.size() || bytes[counted + 1] == 0);
  if (counted < 32 || fits)
    return std::string(text, text + long(std::min(counted, bytes.size() - 1)));
  auto end = std::find(bytes.begin(), bytes.end(), 0);
  return std::string(bytes.begin(), std::min(end, bytes.begin() + long(limit)));
}

}  // namespace corvida
