// The run box's remembered rectangle comes from the preferences file, which anyone may
// edit. Whatever it holds, a rectangle read back is non-empty, within the limits, writes
// back as the same text, and places the panel inside the window.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "player/runbox.h"
#include "ui/runbox_panel.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace corvida;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::optional<Rect> rect = ParseRunBoxRect(text);
  if (!rect) return 0;
  if (rect->Empty() || rect->left < -32767 || rect->right > 32767) std::abort();
  if (ParseRunBoxRect(RunBoxRectText(*rect)) != rect) std::abort();
  RunBoxPanel panel;
  const Size window{512, 342};
  panel.Place(*rect, window);
  const Rect placed = panel.rect();
  if (placed.left < 0 || placed.top < 0 || placed.right > window.width ||
      placed.bottom > window.height || placed.Empty())
    std::abort();
  return 0;
}
