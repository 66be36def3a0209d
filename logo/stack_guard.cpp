#include "logo/stack_guard.h"

#include "logo/interp.h"

#if defined(__linux__)
#include <pthread.h>
#endif

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
#if defined(__linux__)
  // The bounds of a thread's stack never change; finding them reads the process's memory
  // map, so it is done once per thread.
  thread_local uintptr_t floor = 0;
  thread_local bool known = false;
  if (known) return floor;
  known = true;
  pthread_attr_t attr;
  if (pthread_getattr_np(pthread_self(), &attr) != 0) return 0;
  void* low = nullptr;
  size_t size = 0;
  int rc = pthread_attr_getstack(&attr, &low, &size);
  pthread_attr_destroy(&attr);
  if (rc != 0 || size <= kReserve * 2) return 0;
  floor = reinterpret_cast<uintptr_t>(low) + kReserve;
  return floor;
#else
  return 0;
#endif
}

bool StackNearlyFull(const Interpreter& in) {
  uintptr_t floor = in.stack_floor();
  if (floor == 0) return false;
  auto here = reinterpret_cast<uintptr_t>(__builtin_frame_address(0));
  return here < floor;
}

}  // namespace corvida::logo
