// The font service over FreeType: face files are opened once and shared by every size and
// style made from them; each font keeps its own FreeType size object, an advance table
// and a glyph cache for the 256 characters of the Windows character set.
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_SIZES_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <list>
#include <map>
#include <tuple>

#include "platform/charset.h"
#include "platform/face_files.h"
#include "platform/font_names.h"
#include "platform/fonts.h"
#include "platform/fonts_freetype.h"

namespace corvida {
namespace {

// Fonts kept ready by the service; callers may hold more.
constexpr size_t kFontCacheEntries = 64;
// Glyph bytes one font keeps; past this its glyph cache starts afresh.
constexpr size_t kGlyphCacheBytes = size_t{2} << 20;

struct FtLibrary {
  FT_Library library = nullptr;
  ~FtLibrary() {
    if (library) FT_Done_FreeType(library);
  }
};

// One opened face file.
struct FtFace {
  std::shared_ptr<FtLibrary> library;  // outlives the face
  FT_Face face = nullptr;
  std::string design;
  bool symbol = false;     // bytes are the face's own codes
  bool ms_symbol = false;  // ... found at 0xF000 + byte in its symbol character map
  ~FtFace() {
    if (face) FT_Done_Face(face);
  }
};

int ScaleUp(long font_units, int size, int units_per_em) {
  return static_cast<int>(std::ceil(static_cast<double>(font_units) * size / units_per_em));
}
int ScaleRound(long font_units, int size, int units_per_em) {
  return static_cast<int>(std::lround(static_cast<double>(font_units) * size / units_per_em));
}

class FreeTypeFont : public Font {
 public:
  FreeTypeFont(std::shared_ptr<FtFace> face, FT_Size ft_size, int size, uint8_t style,
               bool synth_bold, bool synth_italic)
      : face_(std::move(face)),
        ft_size_(ft_size),
        size_(size),
        style_(style),
        synth_bold_(synth_bold),
        synth_italic_(synth_italic),
        bold_pixels_(synth_bold ? std::max(1, static_cast<int>(std::lround(size / 24.0))) : 0) {
    advances_.fill(-1);
    MapCharacters();
    ComputeMetrics();
  }
  ~FreeTypeFont() override { FT_Done_Size(ft_size_); }

  const FontMetrics& metrics() const override { return metrics_; }
  int underline_offset() const override { return underline_offset_; }
  int underline_thickness() const override { return underline_thickness_; }
  uint8_t style() const override { return style_; }
  int size() const override { return size_; }
  const std::string& design() const override { return face_->design; }

  int Advance(uint8_t ch) override {
    if (advances_[ch] < 0) {
      int base = 0;
      if (!IsControlCharacter(ch) && Load(ch)) {
        base = static_cast<int>((face_->face->glyph->advance.x + 32) >> 6) + bold_pixels_;
      }
      advances_[ch] =
          static_cast<int16_t>(IsControlCharacter(ch) ? 0 : StyledAdvance(base, style_));
    }
    return advances_[ch];
  }

  const CoverageMask& Glyph(uint8_t ch) override {
    if (cached_[ch]) return glyphs_[ch];
    CoverageMask mask;
    if (!IsControlCharacter(ch)) Render(ch, mask);
    const size_t bytes = mask.pixels.size() + sizeof(CoverageMask);
    if (cache_bytes_ + bytes > kGlyphCacheBytes) {
      for (auto& g : glyphs_) g = CoverageMask{};
      cached_.fill(false);
      cache_bytes_ = 0;
    }
    cache_bytes_ += bytes;
    glyphs_[ch] = std::move(mask);
    cached_[ch] = true;
    return glyphs_[ch];
  }

 private:
  void MapCharacters() {
    FT_Face face = face_->face;
    for (int b = 0; b < 256; ++b) {
      char32_t code = face_->ms_symbol ? 0xF000 + b
                      : face_->symbol  ? static_cast<char32_t>(b)
                                       : Windows1252ToUnicode(static_cast<uint8_t>(b));
      glyph_index_[b] = FT_Get_Char_Index(face, code);
    }
  }

  void ComputeMetrics() {
    FT_Face face = face_->face;
    const int em = face->units_per_EM > 0 ? face->units_per_EM : 1000;
    long ascender = face->ascender, descender = -face->descender;
    long line_gap = face->height - (face->ascender - face->descender);
    // Faces made for Windows carry the extents Windows lays lines out with.
    auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    if (os2 && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0) {
      line_gap = std::max<long>(
          0, line_gap - ((os2->usWinAscent + os2->usWinDescent) - (ascender + descender)));
      ascender = os2->usWinAscent;
      descender = os2->usWinDescent;
    }
    metrics_.ascent = std::max(1, ScaleUp(ascender, size_, em));
    metrics_.descent = std::max(0, ScaleUp(descender, size_, em));
    metrics_.leading = std::max(0, ScaleRound(line_gap, size_, em));
    if (style_ & (font_style::kOutline | font_style::kShadow)) {
      metrics_.ascent += 1;
      metrics_.descent += (style_ & font_style::kShadow) ? 2 : 1;
    }
    metrics_.line_height = metrics_.ascent + metrics_.descent + metrics_.leading;
    metrics_.m_height = (size_ * 7 + 5) / 10;
    if (Load('M')) {
      metrics_.m_height = static_cast<int>((face->glyph->metrics.horiBearingY + 63) >> 6);
    }
    // The underline position is the centre of the stroke.
    underline_thickness_ = std::max(1, ScaleRound(face->underline_thickness, size_, em));
    const int centre = ScaleRound(-face->underline_position, size_, em);
    underline_offset_ = std::max(1, centre - underline_thickness_ / 2);
  }

