// corvida render: one card of a stack as a PNG image, as the player shows it.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "apps/card_images.h"
#include "apps/command.h"

namespace corvida::app {
namespace {

constexpr const char* kHelp =
    "Usage: corvida render STACK [--card N] [--no-objects] -o OUT.png\n\n"
    "Draws card N (1-based position, default 1) of the stack as the player shows it:\n"
    "its background picture, then its buttons, graphics and text fields.\n\n"
    "Options:\n"
    "  --card N       the card to draw\n"
    "  --no-objects   the card picture alone\n"
    "  -o OUT.png     where to write the image\n";

int RunRender(const std::vector<std::string>& args) {
  std::string stack_path, out_path;
  int card = 1;
  bool objects = true;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--help" || a == "-h") {
      std::fputs(kHelp, stdout);
      return kExitOk;
    } else if (a == "--no-objects") {
      objects = false;
    } else if ((a == "--card" || a == "-o") && i + 1 < args.size()) {
      if (a == "-o") {
        out_path = args[++i];
      } else {
        char* end = nullptr;
        long n = std::strtol(args[++i].c_str(), &end, 10);
        if (*end != 0 || n < 1 || n > 32767) {
          std::fprintf(stderr, "corvida render: --card wants a card number from 1\n");
          return kExitUsage;
        }
        card = static_cast<int>(n);
      }
    } else if (!a.empty() && a[0] != '-' && stack_path.empty()) {
      stack_path = a;
    } else {
      std::fprintf(stderr, "corvida render: unexpected argument '%s'\n\n%s", a.c_str(), kHelp);
      return kExitUsage;
    }
  }
  if (stack_path.empty() || out_path.empty()) {
    std::fputs(kHelp, stderr);
    return kExitUsage;
  }
  StackImages images;
  if (!images.Open(stack_path)) return kExitFailure;
  if (card > images.CardCount()) {
    std::fprintf(stderr, "corvida render: the stack has %d cards\n", images.CardCount());
    return kExitFailure;
  }
  gfx::Bitmap bitmap;
  if (!images.RenderCard(card, objects, bitmap)) {
    std::fprintf(stderr, "corvida render: card %d cannot be drawn\n", card);
    return kExitFailure;
  }
  return WritePng(out_path, bitmap) ? kExitOk : kExitFailure;
}

CommandRegistration reg({"render", "draw one card of a stack as a PNG image", &RunRender, 40});

}  // namespace
}  // namespace corvida::app
