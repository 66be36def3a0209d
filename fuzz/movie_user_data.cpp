// Hostile QuickTime atom trees through the walk for a movie's controller type.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/movie/user_data.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  auto source = corvida::movie::MemorySource(std::vector<uint8_t>(data, data + size));
  (void)corvida::movie::ControllerType(*source);
  return 0;
}
