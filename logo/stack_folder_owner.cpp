// Which stack a script folder belongs to. Folders are named after the stack's path; beside
// each one a marker "<folder>.owner" holds the identity of the stack that first used it.
// Another stack later saved at that path gets a folder of its own and never the first
// one's files; the first stack finds its folder again when it comes back.
#include <optional>
#include <string>

#include "logo/sandbox.h"
#include "platform/files.h"

namespace corvida::logo {
namespace {

constexpr size_t kMaxMarkerBytes = 64;

// The marker's text, or nothing when there is none (a link counts as foreign).
std::optional<std::string> ReadMarker(const std::string& marker) {
  if (!FileExists(marker) && !IsSymlink(marker)) return std::nullopt;
  File file = File::OpenNoFollow(marker, File::Mode::kRead);
  std::string text(kMaxMarkerBytes, '\0');
  const int64_t got = file.is_open() ? file.Read(text.data(), text.size()) : -1;
  text.resize(got < 0 ? 0 : size_t(got));
  return text;
}

// True when `folder` is, or now becomes, the folder of the stack with that identity.
// Folders from before markers existed are claimed by the first stack to use them.
bool Claim(const std::string& folder, const std::string& identity) {
  const std::string marker = folder + ".owner";
  if (std::optional<std::string> owner = ReadMarker(marker)) return *owner == identity;
  if (!CreateDirectories(PathFolder(folder))) return false;
  File file = File::OpenNoFollow(marker, File::Mode::kCreateNew);
  if (!file.is_open()) return ReadMarker(marker) == identity;  // made meanwhile
  const bool written =
      file.Write(identity.data(), identity.size()) == int64_t(identity.size()) && file.Sync();
  file.Close();
  if (!written) DeleteFile(marker);
  return written;
}

}  // namespace

std::string OwnedStackFilesFolder(const std::string& data_folder, std::string_view stack_key,
                                  const std::string& identity) {
  if (identity.empty() || identity.size() > kMaxMarkerBytes) return "";
  const std::string by_path = StackFilesFolder(data_folder, stack_key);
  if (Claim(by_path, identity)) return by_path;
  // Someone else's: a folder named after the path and this stack's identity.
  const std::string own = StackFilesFolder(data_folder, std::string(stack_key) + "\n" + identity);
  return Claim(own, identity) ? own : "";
}

}  // namespace corvida::logo
