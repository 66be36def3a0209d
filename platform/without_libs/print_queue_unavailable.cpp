// Builds without a print queue (the browser build): there is never a printer to send to.
#include "platform/print_queue.h"

namespace corvida {

std::string ParseDefaultDestination(std::string_view) {
  return "";
}

std::string DefaultPrinter(uint32_t) {
  return "";
}

std::unique_ptr<PrintJob> PrintJob::Start(const std::string&, const std::string&, PageSetup::Paper,
                                          std::string, std::string& error) {
  error = "this build does not print";
  return nullptr;
}

}  // namespace corvida
