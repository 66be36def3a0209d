// corvida sheet: every card of a stack as a labelled thumbnail on one PNG image, the
// quickest way to see a whole stack.
#include <algorithm>
#include <cstdio>
#include <string>

#include "apps/card_images.h"
#include "apps/command.h"
#include "apps/terminal.h"
#include "platform/gfx/text.h"

namespace corvida::app {
namespace {

constexpr int kGap = 12;
constexpr int kLabelHeight = 20;
constexpr gfx::Rgb kSheetColour{232, 232, 232};
constexpr gfx::Rgb kFrameColour{96, 96, 96};

// Averages the pixels of each thumbnail cell, so that thin lines and text stay visible.
void Shrink(const gfx::Bitmap& card, gfx::Bitmap& sheet, const Rect& to) {
  const int w = to.Width(), h = to.Height();
  for (int ty = 0; ty < h; ++ty) {
    int y0 = ty * card.height() / h, y1 = std::max(y0 + 1, (ty + 1) * card.height() / h);
    for (int tx = 0; tx < w; ++tx) {
      int x0 = tx * card.width() / w, x1 = std::max(x0 + 1, (tx + 1) * card.width() / w);
      unsigned r = 0, g = 0, b = 0, n = 0;
      for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x, ++n) {
          gfx::Rgb c = card.ColorAt(x, y);
          r += c.r, g += c.g, b += c.b;
        }
      sheet.Set(to.left + tx, to.top + ty, (r / n) << 16 | (g / n) << 8 | (b / n));
    }
  }
}

class SheetCommand : public Command {
 public:
  void Declare(CLI::App& app) override {
    app.add_option("STACK", stack_path_, "the stack")->required();
    app.add_option("--columns", columns_, "thumbnails per row (default: up to 4)")
        ->check(CLI::Range(1, 64));
    app.add_option("--width", thumb_width_, "thumbnail width in pixels, never above the card's")
        ->check(CLI::Range(16, 2048))
        ->capture_default_str();
    app.add_option("-o", out_path_, "where to write the image")->required()->type_name("OUT.png");
    app.footer("Draws every card of the stack as a thumbnail labelled with its number and name.");
  }

  int Run() override;

 private:
  std::string stack_path_, out_path_;
  int columns_ = 0, thumb_width_ = 240;
};

int SheetCommand::Run() {
  if (!CheckReadable("sheet", stack_path_)) return kExitFailure;
  StackImages images;
  if (!images.Open(stack_path_)) return kExitFailure;
  const int count = images.CardCount();
  Size card = images.view().card_size();
  if (card.width < 1 || card.height < 1) return kExitFailure;
  const int tw = std::min(thumb_width_, card.width);
  const int th = std::max(1, card.height * tw / card.width);
  const int columns = columns_ ? columns_ : std::min(count, 4);
  const int rows = (count + columns - 1) / columns;
  const int cell_w = tw + kGap, cell_h = th + kLabelHeight + kGap;

  gfx::Bitmap sheet;
  if (!sheet.Create(columns * cell_w + kGap, rows * cell_h + kGap, 32)) {
    std::fprintf(stderr, "corvida sheet: the sheet would be too large\n");
    return kExitFailure;
  }
  gfx::DrawTarget target(sheet);
  target.FillRect(sheet.Bounds(), gfx::Color::FromRgb(kSheetColour));
  auto font = images.fonts()->GetFont("Geneva", 12, 0);
  target.state().bk_mode = gfx::BkMode::kTransparent;

  int failed = 0;
  for (int n = 1; n <= count; ++n) {
    int col = (n - 1) % columns, row = (n - 1) / columns;
    Rect thumb{kGap + col * cell_w, kGap + row * cell_h, 0, 0};
    thumb.right = thumb.left + tw;
    thumb.bottom = thumb.top + th;
    target.FrameRect(thumb.Inset(-1, -1), gfx::Brush::Solid(gfx::Color::FromRgb(kFrameColour)));
    gfx::Bitmap image;
    if (images.RenderCard(n, true, image)) {
      gfx::Bitmap colours = image;
      if (image.indexed()) {
        colours.Create(image.width(), image.height(), 32);
        gfx::DrawTarget(colours).BitBlt(colours.Bounds(), image, {0, 0}, gfx::rop::kSrcCopy);
      }
      Shrink(colours, sheet, thumb);
    } else {
      ++failed;
    }
    // The label: number and name, cut to the thumbnail's width.
    std::string label = std::to_string(n);
    std::string name = images.CardName(n);
    if (!name.empty()) label += "  " + name;
    while (label.size() > 1 && gfx::MeasureText(*font, label) > tw) label.pop_back();
    target.state().clip =
        gfx::Region(Rect{thumb.left, thumb.bottom, thumb.right, thumb.bottom + kLabelHeight});
    gfx::DrawText(target, *font, thumb.left, thumb.bottom + 4 + font->metrics().ascent, label,
                  gfx::Color::FromRgb(gfx::kBlack));
    target.ClearClip();
  }
  if (!WritePng(out_path_, sheet)) return kExitFailure;
  if (failed) std::fprintf(stderr, "corvida sheet: %d cards could not be drawn\n", failed);
  std::printf("%s: %d cards\n", out_path_.c_str(), count);
  return kExitOk;
}

CommandRegistration register_sheet(
    Entry<SheetCommand>("sheet", "draw every card of a stack on one PNG image", 41));

}  // namespace
}  // namespace corvida::app
