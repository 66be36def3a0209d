#include "logo/card_bridge.h"

#include <algorithm>

#include "base/callback_block.h"
#include "logo/turtle.h"
#include "stackfile/mactext.h"

namespace corvida::logo {
namespace {

constexpr int16_t kCardSizeCommand = 75;
constexpr int16_t kUnlockScreen = 171;
constexpr int16_t kEndOffscreen = 85;

std::vector<uint8_t> CountedBytes(std::string_view text) {
  text = text.substr(0, CardBridge::kStringLimit);
  // Length byte, the characters, a closing NUL: sized once, then filled.
  std::vector<uint8_t> bytes(text.size() + 2, 0);
  bytes[0] = static_cast<uint8_t>(text.size());
  std::copy(text.begin(), text.end(), bytes.begin() + 1);
  return bytes;
}

}  // namespace

void CardBridge::Issue(int16_t command) {
  if (!port) return;
  port->block().set_command(command);
  port->Dispatch();
}

uint32_t CardBridge::Replace(uint32_t& entry, std::string_view mac_text) {
  if (!port) return 0;
  if (entry) port->DisposeBlock(entry);
  entry = port->NewBlock(CountedBytes(MacToWindows(mac_text)));
  return entry;
}

uint32_t CardBridge::ParamString(int slot, std::string_view mac_text) {
  const uint32_t token = Replace(strings_[size_t(std::clamp(slot, 0, kStringSlots - 1))], mac_text);
  SetParam(slot, token);
  return token;
}

uint32_t CardBridge::CardNameString(std::string_view mac_text) {
  return Replace(card_name_, mac_text);
}

std::optional<std::string> CardBridge::ReadString(uint32_t token) {
  if (!port || !token) return std::nullopt;
  std::vector<uint8_t> bytes = port->ReadBlock(token, kStringLimit + 2);
  if (bytes.empty()) return std::nullopt;
  return WindowsToMac(CallbackString(bytes, kStringLimit));
}

std::string CardBridge::ReadText(uint32_t token) {
  if (!port || !token) return {};
  // As much as a field may hold.
  std::vector<uint8_t> bytes = port->ReadBlock(token, size_t{1} << 20);
  return WindowsToMac(std::string(bytes.begin(), bytes.end()));
}

uint32_t CardBridge::StaticBlock(Static which, std::span<const uint8_t> bytes) {
  if (!port) return 0;
  uint32_t& token = static_blocks_[which == Static::kPoint ? 0 : 1];
  if (!token || !port->WriteBlock(token, 0, bytes)) {
    if (token) port->DisposeBlock(token);
    token = port->NewBlock(bytes);
  }
  return token;
}

void CardBridge::EndScreenStates(Turtle& turtle) {
  if (offscreen_drawing) {
    offscreen_drawing = false;
    turtle.DrawOffscreen(false);
    Issue(kEndOffscreen);
  }
  if (screen_locked) {
    screen_locked = false;
    Issue(kUnlockScreen);
  }
}

void CardBridge::Forget() {
  if (port) {
    for (uint32_t& s : strings_) port->DisposeBlock(s);
    port->DisposeBlock(card_name_);
    for (uint32_t& s : static_blocks_) port->DisposeBlock(s);
  }
  strings_.fill(0);
  static_blocks_.fill(0);
  card_name_ = 0;
}

TurtleFrame FrameOf(Interpreter& in) {
  CardBridge& bridge = in.bridge();
  if (!bridge.port) return {};
  // The card's size, asked without disturbing the slots the caller filled.
  CallbackBlock saved = bridge.port->block();
  bridge.Issue(kCardSizeCommand);
  TurtleFrame frame{static_cast<int>(bridge.Param(1) / 2), static_cast<int>(bridge.Param(2) / 2)};
  bridge.port->block() = saved;
  frame.scrunch_num = in.turtle().scrunch_num;
  frame.scrunch_den = in.turtle().scrunch_den;
  return frame;
}

int32_t TurtleFrame::CardX(int32_t x) const {
  const int64_t px = cx + int64_t{x} * scrunch_num / scrunch_den;
  return static_cast<int32_t>(std::clamp<int64_t>(px, INT32_MIN, INT32_MAX));
}

int32_t TurtleFrame::TurtleX(int32_t px) const {
  const int64_t scaled = (int64_t{px} - cx) * scrunch_den;
  // Rounded half away from zero, so a point placed with CardX reads back as it was.
  const int64_t half = scrunch_num / 2;
  const int64_t x = scaled >= 0 ? (scaled + half) / scrunch_num : -((-scaled + half) / scrunch_num);
  return static_cast<int32_t>(std::clamp<int64_t>(x, INT32_MIN, INT32_MAX));
}

}  // namespace corvida::logo
