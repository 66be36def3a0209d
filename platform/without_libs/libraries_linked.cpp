// Browser builds open no libraries: the media libraries the build found (FFmpeg, giflib,
// libjpeg-turbo, libtiff) are linked into the module and their callers call them
// directly; for one it did not find, the caller itself is replaced by its stand-in in
// this folder and never asks. Windows, printing and URLs are not part of this build.
#include <array>
#include <atomic>
#include <cstdio>
#include <cstdlib>

#include "platform/lazy_libs.h"

namespace corvida {
namespace {

constexpr size_t kGroups = 7;

bool Linked(LazyGroup group) {
  switch (group) {
    case LazyGroup::kFfmpeg:
    case LazyGroup::kGif:
    case LazyGroup::kJpeg:
    case LazyGroup::kTiff:
      return true;
    case LazyGroup::kSdl:
    case LazyGroup::kCairo:
    case LazyGroup::kCurl:
      return false;
  }
  return false;
}

std::array<std::atomic<bool>, kGroups> withheld{};

}  // namespace

bool LazyAvailable(LazyGroup group) {
  return !withheld[static_cast<size_t>(group)] && Linked(group);
}

std::string LazyError(LazyGroup group) {
  if (withheld[static_cast<size_t>(group)]) return "withheld for a test";
  return Linked(group) ? std::string() : std::string("not part of the browser build");
}

void WithholdForTest(LazyGroup group, bool held) {
  withheld[static_cast<size_t>(group)] = held;
}

// Nothing is called through here in this build (the forwarding files are not part of it).
void* LazyFunction(LazyGroup, const char* name) {
  std::fprintf(stderr, "corvida: no library function %s in the browser build\n", name);
  std::abort();
}

}  // namespace corvida
