// Program-wide preferences in "CVPREFS.INI", kept in the per-user configuration folder.
// A missing file or key reads as "Bad"; callers compare with "Yes" or treat "Bad" as
// absent.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace corvida {

class Prefs {
 public:
  static constexpr const char* kFileName = "CVPREFS.INI";
  static constexpr const char* kMissing = "Bad";
  static constexpr size_t kMaxValueChars = 64;

  // Without a configuration folder nothing is read or written.
  explicit Prefs(std::string config_folder);

  const std::string& path() const { return path_; }
  // The value (at most 64 characters), or "Bad".
  std::string ReadPref(std::string_view section, std::string_view key) const;
  // Creates the folder, file, section or key as needed; false when it cannot be written.
  bool WritePref(std::string_view section, std::string_view key, std::string_view value);

  // "user"/"advancedUser" equal to "Yes" in any letter case.
  bool AdvancedUser() const;
  // "user"/"SaveStackPath", or "" when not set.
  std::string SaveStackPath() const;
  // What one stack's scripts may keep in their folder: "scripts"/"fileBytes" (default
  // 64 MB) and "scripts"/"fileCount" (default 1000). A missing, unreadable or negative
  // value gives the default.
  int64_t ScriptFileBytes() const;
  int64_t ScriptFileCount() const;

 private:
  int64_t ReadCount(std::string_view key, int64_t fallback) const;

  std::string folder_;
  std::string path_;
};

}  // namespace corvida
