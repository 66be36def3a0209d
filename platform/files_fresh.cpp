// New files of unpredictable names, and bounded whole-file reads.
#include <random>

#include "platform/files.h"

namespace corvida {

namespace {

constexpr int kFreshFileAttempts = 16;

std::string RandomLetters(int count) {
  static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  std::random_device random;
  std::uniform_int_distribution<size_t> pick(0, sizeof kLetters - 2);
  std::string letters;
  for (int i = 0; i < count; ++i) letters += kLetters[pick(random)];
  return letters;
}

}  // namespace

File CreateFreshFile(const std::string& folder, std::string_view prefix, std::string_view suffix,
                     std::string& name) {
  for (int attempt = 0; attempt < kFreshFileAttempts; ++attempt) {
    name = std::string(prefix) + RandomLetters(8) + std::string(suffix);
    File file = File::OpenNoFollow(JoinPath(folder, name), File::Mode::kCreateNew);
    if (file.is_open()) return file;
    // Only a name already taken is worth another try.
    const std::string taken = JoinPath(folder, name);
    if (!FileExists(taken) && !IsSymlink(taken)) break;
  }
  name.clear();
  return {};
}

bool ReadFileUpTo(const std::string& path, size_t limit, std::vector<uint8_t>& out) {
  out.clear();
  if (!IsRegularFile(path)) return false;
  File file = File::Open(path, File::Mode::kRead);
  if (!file.is_open()) return false;
  const int64_t size = file.Size();
  if (size < 0 || uint64_t(size) > limit) return false;
  out.resize(size_t(size));
  if (size > 0 && file.Read(out.data(), out.size()) != size) {
    out.clear();
    return false;
  }
  return true;
}

}  // namespace corvida
