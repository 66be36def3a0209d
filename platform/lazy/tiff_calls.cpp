// Written by scripts/lazy-calls.py: the library's functions our code calls, each
// forwarding to the library opened on first use (platform/lazy_libs.h).
extern "C" {
#include <tiffio.h>
}

#include <type_traits>

#include "platform/lazy_libs.h"

extern "C" {

TIFF* TIFFClientOpenExt(const char* a0, const char* a1, thandle_t a2, TIFFReadWriteProc a3,
                        TIFFReadWriteProc a4, TIFFSeekProc a5, TIFFCloseProc a6, TIFFSizeProc a7,
                        TIFFMapFileProc a8, TIFFUnmapFileProc a9, TIFFOpenOptions* a10) {
  return CORVIDA_LAZY(kTiff, TIFFClientOpenExt)(a0, a1, a2, a3, a4, a5, a6, a7, a8, a9, a10);
}

void TIFFClose(TIFF* a0) {
  CORVIDA_LAZY(kTiff, TIFFClose)(a0);
}

int TIFFIsTiled(TIFF* a0) {
  return CORVIDA_LAZY(kTiff, TIFFIsTiled)(a0);
}

TIFFOpenOptions* TIFFOpenOptionsAlloc() {
  return CORVIDA_LAZY(kTiff, TIFFOpenOptionsAlloc)();
}

void TIFFOpenOptionsFree(TIFFOpenOptions* a0) {
  CORVIDA_LAZY(kTiff, TIFFOpenOptionsFree)(a0);
}

void TIFFOpenOptionsSetErrorHandlerExtR(TIFFOpenOptions* a0, TIFFErrorHandlerExtR a1, void* a2) {
  CORVIDA_LAZY(kTiff, TIFFOpenOptionsSetErrorHandlerExtR)(a0, a1, a2);
}

void TIFFOpenOptionsSetMaxSingleMemAlloc(TIFFOpenOptions* a0, tmsize_t a1) {
  CORVIDA_LAZY(kTiff, TIFFOpenOptionsSetMaxSingleMemAlloc)(a0, a1);
}

void TIFFOpenOptionsSetWarningHandlerExtR(TIFFOpenOptions* a0, TIFFErrorHandlerExtR a1, void* a2) {
  CORVIDA_LAZY(kTiff, TIFFOpenOptionsSetWarningHandlerExtR)(a0, a1, a2);
}

int TIFFReadRGBAImageOriented(TIFF* a0, uint32_t a1, uint32_t a2, uint32_t* a3, int a4, int a5) {
  return CORVIDA_LAZY(kTiff, TIFFReadRGBAImageOriented)(a0, a1, a2, a3, a4, a5);
}

TIFFErrorHandler TIFFSetErrorHandler(TIFFErrorHandler a0) {
  return CORVIDA_LAZY(kTiff, TIFFSetErrorHandler)(a0);
}

TIFFErrorHandler TIFFSetWarningHandler(TIFFErrorHandler a0) {
  return CORVIDA_LAZY(kTiff, TIFFSetWarningHandler)(a0);
}

uint64_t TIFFStripSize64(TIFF* a0) {
  return CORVIDA_LAZY(kTiff, TIFFStripSize64)(a0);
}

uint64_t TIFFTileSize64(TIFF* a0) {
  return CORVIDA_LAZY(kTiff, TIFFTileSize64)(a0);
}

}  // extern "C"