  // Loads the character's outline into the face's glyph slot at this font's size, with
  // the synthesised styles applied.
  bool Load(uint8_t ch) {
    FT_Face face = face_->face;
    if (FT_Activate_Size(ft_size_) != 0) return false;
    if (FT_Load_Glyph(face, glyph_index_[ch], FT_LOAD_DEFAULT | FT_LOAD_NO_BITMAP) != 0) {
      return false;
    }
    FT_GlyphSlot slot = face->glyph;
    if (slot->format != FT_GLYPH_FORMAT_OUTLINE) return true;
    if (synth_bold_) FT_Outline_EmboldenXY(&slot->outline, bold_pixels_ * 64, 0);
    if (synth_italic_) {
      FT_Matrix shear{0x10000, 0x0366A, 0, 0x10000};  // about 12 degrees
      FT_Outline_Transform(&slot->outline, &shear);
    }
    return true;
  }

  void Render(uint8_t ch, CoverageMask& mask) {
    if (!Load(ch)) return;
    FT_GlyphSlot slot = face_->face->glyph;
    if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) != 0) return;
    const FT_Bitmap& bitmap = slot->bitmap;
    if (bitmap.pixel_mode != FT_PIXEL_MODE_GRAY || bitmap.width == 0 || bitmap.rows == 0) return;
    mask.left = slot->bitmap_left;
    mask.top = -slot->bitmap_top;
    mask.width = static_cast<int>(bitmap.width);
    mask.height = static_cast<int>(bitmap.rows);
    mask.pixels.resize(static_cast<size_t>(mask.width) * mask.height);
    for (int y = 0; y < mask.height; ++y) {
      const unsigned char* row =
          bitmap.pitch >= 0
              ? bitmap.buffer + static_cast<ptrdiff_t>(y) * bitmap.pitch
              : bitmap.buffer + static_cast<ptrdiff_t>(mask.height - 1 - y) * -bitmap.pitch;
      std::copy_n(row, mask.width, &mask.pixels[static_cast<size_t>(y) * mask.width]);
    }
    if (style_ & (font_style::kOutline | font_style::kShadow)) {
      MakeHollow(mask, (style_ & font_style::kShadow) != 0);
    }
  }

  std::shared_ptr<FtFace> face_;
  FT_Size ft_size_;
  int size_;
  uint8_t style_;
  bool synth_bold_;
  bool synth_italic_;
  int bold_pixels_;
  FontMetrics metrics_;
  int underline_offset_ = 1;
  int underline_thickness_ = 1;
  std::array<FT_UInt, 256> glyph_index_{};
  std::array<int16_t, 256> advances_{};
  std::array<CoverageMask, 256> glyphs_;
  std::array<bool, 256> cached_{};
  size_t cache_bytes_ = 0;
};

class FreeTypeFontService : public FontService {
 public:
  FreeTypeFontService(std::vector<std::string> folders, FaceFileSource* source)
      : folders_(std::move(folders)), source_(source) {
    auto library = std::make_shared<FtLibrary>();
    if (FT_Init_FreeType(&library->library) == 0) library_ = std::move(library);
    if (library_) {
      for (const FaceFileSet* set : FaceSetsFor(FaceFamily::kSans)) {
        if (FindFile(set->regular).empty() && !(source_ && source_->Has(set->regular))) continue;
        has_faces_ = true;
        found_ += (found_.empty() ? "" : ", ") + std::string(set->design);
      }
    }
  }

  std::shared_ptr<Font> GetFont(std::string_view name, int size, uint8_t style) override {
    const FontMapping mapping = MapFontName(name);
    size = ClampFontSize(size);
    style |= mapping.implied_style;
    const auto key = std::make_tuple(mapping.family, size, style);
    for (auto it = fonts_.begin(); it != fonts_.end(); ++it) {
      if (it->first == key) {
        fonts_.splice(fonts_.begin(), fonts_, it);
        return fonts_.front().second;
      }
    }
    std::shared_ptr<Font> font = MakeFont(mapping.family, size, style);
    fonts_.emplace_front(key, font);
    if (fonts_.size() > kFontCacheEntries) fonts_.pop_back();
    return font;
  }

