// The heavy shared libraries (FFmpeg for movies and packed sounds, SDL2 for the window,
// cairo for printing, libcurl for URLs, giflib, libjpeg-turbo and libtiff for picture
// files) are not linked to the program: together they pull in some 170 libraries whose
// loading alone took half a second at every start. Each is opened the first time a
// caller needs it. The functions our code calls are defined in the *_calls.cpp files
// (written by scripts/lazy-calls.py) and forward through CORVIDA_LAZY.
//
// A caller checks `LazyAvailable` before its first call into a library and takes its
// "cannot" path when the library is missing; the reason is `LazyError`.
#pragma once

#include <mutex>
#include <string>
#include <vector>

namespace corvida {

enum class LazyGroup { kFfmpeg, kSdl, kCairo, kCurl, kGif, kJpeg, kTiff };

// Shared libraries opened together, all or none, at most once.
class LibraryGroup {
 public:
  // `what` names what needs them in messages ("movies and packed sounds").
  LibraryGroup(std::string what, std::vector<std::string> sonames);
  ~LibraryGroup();
  LibraryGroup(const LibraryGroup&) = delete;
  LibraryGroup& operator=(const LibraryGroup&) = delete;

  // Opens the libraries the first time (safe from any thread); true when all opened.
  bool Load();
  // The function `name` of any of the libraries, or null; loads them first.
  void* Symbol(const char* name);
  // Why Load failed: what needed the library, its name and the loader's reason.
  const std::string& error() const { return error_; }

 private:
  void LoadOnce();

  std::string what_;
  std::vector<std::string> sonames_;
  std::vector<void*> handles_;
  std::string error_;
  bool loaded_ = false;
  std::once_flag once_;
};

// Opens the group's libraries if not yet done; false when they cannot be had.
bool LazyAvailable(LazyGroup group);
// Why the group is not available ("" while it is).
std::string LazyError(LazyGroup group);
// Tests: makes LazyAvailable answer false for the group while `withheld` is set, as
// when its library is missing on the machine.
void WithholdForTest(LazyGroup group, bool withheld);

// The address of the group's function `name`. A caller that did not check
// LazyAvailable first and finds the library missing ends the program with the reason
// (a fault of ours, never of the user's input).
void* LazyFunction(LazyGroup group, const char* name);

}  // namespace corvida

// The library function `name` (declared by its header) of `group`, resolved once.
#define CORVIDA_LAZY(group, name)                                     \
  ([] {                                                               \
    static const auto fn = reinterpret_cast<decltype(&::name)>(       \
        ::corvida::LazyFunction(::corvida::LazyGroup::group, #name)); \
    return fn;                                                        \
  }())
