#include "platform/font_names.h"

#include <array>

#include "platform/fonts.h"

namespace corvida {
namespace {

constexpr uint8_t kBold = font_style::kBold;

struct NameEntry {
  const char* name;  // lower case, without spaces, hyphens and underscores
  FaceFamily family;
  uint8_t implied_style;
};

// Classic Mac and Windows names, and the names of the free faces themselves.
constexpr NameEntry kNames[] = {
    // Sans: Helvetica and Arial share their metrics with Liberation Sans; Geneva and the
    // Windows dialog fonts are closest to it among the faces we have.
    {"helvetica", FaceFamily::kSans, 0},
    {"arial", FaceFamily::kSans, 0},
    {"geneva", FaceFamily::kSans, 0},
    {"mssansserif", FaceFamily::kSans, 0},
    {"microsoftsansserif", FaceFamily::kSans, 0},
    {"sansserif", FaceFamily::kSans, 0},
    {"smallfonts", FaceFamily::kSans, 0},
    {"msshelldlg", FaceFamily::kSans, 0},
    {"msshelldlg2", FaceFamily::kSans, 0},
    {"tahoma", FaceFamily::kSans, 0},
    {"lucidagrande", FaceFamily::kSans, 0},
    {"lucidasans", FaceFamily::kSans, 0},
    {"trebuchetms", FaceFamily::kSans, 0},
    {"comicsansms", FaceFamily::kSans, 0},
    {"liberationsans", FaceFamily::kSans, 0},
    {"nimbussans", FaceFamily::kSans, 0},
    {"dejavusans", FaceFamily::kWideSans, 0},
    // The classic system fonts are heavy sans faces.
    {"chicago", FaceFamily::kSans, kBold},
    {"charcoal", FaceFamily::kSans, kBold},
    {"system", FaceFamily::kSans, kBold},
    {"arialblack", FaceFamily::kSans, kBold},
    {"verdana", FaceFamily::kWideSans, 0},
    {"arialnarrow", FaceFamily::kNarrowSans, 0},
    {"helveticanarrow", FaceFamily::kNarrowSans, 0},
    {"nimbussansnarrow", FaceFamily::kNarrowSans, 0},
    // Serif.
    {"times", FaceFamily::kSerif, 0},
    {"timesroman", FaceFamily::kSerif, 0},
    {"timesnewroman", FaceFamily::kSerif, 0},
    {"newyork", FaceFamily::kSerif, 0},
    {"msserif", FaceFamily::kSerif, 0},
    {"serif", FaceFamily::kSerif, 0},
    {"georgia", FaceFamily::kSerif, 0},
    {"liberationserif", FaceFamily::kSerif, 0},
    {"nimbusroman", FaceFamily::kSerif, 0},
    {"dejavuserif", FaceFamily::kSerif, 0},
    {"palatino", FaceFamily::kBookSerif, 0},
    {"palatinolinotype", FaceFamily::kBookSerif, 0},
    {"bookantiqua", FaceFamily::kBookSerif, 0},
    {"bookman", FaceFamily::kBookman, 0},
    {"bookmanoldstyle", FaceFamily::kBookman, 0},
    {"newcenturyschlbk", FaceFamily::kSchoolbook, 0},
    {"newcenturyschoolbook", FaceFamily::kSchoolbook, 0},
    {"centuryschoolbook", FaceFamily::kSchoolbook, 0},
    {"century", FaceFamily::kSchoolbook, 0},
    {"avantgarde", FaceFamily::kGothic, 0},
    {"itcavantgarde", FaceFamily::kGothic, 0},
    {"centurygothic", FaceFamily::kGothic, 0},
    // Fixed pitch.
    {"courier", FaceFamily::kMono, 0},
    {"couriernew", FaceFamily::kMono, 0},
    {"fixedsys", FaceFamily::kMono, 0},
    {"terminal", FaceFamily::kMono, 0},
    {"liberationmono", FaceFamily::kMono, 0},
    {"monaco", FaceFamily::kSansMono, 0},
    {"lucidaconsole", FaceFamily::kSansMono, 0},
    {"andalemono", FaceFamily::kSansMono, 0},
    {"consolas", FaceFamily::kSansMono, 0},
    {"dejavusansmono", FaceFamily::kSansMono, 0},
    // Symbol faces and script.
    {"symbol", FaceFamily::kSymbol, 0},
    {"zapfdingbats", FaceFamily::kDingbats, 0},
    {"itczapfdingbats", FaceFamily::kDingbats, 0},
    {"zapfchancery", FaceFamily::kChancery, 0},
    {"itczapfchancery", FaceFamily::kChancery, 0},
    {"applechancery", FaceFamily::kChancery, 0},
};

constexpr FaceFileSet kLiberationSans{
    "Liberation Sans",           "LiberationSans-Regular.ttf",    "LiberationSans-Bold.ttf",
    "LiberationSans-Italic.ttf", "LiberationSans-BoldItalic.ttf", false};
constexpr FaceFileSet kNimbusSans{
    "Nimbus Sans",           "NimbusSans-Regular.otf",    "NimbusSans-Bold.otf",
    "NimbusSans-Italic.otf", "NimbusSans-BoldItalic.otf", false};
constexpr FaceFileSet kDejaVuSans{"DejaVu Sans",
                                  "DejaVuSans.ttf",
                                  "DejaVuSans-Bold.ttf",
                                  "DejaVuSans-Oblique.ttf",
                                  "DejaVuSans-BoldOblique.ttf",
                                  false};
constexpr FaceFileSet kNimbusSansNarrow{
    "Nimbus Sans Narrow",           "NimbusSansNarrow-Regular.otf",     "NimbusSansNarrow-Bold.otf",
    "NimbusSansNarrow-Oblique.otf", "NimbusSansNarrow-BoldOblique.otf", false};
constexpr FaceFileSet kLiberationSerif{
    "Liberation Serif",           "LiberationSerif-Regular.ttf",    "LiberationSerif-Bold.ttf",
    "LiberationSerif-Italic.ttf", "LiberationSerif-BoldItalic.ttf", false};
constexpr FaceFileSet kNimbusRoman{
    "Nimbus Roman",           "NimbusRoman-Regular.otf",    "NimbusRoman-Bold.otf",
    "NimbusRoman-Italic.otf", "NimbusRoman-BoldItalic.otf", false};
constexpr FaceFileSet kDejaVuSerif{"DejaVu Serif",
                                   "DejaVuSerif.ttf",
                                   "DejaVuSerif-Bold.ttf",
                                   "DejaVuSerif-Italic.ttf",
                                   "DejaVuSerif-BoldItalic.ttf",
                                   false};
constexpr FaceFileSet kP052{
    "P052", "P052-Roman.otf", "P052-Bold.otf", "P052-Italic.otf", "P052-BoldItalic.otf", false};
constexpr FaceFileSet kBookmanSet{"URW Bookman",
                                  "URWBookman-Light.otf",
                                  "URWBookman-Demi.otf",
                                  "URWBookman-LightItalic.otf",
                                  "URWBookman-DemiItalic.otf",
                                  false};
constexpr FaceFileSet kC059{
    "C059", "C059-Roman.otf", "C059-Bold.otf", "C059-Italic.otf", "C059-BdIta.otf", false};
constexpr FaceFileSet kGothicSet{"URW Gothic",
                                 "URWGothic-Book.otf",
                                 "URWGothic-Demi.otf",
                                 "URWGothic-BookOblique.otf",
                                 "URWGothic-DemiOblique.otf",
                                 false};
constexpr FaceFileSet kLiberationMono{
    "Liberation Mono",           "LiberationMono-Regular.ttf",    "LiberationMono-Bold.ttf",
    "LiberationMono-Italic.ttf", "LiberationMono-BoldItalic.ttf", false};
constexpr FaceFileSet kNimbusMono{
    "Nimbus Mono PS",          "NimbusMonoPS-Regular.otf",    "NimbusMonoPS-Bold.otf",
    "NimbusMonoPS-Italic.otf", "NimbusMonoPS-BoldItalic.otf", false};
constexpr FaceFileSet kDejaVuMono{"DejaVu Sans Mono",
                                  "DejaVuSansMono.ttf",
                                  "DejaVuSansMono-Bold.ttf",
                                  "DejaVuSansMono-Oblique.ttf",
                                  "DejaVuSansMono-BoldOblique.ttf",
                                  false};
constexpr FaceFileSet kSymbolSet{
    "Standard Symbols PS", "StandardSymbolsPS.otf", nullptr, nullptr, nullptr, true};
constexpr FaceFileSet kDingbatSet{"D050000L", "D050000L.otf", nullptr, nullptr, nullptr, true};
// The chancery design is italic by nature: its one file serves both slants.
constexpr FaceFileSet kChancerySet{
    "Z003", "Z003-MediumItalic.otf", nullptr, "Z003-MediumItalic.otf", nullptr, false};

// The sets that may stand in for any text, in the order they serve as a last resort. The
// symbol faces are left out: they would turn letters into other signs.
constexpr std::array<const FaceFileSet*, 15> kAllTextSets = {
    &kLiberationSans, &kNimbusSans,     &kDejaVuSans, &kLiberationSerif, &kNimbusRoman,
    &kDejaVuSerif,    &kLiberationMono, &kNimbusMono, &kDejaVuMono,      &kNimbusSansNarrow,
    &kP052,           &kBookmanSet,     &kC059,       &kGothicSet,       &kChancerySet};

std::vector<const FaceFileSet*> PreferredSets(FaceFamily family) {
  switch (family) {
    case FaceFamily::kSans:
      return {&kLiberationSans, &kNimbusSans, &kDejaVuSans};
    case FaceFamily::kWideSans:
      return {&kDejaVuSans, &kLiberationSans, &kNimbusSans};
    case FaceFamily::kNarrowSans:
      return {&kNimbusSansNarrow, &kLiberationSans, &kNimbusSans};
    case FaceFamily::kSerif:
      return {&kLiberationSerif, &kNimbusRoman, &kDejaVuSerif};
    case FaceFamily::kBookSerif:
      return {&kP052, &kLiberationSerif, &kNimbusRoman};
    case FaceFamily::kBookman:
      return {&kBookmanSet, &kLiberationSerif, &kNimbusRoman};
    case FaceFamily::kSchoolbook:
      return {&kC059, &kLiberationSerif, &kNimbusRoman};
    case FaceFamily::kGothic:
      return {&kGothicSet, &kLiberationSans, &kNimbusSans};
    case FaceFamily::kMono:
      return {&kLiberationMono, &kNimbusMono, &kDejaVuMono};
    case FaceFamily::kSansMono:
      return {&kDejaVuMono, &kLiberationMono, &kNimbusMono};
    case FaceFamily::kSymbol:
      return {&kSymbolSet};
    case FaceFamily::kDingbats:
      return {&kDingbatSet};
    case FaceFamily::kChancery:
      return {&kChancerySet, &kLiberationSerif, &kNimbusRoman};
  }
  return {};
}

char LowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

FontMapping MapFontName(std::string_view name) {
  std::string key;
  key.reserve(name.size());
  for (char c : name) {
    if (c == ' ' || c == '-' || c == '_' || c == '\t') continue;
    key.push_back(LowerAscii(c));
  }
  for (const NameEntry& entry : kNames) {
    if (key == entry.name) return {entry.family, entry.implied_style, true};
  }
  return {};
}

std::vector<const FaceFileSet*> FaceSetsFor(FaceFamily family) {
  std::vector<const FaceFileSet*> sets = PreferredSets(family);
  for (const FaceFileSet* set : kAllTextSets) {
    bool listed = false;
    for (const FaceFileSet* s : sets) listed = listed || s == set;
    if (!listed) sets.push_back(set);
  }
  return sets;
}

std::vector<std::string> DefaultFontFolders(const std::string& program_folder,
                                            const std::string& data_folder) {
  std::vector<std::string> folders;
  if (!program_folder.empty()) folders.push_back(program_folder + "/fonts");
  if (!data_folder.empty()) folders.push_back(data_folder + "/fonts");
  for (const char* system :
       {"/usr/share/fonts/truetype/liberation2", "/usr/share/fonts/truetype/liberation",
        "/usr/share/fonts/truetype/dejavu", "/usr/share/fonts/opentype/urw-base35",
        "/usr/local/share/fonts"}) {
    folders.push_back(system);
  }
  return folders;
}

}  // namespace corvida
