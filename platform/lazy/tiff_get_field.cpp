// libtiff's functions taking `...` or a va_list, forwarded like the others
// (tiff_calls.cpp): TIFFGetField hands its arguments on as a va_list.
#include <tiffio.h>

#include <cstdarg>

#include "platform/lazy_libs.h"

extern "C" {

int TIFFVGetField(TIFF* tiff, uint32_t tag, va_list args) {
  return CORVIDA_LAZY(kTiff, TIFFVGetField)(tiff, tag, args);
}

int TIFFGetField(TIFF* tiff, uint32_t tag, ...) {
  va_list args;
  va_start(args, tag);
  const int found = TIFFVGetField(tiff, tag, args);
  va_end(args);
  return found;
}

}  // extern "C"
