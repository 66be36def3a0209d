// Written by scripts/lazy-calls.py: the library's functions our code calls, each
// forwarding to the library opened on first use (platform/lazy_libs.h).
extern "C" {
#include <gif_lib.h>
}

#include <type_traits>

#include "platform/lazy_libs.h"

extern "C" {

int DGifCloseFile(GifFileType* a0, int* a1) {
  return CORVIDA_LAZY(kGif, DGifCloseFile)(a0, a1);
}

int DGifExtensionToGCB(const size_t a0, const GifByteType* a1, GraphicsControlBlock* a2) {
  return CORVIDA_LAZY(kGif, DGifExtensionToGCB)(a0, a1, a2);
}

int DGifGetExtension(GifFileType* a0, int* a1, GifByteType** a2) {
  return CORVIDA_LAZY(kGif, DGifGetExtension)(a0, a1, a2);
}

int DGifGetExtensionNext(GifFileType* a0, GifByteType** a1) {
  return CORVIDA_LAZY(kGif, DGifGetExtensionNext)(a0, a1);
}

int DGifGetImageDesc(GifFileType* a0) {
  return CORVIDA_LAZY(kGif, DGifGetImageDesc)(a0);
}

int DGifGetLine(GifFileType* a0, GifPixelType* a1, int a2) {
  return CORVIDA_LAZY(kGif, DGifGetLine)(a0, a1, a2);
}

int DGifGetRecordType(GifFileType* a0, GifRecordType* a1) {
  return CORVIDA_LAZY(kGif, DGifGetRecordType)(a0, a1);
}

GifFileType* DGifOpen(void* a0, InputFunc a1, int* a2) {
  return CORVIDA_LAZY(kGif, DGifOpen)(a0, a1, a2);
}

}  // extern "C"
