// What `lpstat -d` prints names the printer `lp` is then given: whatever the text, the
// name taken is a plain word that cannot read as an option, a path or a control.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/print_queue.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string name =
      corvida::ParseDefaultDestination(std::string_view(reinterpret_cast<const char*>(data), size));
  if (name.size() > 127 || (!name.empty() && name.front() == '-')) __builtin_trap();
  for (char c : name)
    if (uint8_t(c) <= 0x20 || uint8_t(c) >= 0x7F || c == '/') __builtin_trap();
  return 0;
}
