// The download bar of the player window: a framed bar along the bottom edge, drawn over
// the presented frame (never into the card), while a stack downloads.
#include <algorithm>
#include <cstring>

#include "player/player_window.h"

namespace corvida {
namespace {

constexpr int kBarHeight = 8;
constexpr int kBarMargin = 6;
constexpr uint8_t kFrameGrey = 0x40, kFillBlue[3] = {0x20, 0x40, 0xC0};

void Fill(std::vector<uint8_t>& rgba, int width, int x0, int y0, int x1, int y1,
          const uint8_t rgb[3]) {
  for (int y = y0; y < y1; ++y)
    for (int x = x0; x < x1; ++x) {
      uint8_t* p = rgba.data() + (size_t(y) * size_t(width) + size_t(x)) * 4;
      p[0] = rgb[0], p[1] = rgb[1], p[2] = rgb[2], p[3] = 0xFF;
    }
}

// The bar over an RGBA frame of width x height pixels (tightly packed).
void DrawBar(std::vector<uint8_t>& rgba, int width, int height, int permille) {
  const int left = kBarMargin, right = width - kBarMargin;
  const int bottom = height - kBarMargin, top = bottom - kBarHeight;
  if (right - left < 4 || top < 0) return;
  const uint8_t frame[3] = {kFrameGrey, kFrameGrey, kFrameGrey};
  const uint8_t white[3] = {0xFF, 0xFF, 0xFF};
  Fill(rgba, width, left, top, right, bottom, frame);
  Fill(rgba, width, left + 1, top + 1, right - 1, bottom - 1, white);
  const int inner = right - left - 2;
  Fill(rgba, width, left + 1, top + 1, left + 1 + inner * permille / 1000, bottom - 1, kFillBlue);
}

}  // namespace

void PlayerWindow::ShowDownloadProgress(uint64_t received, uint64_t length) {
  // Without a length the bar runs through once per 256 KiB and starts again.
  const uint64_t permille =
      length > 0 ? std::min<uint64_t>(1000, received * 1000 / length) : (received >> 8) % 1000;
  download_permille_ = int(permille);
  Present();
}

void PlayerWindow::HideDownloadProgress() {
  if (download_permille_ < 0) return;
  download_permille_ = -1;
  Present();
}

void PlayerWindow::PresentWithBar(const RgbaView& frame) {
  int width = frame.width, height = frame.height;
  if (!frame.pixels) {
    const Size client = player_.platform.windows().ClientSize(window_);
    width = client.width > 0 ? client.width : CardSize().width;
    height = client.height > 0 ? client.height : CardSize().height;
  }
  if (width <= 0 || height <= 0) return;
  barred_.assign(size_t(width) * size_t(height) * 4, 0xFF);
  if (frame.pixels) {
    for (int y = 0; y < height; ++y)
      std::memcpy(barred_.data() + size_t(y) * size_t(width) * 4,
                  frame.pixels + size_t(y) * size_t(frame.stride), size_t(width) * 4);
  }
  DrawBar(barred_, width, height, download_permille_);
  player_.platform.windows().Present(window_, RgbaView{barred_.data(), width, height, width * 4},
                                     {0, 0});
}

}  // namespace corvida
