// Arbitrary text read and run by the Tarrow interpreter, line by line as at the console,
// with a bounded number of evaluations and a small node pool.
#include <cstddef>
#include <cstdint>
#include <string>

#include "logo/interp.h"
#include "platform/clock.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  corvida::VirtualClock clock;
  corvida::logo::InterpreterConfig config;
  config.clock = &clock;
  config.max_blocks = 64;
  config.max_steps = 20000;
  config.fixed_seed = true;
  corvida::logo::InterpreterHooks hooks;
  size_t written = 0;
  hooks.write = [&](std::string_view s) { written += s.size(); };
  hooks.show_error = [&](const std::string& s) { written += s.size(); };
  corvida::logo::Interpreter interp(config, hooks);
  std::string text(reinterpret_cast<const char*>(data), size);
  corvida::logo::TextLineSource lines(text);
  interp.RunConsole(lines);
  return 0;
}
