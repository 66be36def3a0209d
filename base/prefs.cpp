#include "base/prefs.h"

#include "platform/files.h"
#include "platform/profile.h"

namespace corvida {

namespace {

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    const char x = a[i] >= 'A' && a[i] <= 'Z' ? a[i] + 32 : a[i];
    const char y = b[i] >= 'A' && b[i] <= 'Z' ? b[i] + 32 : b[i];
    if (x != y) return false;
  }
  return true;
}

}  // namespace

Prefs::Prefs(std::string config_folder)
    : folder_(std::move(config_folder)), path_(folder_.empty() ? "" : folder_ + "/" + kFileName) {}

std::string Prefs::ReadPref(std::string_view section, std::string_view key) const {
  return ReadProfileString(path_, section, key, kMaxValueChars).value_or(kMissing);
}

bool Prefs::WritePref(std::string_view section, std::string_view key, std::string_view value) {
  if (folder_.empty()) return false;
  CreateDirectories(folder_);
  return WriteProfileString(path_, section, key, value);
}

bool Prefs::AdvancedUser() const {
  return EqualsIgnoringCase(ReadPref("user", "advancedUser"), "Yes");
}

int64_t Prefs::ReadCount(std::string_view key, int64_t fallback) const {
  std::string text = ReadPref("scripts", key);
  if (text.empty() || text.size() > 18 || text.find_first_not_of("0123456789") != std::string::npos)
    return fallback;
  return std::stoll(text);
}

int64_t Prefs::ScriptFileBytes() const {
  return ReadCount("fileBytes", int64_t{64} << 20);
}

int64_t Prefs::ScriptFileCount() const {
  return ReadCount("fileCount", 1000);
}

std::string Prefs::SaveStackPath() const {
  std::string path = ReadPref("user", "SaveStackPath");
  return path == kMissing ? "" : path;
}

}  // namespace corvida
