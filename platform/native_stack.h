// The bounds of the calling thread's native stack, so that deeply recursive code (the
// script evaluator) can stop with its own error before the stack runs out.
#pragma once

#include <cstdint>

namespace corvida {

// Lowest address code on this thread may reach while keeping `reserve` bytes free at the
// end of the stack; 0 when the bounds are unknown on this platform.
uintptr_t NativeStackFloor(uintptr_t reserve);

}  // namespace corvida
