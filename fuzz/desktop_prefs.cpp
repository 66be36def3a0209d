// The desktop player's preferences (window size, stacks opened last) come from a file the
// user may edit and anything may have written: what reads back must be within its limits,
// and adding a stack keeps the list sound.
#include <stdlib.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>

#include "player/desktop_prefs.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace corvida;
  static const std::string folder = [] {
    char dir[] = "/tmp/corvida-fuzz-desktop-prefs-XXXXXX";
    return std::string(mkdtemp(dir));
  }();
  Prefs prefs(folder);
  std::ofstream(prefs.path(), std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(data), std::streamsize(size));
  if (auto s = ReadWindowSize(prefs)) {
    if (s->width < kMinWindowSide || s->width > kMaxWindowSide || s->height < kMinWindowSide ||
        s->height > kMaxWindowSide)
      __builtin_trap();
  }
  auto check = [](const std::vector<std::string>& paths) {
    if (paths.size() > size_t(kRecentStackCount)) __builtin_trap();
    for (size_t i = 0; i < paths.size(); ++i) {
      if (paths[i].empty() || paths[i][0] != '/' || paths[i].size() >= kMaxRecentPathChars)
        __builtin_trap();
      if (std::count(paths.begin(), paths.end(), paths[i]) != 1) __builtin_trap();
      (void)RecentStackLabel(int(i), paths[i]);
    }
  };
  check(ReadRecentStacks(prefs));
  NoteRecentStack(prefs, "/stacks/new.stk");
  const auto after = ReadRecentStacks(prefs);
  check(after);
  return 0;
}
