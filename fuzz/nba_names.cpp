// Module names from hostile stacks: whatever bytes an 'NBAs' block holds as its module
// file name, the lookup answers nothing or a regular file inside the module folder, never
// a file beside it, above it or behind a link leading out.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/files.h"
#include "player/nba_modules.h"
#include "stackfile/actions.h"
#include "stackfile/records_access.h"

using namespace corvida;

namespace {

// A module folder with one file and a link to a file outside it.
const std::string& Folder() {
  static const std::string folder = [] {
    namespace fs = std::filesystem;
    const std::string root = SystemTempFolder() + "/corvida-fuzz-nba-names";
    fs::create_directories(root + "/NBAs");
    std::ofstream(root + "/NBAs/TOOL.NBA") << "x";
    std::ofstream(root + "/SECRET.NBA") << "x";
    std::error_code ec;
    fs::create_symlink(root + "/SECRET.NBA", root + "/NBAs/LINK.NBA", ec);
    return CanonicalPath(root + "/NBAs");
  }();
  return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The name as the player reads it from a descriptor: up to its NUL, within its field.
  std::vector<uint8_t> block(nba::kModuleName, 0);
  block.insert(block.end(), data, data + size);
  const std::string name =
      TerminatedText(Bytes{block.data(), block.size()}, nba::kModuleName, nba::kModuleNameField);
  const std::string found = FindModuleFile(Folder(), name);
  if (!found.empty() &&
      (found.rfind(Folder() + "/", 0) != 0 || !IsRegularFile(found) || !IsBareModuleName(name)))
    std::abort();
  return 0;
}
