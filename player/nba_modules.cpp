#include "player/nba_modules.h"

#include <algorithm>
#include <map>

#include "platform/dynlib.h"
#include "platform/files.h"
#include "platform/text.h"

namespace corvida {
namespace {

constexpr size_t kMaxFileName = 255;
constexpr size_t kMaxDisplayName = 31;
constexpr size_t kMaxAbout = 32000;

// A module's string, at most `limit` bytes; a module is our own code, but a string that
// never ends must not run the reader off its data.
std::string Bounded(const char* text, size_t limit) {
  if (text == nullptr) return {};
  size_t n = 0;
  while (n < limit && text[n] != '\0') ++n;
  return std::string(text, n);
}

class LibraryModule : public NbaModule {
 public:
  LibraryModule(DynamicLibrary library, CorvidaNbaMain main, const CorvidaNbaInfo* info)
      : library_(std::move(library)), main_(main), info_(info) {}
  int32_t Main(uint8_t* block) override { return main_(block); }
  std::optional<NbaModuleInfo> Info() const override {
    if (info_ == nullptr || info_->info_size < sizeof(CorvidaNbaInfo)) return std::nullopt;
    return ReadModuleInfo(*info_);
  }

 private:
  DynamicLibrary library_;
  CorvidaNbaMain main_;
  const CorvidaNbaInfo* info_;
};

// Compiled-in modules live as long as the program.
class BuiltInModule : public NbaModule {
 public:
  BuiltInModule(CorvidaNbaMain main, const CorvidaNbaInfo* info) : main_(main), info_(info) {}
  int32_t Main(uint8_t* block) override { return main_(block); }
  std::optional<NbaModuleInfo> Info() const override { return ReadModuleInfo(*info_); }

 private:
  CorvidaNbaMain main_;
  const CorvidaNbaInfo* info_;
};

struct BuiltIn {
  CorvidaNbaMain main;
  const CorvidaNbaInfo* info;
};

std::map<uint16_t, BuiltIn>& BuiltIns() {
  static std::map<uint16_t, BuiltIn> table;
  return table;
}

std::unique_ptr<NbaModule> FindBuiltIn(std::string_view file_name) {
  for (const auto& [id, b] : BuiltIns()) {
    if (EqualsIgnoringCase(Bounded(b.info->file_name, kMaxFileName), file_name))
      return std::make_unique<BuiltInModule>(b.main, b.info);
  }
  return nullptr;
}

}  // namespace

NbaModuleInfo ReadModuleInfo(const CorvidaNbaInfo& info) {
  NbaModuleInfo out;
  out.nba_id = info.nba_id;
  out.about_flags = info.about_flags;
  out.display_name = Bounded(info.display_name, kMaxDisplayName);
  out.file_name = Bounded(info.file_name, kMaxFileName);
  out.about = Bounded(info.about_text, kMaxAbout);
  out.about = out.about.substr(0, out.about.find('/'));
  return out;
}

bool IsBareModuleName(std::string_view name) {
  if (name.empty() || name.size() > kMaxFileName) return false;
  if (name == "." || name.find("..") != std::string_view::npos) return false;
  return std::none_of(name.begin(), name.end(), [](char c) {
    const auto u = static_cast<unsigned char>(c);
    return u < 0x20 || u == 0x7F || c == '/' || c == '\\' || c == ':';
  });
}

std::string FindModuleFile(const std::string& folder, std::string_view name) {
  if (!IsBareModuleName(name) || folder.empty()) return {};
  const std::string root = CanonicalPath(folder);
  if (root.empty()) return {};
  std::string candidate = JoinPath(root, std::string(name));
  if (!FileExists(candidate)) {
    // Stacks name modules as their makers spelled them, in any letter case.
    candidate.clear();
    for (const DirectoryEntry& e : ListDirectory(root)) {
      if (!e.is_directory && EqualsIgnoringCase(e.name, name)) {
        candidate = JoinPath(root, e.name);
        break;
      }
    }
    if (candidate.empty()) return {};
  }
  const std::string resolved = CanonicalPath(candidate);
  if (resolved.size() <= root.size() + 1 || resolved.compare(0, root.size(), root) != 0 ||
      resolved[root.size()] != '/' || !IsRegularFile(resolved)) {
    return {};
  }
  return resolved;
}

void RegisterBuiltInNba(CorvidaNbaMain main, const CorvidaNbaInfo* info) {
  if (main && info && info->nba_id != 0) BuiltIns()[info->nba_id] = {main, info};
}

void ForgetBuiltInNbas() {
  BuiltIns().clear();
}

NbaLoad NativeNbaModules::Load(std::string_view file_name, NbaFolder folder) {
  if (folder == NbaFolder::kNbas) {
    if (auto built_in = FindBuiltIn(file_name)) return {std::move(built_in)};
  }
  std::string path;
  for (const std::string& f : folder == NbaFolder::kNbas ? nba_folders_ : extra_folders_) {
    path = FindModuleFile(f, file_name);
    if (!path.empty()) break;
  }
  if (path.empty()) return {nullptr, NbaLoadFailure::kMissing};
  DynamicLibrary library;
  if (!library.Open(path)) return {nullptr, NbaLoadFailure::kNotAModule};
  auto main = reinterpret_cast<CorvidaNbaMain>(library.Symbol("NBAMain"));
  auto info = static_cast<const CorvidaNbaInfo*>(library.Symbol("NBAInfo"));
  if (!main) return {nullptr, NbaLoadFailure::kNotAModule};
  return {std::make_unique<LibraryModule>(std::move(library), main, info)};
}

std::vector<std::string> NativeNbaModules::ExtraFiles() {
  std::vector<std::string> names;
  for (const std::string& folder : extra_folders_) {
    for (const DirectoryEntry& e : ListDirectory(folder)) {
      const bool xtr =
          e.name.size() > 4 && EqualsIgnoringCase(e.name.substr(e.name.size() - 4), ".xtr");
      const bool known = std::any_of(names.begin(), names.end(), [&](const std::string& n) {
        return EqualsIgnoringCase(n, e.name);
      });
      if (!e.is_directory && xtr && !known && !FindModuleFile(folder, e.name).empty())
        names.push_back(e.name);
    }
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace corvida