  bool has_faces() const override { return has_faces_; }

  std::string Describe() const override {
    if (!library_) return "fonts: the font engine could not start; text is not drawn";
    if (!has_faces_) {
      std::string folders;
      for (const std::string& f : folders_) folders += (folders.empty() ? "" : ", ") + f;
      return "fonts: no font files found in " + folders +
             "; text is measured with built-in metrics and not drawn";
    }
    return "fonts: " + found_;
  }

 private:
  using FaceKey = std::tuple<FaceFamily, bool, bool>;
  struct ResolvedFace {
    std::shared_ptr<FtFace> face;
    bool synth_bold = false;
    bool synth_italic = false;
  };

  std::shared_ptr<Font> MakeFont(FaceFamily family, int size, uint8_t style) {
    const bool bold = style & font_style::kBold;
    const bool italic = style & font_style::kItalic;
    const ResolvedFace resolved = Resolve(family, bold, italic);
    FT_Size ft_size = nullptr;
    if (resolved.face && FT_New_Size(resolved.face->face, &ft_size) == 0) {
      if (FT_Activate_Size(ft_size) == 0 &&
          FT_Set_Pixel_Sizes(resolved.face->face, 0, static_cast<FT_UInt>(size)) == 0) {
        return std::make_shared<FreeTypeFont>(resolved.face, ft_size, size, style,
                                              resolved.synth_bold, resolved.synth_italic);
      }
      FT_Done_Size(ft_size);
    }
    return MakeBuiltinFont(size, style);
  }

  // The face for a family and style: the first face set with a usable regular file wins;
  // within it the file of the wanted style, else the nearest one with the rest made up.
  ResolvedFace Resolve(FaceFamily family, bool bold, bool italic) {
    const FaceKey key{family, bold, italic};
    if (auto it = resolved_.find(key); it != resolved_.end()) return it->second;
    ResolvedFace result;
    if (library_) {
      for (const FaceFileSet* set : FaceSetsFor(family)) {
        auto regular = OpenFace(set->regular, *set);
        if (!regular) continue;
        struct Choice {
          const char* file;
          bool has_bold;
          bool has_italic;
        };
        const Choice choices[] = {{bold && italic ? set->bold_italic : nullptr, true, true},
                                  {bold ? set->bold : nullptr, true, false},
                                  {italic ? set->italic : nullptr, false, true}};
        result = {regular, bold, italic};
        for (const Choice& c : choices) {
          if (!c.file) continue;
          if (auto face = OpenFace(c.file, *set)) {
            result = {face, bold && !c.has_bold, italic && !c.has_italic};
            break;
          }
        }
        break;
      }
    }
    resolved_[key] = result;
    return result;
  }

  std::shared_ptr<FtFace> OpenFace(const char* file, const FaceFileSet& set) {
    if (auto it = faces_.find(file); it != faces_.end()) return it->second;
    std::shared_ptr<FtFace> face;
    std::string path = FindFile(file);
    if (path.empty() && source_ && source_->Has(file)) path = source_->Fetch(file);
    if (!path.empty()) {
      auto opened = std::make_shared<FtFace>();
      opened->library = library_;
      if (FT_New_Face(library_->library, path.c_str(), 0, &opened->face) == 0 &&
          FT_IS_SCALABLE(opened->face) && opened->face->units_per_EM > 0) {
        opened->design = set.design;
        opened->symbol = set.symbol;
        if (FT_Select_Charmap(opened->face, FT_ENCODING_UNICODE) != 0) {
          opened->ms_symbol = FT_Select_Charmap(opened->face, FT_ENCODING_MS_SYMBOL) == 0;
        }
        face = std::move(opened);
      }
    }
    faces_[file] = face;  // a missing or broken file is not tried again
    return face;
  }

  std::string FindFile(const std::string& file) {
    for (const std::string& folder : folders_) {
      std::error_code error;
      const std::filesystem::path path = std::filesystem::path(folder) / file;
      if (std::filesystem::is_regular_file(path, error)) return path.string();
    }
    return {};
  }

  std::vector<std::string> folders_;
  FaceFileSource* source_;
  std::shared_ptr<FtLibrary> library_;
  bool has_faces_ = false;
  std::string found_;  // designs whose regular face was found
  std::map<std::string, std::shared_ptr<FtFace>> faces_;
  std::map<FaceKey, ResolvedFace> resolved_;
  std::list<std::pair<std::tuple<FaceFamily, int, uint8_t>, std::shared_ptr<Font>>> fonts_;
};

}  // namespace

std::unique_ptr<FontService> CreateFontService(std::vector<std::string> folders,
                                               FaceFileSource* source) {
  return std::make_unique<FreeTypeFontService>(std::move(folders), source);
}

std::unique_ptr<FontService> CreateFontService(std::vector<std::string> folders) {
  return CreateFontService(std::move(folders), nullptr);
}

}  // namespace corvida
