// Printing: cards become the pages of a PDF file, one picture a page, on the paper size
// and orientation of the page setup. The file is made in memory and written in one step,
// so a failed print never leaves half a file.
#pragma once

#include <memory>
#include <string>

#include "platform/types.h"
#include "platform/window.h"

namespace corvida {

struct PageSetup {
  enum class Paper { kA4, kLetter };
  Paper paper = Paper::kA4;
  bool landscape = true;  // most cards are wider than tall
};

// A page's size in points (1/72 inch).
struct PageSize {
  double width = 0;
  double height = 0;
};
PageSize PaperSize(const PageSetup& setup);

// Where a picture goes on its page: centred within margins of kPageMargin points, as
// large as fits with its proportions kept. `x`, `y` are its top left corner in points
// from the page's top left, `scale` points per pixel.
inline constexpr double kPageMargin = 36;
struct PagePlacement {
  double x = 0;
  double y = 0;
  double scale = 1;
};
PagePlacement PlacePicture(const PageSize& page, Size pixels);

class PdfPages {
 public:
  PdfPages();
  ~PdfPages();
  PdfPages(const PdfPages&) = delete;
  PdfPages& operator=(const PdfPages&) = delete;

  // Starts a document; false when this build cannot make one.
  bool Start(const PageSetup& setup);
  // Adds one page showing the picture (alpha ignored), its pixels kept as they are.
  bool AddPage(const RgbaView& picture);
  int pages() const { return pages_; }
  // Ends the document and writes it to `path` (replacing a file there at once); false
  // with `error` saying why when anything failed.
  bool Finish(const std::string& path, std::string& error);
  // The same, the document's bytes handed back instead (for the print queue).
  bool FinishInMemory(std::string& bytes, std::string& error);

 private:
  struct Document;
  std::unique_ptr<Document> doc_;
  int pages_ = 0;
};

}  // namespace corvida
