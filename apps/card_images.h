// What the image commands (render, sheet) share: a stack opened on a headless platform
// with a card view over it, and PNG output.
#pragma once

#include <memory>
#include <string>

#include "engine/fieldtext.h"
#include "engine/render.h"
#include "platform/headless/headless.h"
#include "player/memory_alerts.h"
#include "ui/alerts.h"

namespace corvida::app {

class StackImages {
 public:
  StackImages();
  // Opens the stack; false (with the reason on standard error) when it cannot be played.
  bool Open(const std::string& path);
  int CardCount() const { return stack_.CardCount(); }
  std::string CardName(int number);
  // The card (1-based) as the player shows it, objects included unless turned off.
  bool RenderCard(int number, bool objects, gfx::Bitmap& out);
  CardView& view() { return *view_; }
  Stack& stack() { return stack_; }
  Handles& handles() { return handles_; }
  FontService* fonts() { return platform_->fonts(); }

 private:
  std::unique_ptr<HeadlessPlatform> platform_;
  MemoryAlerts memory_alerts_;
  Handles handles_;
  Alerts alerts_;
  Stack stack_;
  PictureCache pictures_;
  std::unique_ptr<TextFieldPainter> fields_;
  std::unique_ptr<CardView> view_;
};

// Writes the image (indexed ones with their own palette) as a PNG file; false with a
// message on standard error when it cannot.
bool WritePng(const std::string& path, const gfx::Bitmap& image);

}  // namespace corvida::app
