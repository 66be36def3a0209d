// How much native stack the evaluator may still use. The evaluator recurses once per
// nested expression; past a reserve near the end of the thread's stack it reports "Out of
// stack space" instead of overflowing, whatever the frame sizes of the build.
#pragma once

#include <cstdint>

namespace corvida::logo {

class Interpreter;

// Lowest address the evaluator may reach on this thread (0: unknown, no byte guard).
uintptr_t StackFloor();
// True when the current frame lies below the floor of the running interpreter.
bool StackNearlyFull(const Interpreter& in);

}  // namespace corvida::logo
