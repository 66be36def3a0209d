// Window messages as the player and extension modules know them: the numbers, parameter
// packing and key codes of the classic Windows message interface. Every backend delivers
// input in this form, so the player's dispatch is the same everywhere.
#pragma once

#include <cstdint>

namespace corvida {

using WindowId = uint32_t;  // 0 is "no window"

struct Message {
  WindowId window = 0;
  uint32_t message = 0;
  uint64_t wParam = 0;
  int64_t lParam = 0;
  uint32_t time = 0;  // clock milliseconds when queued
};

namespace msg {
constexpr uint32_t kCreate = 0x0001;
constexpr uint32_t kDestroy = 0x0002;
constexpr uint32_t kMove = 0x0003;
constexpr uint32_t kSize = 0x0005;
constexpr uint32_t kActivate = 0x0006;
constexpr uint32_t kSetFocus = 0x0007;
constexpr uint32_t kKillFocus = 0x0008;
constexpr uint32_t kPaint = 0x000F;
constexpr uint32_t kClose = 0x0010;
constexpr uint32_t kQuit = 0x0012;
constexpr uint32_t kEraseBackground = 0x0014;
constexpr uint32_t kShowWindow = 0x0018;
constexpr uint32_t kSetCursor = 0x0020;
constexpr uint32_t kMouseActivate = 0x0021;
constexpr uint32_t kKeyDown = 0x0100;
constexpr uint32_t kKeyUp = 0x0101;
constexpr uint32_t kChar = 0x0102;
constexpr uint32_t kSysKeyDown = 0x0104;
constexpr uint32_t kSysKeyUp = 0x0105;
constexpr uint32_t kInitDialog = 0x0110;
constexpr uint32_t kCommand = 0x0111;
constexpr uint32_t kTimer = 0x0113;
constexpr uint32_t kHScroll = 0x0114;
constexpr uint32_t kVScroll = 0x0115;
constexpr uint32_t kMouseMove = 0x0200;
constexpr uint32_t kLButtonDown = 0x0201;
constexpr uint32_t kLButtonUp = 0x0202;
constexpr uint32_t kLButtonDblClk = 0x0203;
constexpr uint32_t kRButtonDown = 0x0204;
constexpr uint32_t kRButtonUp = 0x0205;
constexpr uint32_t kMouseWheel = 0x020A;
// A file was dropped on the window; WindowSystem::TakeDroppedFile gives its path.
constexpr uint32_t kDropFiles = 0x0233;
constexpr uint32_t kUser = 0x0400;
constexpr uint32_t kMciNotify = 0x03B9;
// Another thread has work ready (WindowSystem::WakeFromThread); nothing to handle.
constexpr uint32_t kWake = 0x8010;
}  // namespace msg

// Mouse-message wParam flags.
namespace mk {
constexpr uint32_t kLButton = 0x0001;
constexpr uint32_t kRButton = 0x0002;
constexpr uint32_t kShift = 0x0004;
constexpr uint32_t kControl = 0x0008;
}  // namespace mk

// Virtual key codes (wParam of key messages).
namespace vk {
constexpr uint32_t kBack = 0x08;
constexpr uint32_t kTab = 0x09;
constexpr uint32_t kReturn = 0x0D;
constexpr uint32_t kShift = 0x10;
constexpr uint32_t kControl = 0x11;
constexpr uint32_t kMenu = 0x12;
constexpr uint32_t kEscape = 0x1B;
constexpr uint32_t kSpace = 0x20;
constexpr uint32_t kPrior = 0x21;
constexpr uint32_t kNext = 0x22;
constexpr uint32_t kEnd = 0x23;
constexpr uint32_t kHome = 0x24;
constexpr uint32_t kLeft = 0x25;
constexpr uint32_t kUp = 0x26;
constexpr uint32_t kRight = 0x27;
constexpr uint32_t kDown = 0x28;
constexpr uint32_t kInsert = 0x2D;
constexpr uint32_t kDelete = 0x2E;
constexpr uint32_t kF1 = 0x70;
constexpr uint32_t kF10 = 0x79;
constexpr uint32_t kF11 = 0x7A;
}  // namespace vk

// lParam of mouse messages: x in the low 16 bits, y in the high 16 bits, both signed.
constexpr int64_t MakePointParam(int x, int y) {
  return static_cast<int64_t>(static_cast<uint32_t>(static_cast<uint16_t>(x)) |
                              (static_cast<uint32_t>(static_cast<uint16_t>(y)) << 16));
}
constexpr int ParamX(int64_t lParam) {
  return static_cast<int16_t>(lParam & 0xFFFF);
}
constexpr int ParamY(int64_t lParam) {
  return static_cast<int16_t>((lParam >> 16) & 0xFFFF);
}

}  // namespace corvida
