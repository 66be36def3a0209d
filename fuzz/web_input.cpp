// The page's key events from hostile bytes: a key's code and typed text, as a page or a
// crafted event could send them, never read outside the strings and always give at most
// one key message and one character.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "platform/web/web_input.h"

using namespace corvida;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const size_t split = data[0] % size;
  const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
  const std::string_view code = bytes.substr(0, split);
  const std::string_view key = bytes.substr(std::min(split, bytes.size()));
  std::vector<Message> out;
  web::TranslateKey({true, (data[0] & 1) != 0, code, key, uint32_t(data[0] >> 4)}, 1, 0, out);
  web::TranslateKey({false, false, code, key, 0}, 1, 0, out);
  if (out.size() > 3) std::abort();
  for (const Message& m : out) {
    if (m.message == msg::kChar && m.wParam > 255) std::abort();
  }
  return 0;
}
