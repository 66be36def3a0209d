// Paths stored in records (graphics, text fields with an external file, and the launch,
// other-stack, sound-file and movie entries). Records keep them exactly as stored; they
// are converted and resolved here when used.
//
// Stored paths come from old stacks and from the web, so resolution is confined: a path
// resolves only to an existing file inside the stack's own folder, a media folder or the
// download folder. Absolute paths, "..", hidden names, and links that lead outside or to
// hidden names never reach other files.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace corvida {

// The local (Windows-form) path of a stored path: a Macintosh path ("Volume:folder:file")
// has its volume replaced by the first three characters of the stack's path (drive
// letter, colon, backslash) and every colon turned into a backslash; a stored path whose
// second and third characters are colons keeps its drive letter; a path that already
// begins with a drive letter, a colon and a backslash is returned unchanged.
std::string LocalPathFromStored(std::string_view stored, std::string_view stack_path);

// The components of a stored or local path below its volume or drive, or an empty list
// when a component is not an acceptable file name ("", ".", "..", a hidden name starting
// with ".", or one holding a slash or NUL).
std::vector<std::string> StoredPathComponents(std::string_view stored);

// Host folders a stored path may resolve into, in the order they are searched.
struct PathRoots {
  std::string stack_folder;
  std::vector<std::string> media_folders;
  std::string download_folder;
};

// The media folders (the modules' folder excepted) under each non-empty base folder, in
// the order stored paths search them: all of the first base's, then the next's.
std::vector<std::string> MediaFolderPaths(const std::vector<std::string>& bases);

// Whether `path`, with its links followed, lies below `folder` through names that are not
// hidden (none starts with ".").
bool InsideFolder(const std::string& path, const std::string& folder);

// The host path of an existing regular file for a stored path, or "" when there is none
// inside the roots. Each root is tried with the path's trailing components, longest
// first (so "Disk:Stacks:Art:cat.bmp" finds "Art/cat.bmp" or "cat.bmp" in the stack's
// folder); names match without regard to case. `mac_text` says the path's characters are
// Mac Roman (else the Windows character set).
std::string ResolveStoredPath(std::string_view stored, const PathRoots& roots, bool mac_text);

}  // namespace corvida
