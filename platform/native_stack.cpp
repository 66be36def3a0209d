#include "platform/native_stack.h"

#if defined(__linux__)
#include <pthread.h>
#endif

namespace corvida {

uintptr_t NativeStackFloor(uintptr_t reserve) {
#if defined(__linux__)
  // The bounds of a thread's stack never change; finding them reads the process's memory
  // map, so they are looked up once per thread.
  thread_local uintptr_t low_end = 0;
  thread_local uintptr_t stack_size = 0;
  thread_local bool known = false;
  if (!known) {
    known = true;
    pthread_attr_t attr;
    if (pthread_getattr_np(pthread_self(), &attr) == 0) {
      void* low = nullptr;
      size_t size = 0;
      if (pthread_attr_getstack(&attr, &low, &size) == 0) {
        low_end = reinterpret_cast<uintptr_t>(low);
        stack_size = size;
      }
      pthread_attr_destroy(&attr);
    }
  }
  if (low_end == 0 || stack_size <= reserve * 2) return 0;
  return low_end + reserve;
#else
  (void)reserve;
  return 0;
#endif
}

}  // namespace corvida
