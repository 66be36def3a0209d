// Preferences files are edited by hand and may hold anything. Reading must never fail
// badly, and a write that succeeds must read back and keep the other keys readable.
#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>

#include "platform/profile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace corvida;
  static const std::string path = [] {
    char dir[] = "/tmp/corvida-fuzz-profile-XXXXXX";
    return std::string(mkdtemp(dir)) + "/p.ini";
  }();
  // The first line names section, key and value ("section|key|value"); the rest is the file.
  std::string input(reinterpret_cast<const char*>(data), size);
  size_t nl = input.find('\n');
  std::string command = input.substr(0, nl);
  std::string body = nl == std::string::npos ? "" : input.substr(nl + 1);
  std::ofstream(path, std::ios::binary | std::ios::trunc) << body;
  size_t a = command.find('|'), b = a == std::string::npos ? a : command.find('|', a + 1);
  if (b == std::string::npos) return 0;
  const std::string section = command.substr(0, a);
  const std::string key = command.substr(a + 1, b - a - 1);
  const std::string value = command.substr(b + 1);

  (void)ReadProfileString(path, section, key, 64);
  (void)ReadProfileString(path, "user", "advancedUser", 64);
  if (WriteProfileString(path, section, key, value)) {
    auto back = ReadProfileString(path, section, key, 1 << 20);
    if (!back) __builtin_trap();
    const bool plain =
        value.empty() || (value.front() != ' ' && value.front() != '\t' && value.back() != ' ' &&
                          value.back() != '\t' && value.front() != '"');
    if (plain && *back != value) __builtin_trap();
  }
  return 0;
}
