// Hostile bytes as a text file in a script's folder: read back by lines and characters,
// printed, and loaded as a script (which may use the file primitives itself), with a
// bounded number of evaluations. The first line is also tried as a file name.
#include <stdlib.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "logo/interp.h"
#include "logo/sandbox.h"
#include "platform/clock.h"

namespace {

const std::string& Scratch() {
  static const std::string path = [] {
    std::string pattern = (std::filesystem::temp_directory_path() / "corvida-fuzz-XXXXXX").string();
    return mkdtemp(pattern.data()) ? pattern : std::string();
  }();
  return path;
}

constexpr const char* kScript =
    "open \"in.txt\nsetread \"in.txt\nwhile keyp [make \"l readlist]\n"
    "setreadpos 0\nwhile keyp [make \"c readchars 7]\nsetread []\nclose \"in.txt\n"
    "pofile \"in.txt\nload \"in.txt\n";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (Scratch().empty()) return 0;
  std::string box = Scratch() + "/box";
  std::error_code ec;
  std::filesystem::remove_all(box, ec);
  std::filesystem::create_directories(box, ec);
  std::string bytes(reinterpret_cast<const char*>(data), size);
  std::ofstream(box + "/in.txt", std::ios::binary) << bytes;

  corvida::logo::Sandbox sandbox(box, {});
  corvida::logo::Sandbox::Target target;
  sandbox.Resolve(bytes.substr(0, bytes.find_first_of("\r\n")), corvida::logo::Sandbox::Use::kRead,
                  target);

  corvida::VirtualClock clock;
  corvida::logo::InterpreterConfig config;
  config.clock = &clock;
  config.max_blocks = 64;
  config.max_steps = 20000;
  config.fixed_seed = true;
  config.files_folder = box;
  corvida::logo::InterpreterHooks hooks;
  size_t written = 0;
  hooks.write = [&](std::string_view s) { written += s.size(); };
  hooks.show_error = [&](const std::string& s) { written += s.size(); };
  corvida::logo::Interpreter interp(config, hooks);
  interp.RunScript(kScript);
  return 0;
}
