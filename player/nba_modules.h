// Extension modules as files: where the player looks for them, which names it takes, and
// loading one through the platform's dynamic libraries. A module is named by a bare file
// name and found only in the player's own "NBAs" (or "Extras") folders, never where a
// stack or a download could have put it; anything else is a missing module. Modules
// compiled into the player are registered by id and found first.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#define CORVIDA_NBA_BUILT_IN
#include "corvida/nba.h"

namespace corvida {

// What a module says about itself (its exported description).
struct NbaModuleInfo {
  uint16_t nba_id = 0;
  uint16_t about_flags = 0;
  std::string display_name;  // at most 31 characters
  std::string file_name;     // at most 255 characters
  std::string about;         // up to its first '/'
};

// A loaded module; unloaded when the object goes away.
class NbaModule {
 public:
  virtual ~NbaModule() = default;
  // Calls the module's entry point with the 78-byte block.
  virtual int32_t Main(uint8_t* block) = 0;
  // The module's description; nothing when it exports none.
  virtual std::optional<NbaModuleInfo> Info() const = 0;
};

enum class NbaFolder { kNbas, kExtras };

// Why a load gave no module.
enum class NbaLoadFailure { kNone, kMissing, kNotAModule };

struct NbaLoad {
  std::unique_ptr<NbaModule> module;
  NbaLoadFailure failure = NbaLoadFailure::kNone;
};

class NbaModuleSource {
 public:
  virtual ~NbaModuleSource() = default;
  virtual NbaLoad Load(std::string_view file_name, NbaFolder folder) = 0;
  // The Extras (".xtr" files) that could be added to the list, sorted, each named once.
  virtual std::vector<std::string> ExtraFiles() { return {}; }
};

// A file name without separators, drive, "..", control characters or NUL, 1 to 255 bytes.
bool IsBareModuleName(std::string_view name);

// The host path of `name` in `folder` (any letter case), only when it is a regular file
// that resolves, after links, inside the folder; "" otherwise.
std::string FindModuleFile(const std::string& folder, std::string_view name);

// Modules compiled into the player, by id; they answer to their file name as well.
void RegisterBuiltInNba(CorvidaNbaMain main, const CorvidaNbaInfo* info);
void ForgetBuiltInNbas();

// Modules from the builtin registry, then from the folders given (in order).
class NativeNbaModules : public NbaModuleSource {
 public:
  NativeNbaModules(std::vector<std::string> nba_folders, std::vector<std::string> extra_folders)
      : nba_folders_(std::move(nba_folders)), extra_folders_(std::move(extra_folders)) {}
  NbaLoad Load(std::string_view file_name, NbaFolder folder) override;
  std::vector<std::string> ExtraFiles() override;

 private:
  std::vector<std::string> nba_folders_;
  std::vector<std::string> extra_folders_;
};

// The description a module exports, read with its strings cut to their fields.
NbaModuleInfo ReadModuleInfo(const CorvidaNbaInfo& info);

}  // namespace corvida
