// PDF pages drawn with cairo: each picture becomes an image on its own page, shown with
// nearest-neighbour scaling so that the card's pixels stay sharp.
#include <cairo-pdf.h>
#include <cairo.h>

#include "platform/files.h"
#include "platform/lazy_libs.h"
#include "platform/pdf_pages.h"

namespace corvida {

struct PdfPages::Document {
  std::string bytes;
  cairo_surface_t* surface = nullptr;
  PageSize page;
  ~Document() {
    if (surface) cairo_surface_destroy(surface);
  }
};

PdfPages::PdfPages() = default;
PdfPages::~PdfPages() = default;

bool PdfPages::Start(const PageSetup& setup) {
  doc_.reset();
  pages_ = 0;
  // cairo is opened with the first document (platform/lazy_libs.h).
  if (!LazyAvailable(LazyGroup::kCairo)) return false;
  doc_ = std::make_unique<Document>();
  doc_->page = PaperSize(setup);
  auto append = [](void* closure, const unsigned char* data, unsigned int length) {
    static_cast<Document*>(closure)->bytes.append(reinterpret_cast<const char*>(data), length);
    return CAIRO_STATUS_SUCCESS;
  };
  doc_->surface =
      cairo_pdf_surface_create_for_stream(append, doc_.get(), doc_->page.width, doc_->page.height);
  return cairo_surface_status(doc_->surface) == CAIRO_STATUS_SUCCESS;
}

namespace {

// The picture as cairo's opaque 32-bit pixels (0xXXRRGGBB in the machine's order); null
// when there is no memory for it.
cairo_surface_t* ImageOf(const RgbaView& picture) {
  cairo_surface_t* image =
      cairo_image_surface_create(CAIRO_FORMAT_RGB24, picture.width, picture.height);
  if (cairo_surface_status(image) != CAIRO_STATUS_SUCCESS) {
    cairo_surface_destroy(image);
    return nullptr;
  }
  cairo_surface_flush(image);
  unsigned char* data = cairo_image_surface_get_data(image);
  const int stride = cairo_image_surface_get_stride(image);
  for (int y = 0; y < picture.height; ++y) {
    const uint8_t* src = picture.pixels + size_t(y) * size_t(picture.stride);
    auto* dst = reinterpret_cast<uint32_t*>(data + size_t(y) * size_t(stride));
    for (int x = 0; x < picture.width; ++x, src += 4)
      dst[x] = uint32_t(src[0]) << 16 | uint32_t(src[1]) << 8 | src[2];
  }
  cairo_surface_mark_dirty(image);
  return image;
}

}  // namespace

bool PdfPages::AddPage(const RgbaView& picture) {
  if (!doc_ || !doc_->surface || picture.width <= 0 || picture.height <= 0) return false;
  cairo_surface_t* image = ImageOf(picture);
  if (!image) return false;
  const PagePlacement at = PlacePicture(doc_->page, {picture.width, picture.height});
  cairo_t* cr = cairo_create(doc_->surface);
  cairo_translate(cr, at.x, at.y);
  cairo_scale(cr, at.scale, at.scale);
  cairo_set_source_surface(cr, image, 0, 0);
  cairo_pattern_set_filter(cairo_get_source(cr), CAIRO_FILTER_NEAREST);
  cairo_paint(cr);
  cairo_show_page(cr);
  const bool drawn = cairo_status(cr) == CAIRO_STATUS_SUCCESS;
  cairo_destroy(cr);
  cairo_surface_destroy(image);
  if (drawn) ++pages_;
  return drawn;
}

bool PdfPages::FinishInMemory(std::string& bytes, std::string& error) {
  if (!doc_ || !doc_->surface) {
    error =
        LazyAvailable(LazyGroup::kCairo) ? "no document was started" : LazyError(LazyGroup::kCairo);
    return false;
  }
  cairo_surface_finish(doc_->surface);
  const cairo_status_t status = cairo_surface_status(doc_->surface);
  bytes = std::move(doc_->bytes);
  doc_.reset();
  if (status != CAIRO_STATUS_SUCCESS) {
    error = cairo_status_to_string(status);
    return false;
  }
  return true;
}

bool PdfPages::Finish(const std::string& path, std::string& error) {
  std::string bytes;
  if (!FinishInMemory(bytes, error)) return false;
  if (!WriteFileAtomically(path, bytes)) {
    error = "the file cannot be written";
    return false;
  }
  return true;
}

}  // namespace corvida
