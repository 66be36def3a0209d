// Which font files stand in for the font names stacks use. Stacks name classic Mac and
// Windows fonts (Geneva, Chicago, Helvetica, Times New Roman, MS Sans Serif, ...) that no
// machine of ours has; each name is mapped to a family of free faces with the closest
// metrics, and each family to the files that may hold it, best first.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace corvida {

// Families of faces a font name can be mapped to.
enum class FaceFamily : uint8_t {
  kSans,        // Helvetica, Arial, Geneva, MS Sans Serif, ... and every unknown name
  kWideSans,    // Verdana
  kNarrowSans,  // Arial Narrow, Helvetica Narrow
  kSerif,       // Times, Times New Roman, New York, MS Serif
  kBookSerif,   // Palatino, Book Antiqua
  kBookman,     // Bookman
  kSchoolbook,  // New Century Schoolbook
  kGothic,      // Avant Garde, Century Gothic
  kMono,        // Courier, Courier New
  kSansMono,    // Monaco, Lucida Console
  kSymbol,      // Symbol: bytes are the symbol font's own codes
  kDingbats,    // Zapf Dingbats
  kChancery,    // Zapf Chancery
};

struct FontMapping {
  FaceFamily family = FaceFamily::kSans;
  // Style bits the name itself implies (Chicago and System are bold system fonts).
  uint8_t implied_style = 0;
  bool known = false;  // false: the name was not recognised and maps to the default sans
};

// Maps a font name (ASCII case and spaces, hyphens and underscores ignored) to a family.
FontMapping MapFontName(std::string_view name);

// One set of face files: the regular, bold, italic and bold-italic files of one design
// (null where the design has no such file). `symbol` faces take bytes as their own codes.
struct FaceFileSet {
  const char* design;
  const char* regular;
  const char* bold;
  const char* italic;
  const char* bold_italic;
  bool symbol;
};

// The face sets to try for a family, best first; every other text face set follows, so
// that any text font file found serves as a last resort.
std::vector<const FaceFileSet*> FaceSetsFor(FaceFamily family);

// Folders searched for face files: "fonts" beside the program, "fonts" in the data
// folder (for bundled faces), then the system's font folders.
std::vector<std::string> DefaultFontFolders(const std::string& program_folder,
                                            const std::string& data_folder);

}  // namespace corvida
