// Written by scripts/lazy-calls.py: the library's functions our code calls, each
// forwarding to the library opened on first use (platform/lazy_libs.h).
extern "C" {
#include <turbojpeg.h>
}

#include <type_traits>

#include "platform/lazy_libs.h"

extern "C" {

int tjDecompress2(tjhandle a0, const unsigned char* a1, unsigned long a2, unsigned char* a3, int a4,
                  int a5, int a6, int a7, int a8) {
  return CORVIDA_LAZY(kJpeg, tjDecompress2)(a0, a1, a2, a3, a4, a5, a6, a7, a8);
}

int tjDecompressHeader3(tjhandle a0, const unsigned char* a1, unsigned long a2, int* a3, int* a4,
                        int* a5, int* a6) {
  return CORVIDA_LAZY(kJpeg, tjDecompressHeader3)(a0, a1, a2, a3, a4, a5, a6);
}

int tjDestroy(tjhandle a0) {
  return CORVIDA_LAZY(kJpeg, tjDestroy)(a0);
}

int tjGetErrorCode(tjhandle a0) {
  return CORVIDA_LAZY(kJpeg, tjGetErrorCode)(a0);
}

tjhandle tjInitDecompress() {
  return CORVIDA_LAZY(kJpeg, tjInitDecompress)();
}

}  // extern "C"
