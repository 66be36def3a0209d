// Builds without cairo (the browser build): nothing is printed.
#include "platform/pdf_pages.h"

namespace corvida {

struct PdfPages::Document {};

PdfPages::PdfPages() = default;
PdfPages::~PdfPages() = default;

bool PdfPages::Start(const PageSetup&) {
  return false;
}

bool PdfPages::AddPage(const RgbaView&) {
  return false;
}

bool PdfPages::Finish(const std::string&, std::string& error) {
  error = "this build does not print";
  return false;
}

bool PdfPages::FinishInMemory(std::string&, std::string& error) {
  error = "this build does not print";
  return false;
}

}  // namespace corvida
