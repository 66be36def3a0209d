// corvida render: one card of a stack as a PNG image, as the player shows it.
#include <cstdio>
#include <string>

#include "apps/card_images.h"
#include "apps/command.h"
#include "apps/terminal.h"

namespace corvida::app {
namespace {

class RenderCommand : public Command {
 public:
  void Declare(CLI::App& app) override {
    app.add_option("STACK", stack_path_, "the stack")->required();
    app.add_option("--card", card_, "the card to draw (1-based position)")
        ->check(CLI::Range(1, 32767))
        ->capture_default_str();
    app.add_flag("--no-objects", no_objects_, "the card picture alone");
    app.add_option("-o", out_path_, "where to write the image")->required()->type_name("OUT.png");
    app.footer(
        "Draws a card of the stack as the player shows it: its background picture, then its\n"
        "buttons, graphics and text fields.");
  }

  int Run() override {
    if (!CheckReadable("render", stack_path_)) return kExitFailure;
    StackImages images;
    if (!images.Open(stack_path_)) return kExitFailure;
    if (card_ > images.CardCount()) {
      std::fprintf(stderr, "corvida render: the stack has %d cards\n", images.CardCount());
      return kExitFailure;
    }
    gfx::Bitmap bitmap;
    if (!images.RenderCard(card_, !no_objects_, bitmap)) {
      std::fprintf(stderr, "corvida render: card %d cannot be drawn\n", card_);
      return kExitFailure;
    }
    return WritePng(out_path_, bitmap) ? kExitOk : kExitFailure;
  }

 private:
  std::string stack_path_, out_path_;
  int card_ = 1;
  bool no_objects_ = false;
};

CommandRegistration register_render(Entry<RenderCommand>("render",
                                                         "draw one card of a stack as a PNG image",
                                                         40));

}  // namespace
}  // namespace corvida::app
