#include "platform/sdl/sdl_platform.h"

#include "platform/font_names.h"

namespace corvida::sdl {

FontService* SdlPlatform::fonts() {
  if (!fonts_) fonts_ = CreateFontService(DefaultFontFolders(folders_.program, folders_.data));
  return fonts_.get();
}

}  // namespace corvida::sdl
