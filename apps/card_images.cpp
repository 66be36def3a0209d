#include "apps/card_images.h"

#include <cstdio>
#include <filesystem>

#include "apps/terminal.h"
#include "platform/charset.h"
#include "platform/files.h"
#include "platform/gfx/png.h"
#include "player/stack_open.h"

namespace corvida::app {

namespace {

Folders ImageFolders() {
  Folders f;
  f.temp = SystemTempFolder();
  return f;
}

}  // namespace

StackImages::StackImages()
    : platform_(std::make_unique<HeadlessPlatform>(ImageFolders())),
      memory_alerts_(platform_->responder()),
      handles_(&memory_alerts_),
      alerts_(platform_->responder()),
      stack_(handles_) {
  platform_->responder().SetObserver([](const AlertRequest& request) {
    std::fprintf(stderr, "corvida: %s\n", EscapeControls(Windows1252ToUtf8(request.text)).c_str());
  });
}

bool StackImages::Open(const std::string& path) {
  StackOpenResult opened = OpenStackWithAlerts(stack_, alerts_, path, {}, StackAsking::kHeadless);
  if (opened.code != 0 || stack_.CardCount() == 0) {
    if (platform_->responder().shown().empty())
      std::fprintf(stderr, "corvida: cannot open the stack %s\n", path.c_str());
    return false;
  }
  RenderServices services;
  services.fonts = platform_->fonts();
  services.pictures = &pictures_;
  std::string folder = std::filesystem::path(path).parent_path().string();
  services.roots.stack_folder = folder.empty() ? "." : folder;
  FieldTextServices field_services;
  field_services.fonts = services.fonts;
  field_services.roots = services.roots;
  field_services.mac_paths = stack_.names_converted();
  fields_ = std::make_unique<TextFieldPainter>(handles_, stack_, field_services);
  services.fields = fields_.get();
  view_ = std::make_unique<CardView>(handles_, stack_, std::move(services));
  return true;
}

std::string StackImages::CardName(int number) {
  return corvida::CardName(handles_, stack_.CardAt(number));
}

bool StackImages::RenderCard(int number, bool objects, gfx::Bitmap& out) {
  Handle card = stack_.CardAt(number);
  if (!card || !view_) return false;
  view_->options().objects_active = objects;
  if (!view_->ShowCard(card, 3, 8, true, nullptr)) return false;
  view_->Compose(out);
  out.palette = view_->palette();
  return !out.empty();
}

bool WritePng(const std::string& path, const gfx::Bitmap& image) {
  std::string error;
  if (gfx::WritePngFile(path, image, image.indexed() ? &image.palette : nullptr, &error))
    return true;
  std::fprintf(stderr, "corvida: cannot write %s: %s\n", path.c_str(), error.c_str());
  return false;
}

}  // namespace corvida::app
