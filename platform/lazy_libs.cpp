#include "platform/lazy_libs.h"

#include <dlfcn.h>

#include <array>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace corvida {

LibraryGroup::LibraryGroup(std::string what, std::vector<std::string> sonames)
    : what_(std::move(what)), sonames_(std::move(sonames)) {}

// The libraries stay open until the program ends: their functions may be in use by
// other threads (the sound callback, the fetcher) while statics are destroyed.
LibraryGroup::~LibraryGroup() = default;

bool LibraryGroup::Load() {
  std::call_once(once_, [this] { LoadOnce(); });
  return loaded_;
}

void LibraryGroup::LoadOnce() {
  if (sonames_.empty()) {
    error_ = what_ + " are not part of this build";
    return;
  }
  for (const std::string& soname : sonames_) {
    // By the name the program was built against, searched as for a linked library.
    void* handle = dlopen(soname.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
      const char* why = dlerror();
      error_ = what_ + " need " + soname + ", which could not be loaded (" +
               (why ? why : "not found") + ")";
      for (void* h : handles_) dlclose(h);
      handles_.clear();
      return;
    }
    handles_.push_back(handle);
  }
  loaded_ = true;
}

void* LibraryGroup::Symbol(const char* name) {
  if (!Load()) return nullptr;
  for (void* handle : handles_) {
    if (void* at = dlsym(handle, name)) return at;
  }
  return nullptr;
}

namespace {

// The names come from the build (platform/CMakeLists.txt): the sonames of the libraries
// the headers belong to, separated by ':'.
std::vector<std::string> Sonames(const char* list) {
  std::vector<std::string> names;
  std::istringstream in(list);
  for (std::string name; std::getline(in, name, ':');)
    if (!name.empty()) names.push_back(name);
  return names;
}

#ifndef CORVIDA_SONAMES_FFMPEG
#define CORVIDA_SONAMES_FFMPEG ""
#define CORVIDA_SONAMES_SDL ""
#define CORVIDA_SONAMES_CAIRO ""
#define CORVIDA_SONAMES_CURL ""
#define CORVIDA_SONAMES_GIF ""
#define CORVIDA_SONAMES_JPEG ""
#define CORVIDA_SONAMES_TIFF ""
#endif

constexpr size_t kGroups = 7;

LibraryGroup& Group(LazyGroup group) {
  static std::array<LibraryGroup*, kGroups> groups = {
      new LibraryGroup("Movies and packed sounds", Sonames(CORVIDA_SONAMES_FFMPEG)),
      new LibraryGroup("Windows", Sonames(CORVIDA_SONAMES_SDL)),
      new LibraryGroup("Printed pages", Sonames(CORVIDA_SONAMES_CAIRO)),
      new LibraryGroup("Stacks from URLs", Sonames(CORVIDA_SONAMES_CURL)),
      new LibraryGroup("GIF pictures", Sonames(CORVIDA_SONAMES_GIF)),
      new LibraryGroup("JPEG pictures", Sonames(CORVIDA_SONAMES_JPEG)),
      new LibraryGroup("TIFF pictures", Sonames(CORVIDA_SONAMES_TIFF)),
  };
  return *groups[static_cast<size_t>(group)];
}

std::array<std::atomic<bool>, kGroups> withheld{};

}  // namespace

bool LazyAvailable(LazyGroup group) {
  if (withheld[static_cast<size_t>(group)]) return false;
  return Group(group).Load();
}

std::string LazyError(LazyGroup group) {
  if (withheld[static_cast<size_t>(group)]) return "withheld for a test";
  return LazyAvailable(group) ? std::string() : Group(group).error();
}

void WithholdForTest(LazyGroup group, bool held) {
  withheld[static_cast<size_t>(group)] = held;
}

void* LazyFunction(LazyGroup group, const char* name) {
  void* at = Group(group).Symbol(name);
  if (at == nullptr) {
    const std::string& why = Group(group).error();
    std::fprintf(stderr, "corvida: %s\n",
                 why.empty() ? (std::string("no function ") + name + " in the library").c_str()
                             : why.c_str());
    std::abort();
  }
  return at;
}

}  // namespace corvida
