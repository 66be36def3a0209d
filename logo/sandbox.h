// Where scripts may keep files. Tarrow scripts come with stacks from the web, so every
// file name a script gives is checked here before the disk is touched: it is taken
// relative to the prefix inside one folder per stack, it may not start with a separator,
// hold a drive or volume colon, or have a ".." component, and no component on the way may
// be a symbolic link; files are then opened and changed by walking down from the folder
// without following links (platform's *Beneath calls), so a link swapped in after the
// check is refused too. The media folders beside the program can be read (never written)
// by naming them first ("CVArt\\notes.txt"). Anything else is refused.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "logo/interp.h"
#include "platform/files.h"
#include "platform/platform.h"

namespace corvida::logo {

class Sandbox {
 public:
  Sandbox(std::string folder, std::vector<NamedFolder> media, FileQuota quota = {});

  enum class Use { kRead, kWrite };
  struct Target {
    std::string host;        // the host path, for names and logs
    std::string root;        // the folder the walk starts from
    std::string relative;    // the path below it, '/'-separated ("" for the root)
    bool exists = false;     // a file or folder is there
    bool read_only = false;  // found in a media folder

    File Open(File::Mode mode) const { return File::OpenBeneath(root, relative, mode); }
  };
  // Resolves a script's file name (Mac Roman) against the prefix. False when the name is
  // refused or the folder cannot be had. Reads fall back to the media folders when the
  // name is not in the folder. Letter case is matched loosely, as on the systems stacks
  // were made on, when the exact name is not there.
  bool Resolve(std::string_view name, Use use, Target& out);

  // The prefix as scripts see it: relative to the folder, components separated by
  // backslashes, the empty text at the folder itself.
  const std::string& prefix() const { return prefix_text_; }
  // Sets the prefix to a folder given relative to the sandbox folder ("" is the folder).
  bool SetPrefix(std::string_view path);
  // Host path of the prefix folder; "" when the sandbox folder cannot be had.
  std::string PrefixFolder();
  bool available() const { return !folder_.empty(); }

  // The quota: false, changing nothing, when `entries` more files or folders and `bytes`
  // more bytes would pass it; else they are counted as used. What the folder holds is
  // measured once, when first asked; the file primitives report every change after that.
  bool Reserve(int64_t bytes, int64_t entries);
  void Released(int64_t bytes, int64_t entries);
  // Tells the loose-case lookup of a name that appeared or went.
  void Added(const std::string& host);
  void Removed(const std::string& host);

 private:
  // Splits and checks a name; false when it is refused. Components come out in UTF-8.
  static bool SplitName(std::string_view mac_name, std::vector<std::string>& parts);
  // Walks parts below root: symbolic links refused, loose letter case matched.
  bool Walk(const std::string& root, const std::vector<std::string>& parts, Target& out);
  // The on-disk name in `folder` that matches `name` loosely, or "".
  std::string LooseMatch(const std::string& folder, const std::string& name);
  bool EnsureFolder();
  void Measure();

  // Per folder (host path): upper-cased names to the names on disk, filled on the first
  // loose lookup there and kept up by our own changes, so creating many files does not
  // list the folder each time. Listed again when the folder changed behind our back.
  struct LooseNames {
    int64_t modified = 0;
    std::unordered_map<std::string, std::string> names;
  };
  LooseNames& LooseNamesOf(const std::string& folder);
  std::unordered_map<std::string, LooseNames> loose_;
  int64_t used_bytes_ = 0;
  int64_t used_entries_ = 0;
  bool measured_ = false;

  std::string folder_;
  std::vector<NamedFolder> media_;
  FileQuota quota_;
  bool folder_made_ = false;
  std::vector<std::string> prefix_parts_;  // on-disk names, UTF-8
  std::string prefix_text_;                // Mac Roman, '\\' separated
};

// The folder of one stack's script files under the user's data folder; `stack_key`
// names the stack (its URL or path) and picks a folder of its own.
std::string StackFilesFolder(const std::string& data_folder, std::string_view stack_key);
// The folder of the stack whose identity (StackIdentity) is given: the one named after its
// key when that is unclaimed or already this stack's, else one named after both. "" when
// neither can be had, and the stack's scripts then reach no files.
std::string OwnedStackFilesFolder(const std::string& data_folder, std::string_view stack_key,
                                  const std::string& identity);
// The media folders scripts may read: copies in the data folder first, then those
// beside the program.
std::vector<NamedFolder> ScriptMediaFolders(const Folders& folders);

}  // namespace corvida::logo
