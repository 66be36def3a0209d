// File names for what `corvida export` writes. Names come from stacks (object names,
// stored paths), so each is made safe before it is used below the output folder: no
// separators, no "." or "..", no control characters, a length bound, and names that
// would collide in one folder are numbered.
#pragma once

#include <map>
#include <set>
#include <string>
#include <string_view>

namespace corvida::app {

// The longest name, in bytes, that SafeFileName gives.
inline constexpr size_t kMaxExportNameBytes = 80;

// `utf8` as one file name: separators, control characters, characters other systems
// refuse in names and bytes that are not UTF-8 become '_'; a leading '.' becomes '_';
// trailing dots and spaces go; device names (CON, NUL, ...) get a leading '_'; long
// names are cut at a character boundary, keeping a short extension. Never empty
// ("unnamed").
std::string SafeFileName(std::string_view utf8);

// The names given out in each folder of an export; a name taken (in any letter case, so
// that folders on case-blind disks hold them apart too) gets "-2", "-3", ... before its
// extension.
class NameBook {
 public:
  // A safe, unused name for `wanted` in `folder`, from now on taken.
  std::string Claim(const std::string& folder, std::string_view wanted);

 private:
  std::map<std::string, std::set<std::string>> taken_;  // folder -> lower-case names
};

}  // namespace corvida::app
