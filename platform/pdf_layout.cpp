// The page geometry of printing, the same in every build.
#include <algorithm>

#include "platform/pdf_pages.h"

namespace corvida {

PageSize PaperSize(const PageSetup& setup) {
  const PageSize portrait =
      setup.paper == PageSetup::Paper::kLetter ? PageSize{612, 792} : PageSize{595.276, 841.89};
  return setup.landscape ? PageSize{portrait.height, portrait.width} : portrait;
}

PagePlacement PlacePicture(const PageSize& page, Size pixels) {
  if (pixels.width <= 0 || pixels.height <= 0) return {};
  const double room_w = std::max(1.0, page.width - 2 * kPageMargin);
  const double room_h = std::max(1.0, page.height - 2 * kPageMargin);
  const double scale = std::min(room_w / pixels.width, room_h / pixels.height);
  return {(page.width - pixels.width * scale) / 2, (page.height - pixels.height * scale) / 2,
          scale};
}

}  // namespace corvida
