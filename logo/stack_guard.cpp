#include "logo/stack_guard.h"

#include "logo/interp.h"
#include "platform/native_stack.h"

namespace corvida::logo {

namespace {
// Sanitizer builds use several times more stack per frame, and error reporting after the
// guard fires needs room too.
#if defined(__SANITIZE_ADDRESS__)
constexpr uintptr_t kReserve = 2 * 1024 * 1024;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr uintptr_t kReserve = 2 * 1024 * 1024;
#else
constexpr uintptr_t kReserve = 512 * 1024;
#endif
#else
constexpr uintptr_t kReserve = 512 * 1024;
#endif
}  // namespace

uintptr_t StackFloor() {
  return NativeStackFloor(kReserve);
}

bool StackNearlyFull(const Interpreter& in) {
  uintptr_t floor = in.stack_floor();
  if (floor == 0) return false;
  auto here = reinterpret_cast<uintptr_t>(__builtin_frame_address(0));
  return here < floor;
}

}  // namespace corvida::logo
