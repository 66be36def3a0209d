// The desktop's print queue: the `lpstat` and `lp` commands of the machine's printing
// system. They are started with an argument list, never through a shell, and are never
// waited for without a bound: a printing system that hangs cannot hang the player.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/pdf_pages.h"

namespace corvida {

// How long the question for the default destination may take, in real milliseconds.
inline constexpr uint32_t kPrinterQueryMs = 3000;

// The destination `lpstat -d` names as the system's default ("system default
// destination: NAME"); "" when the text names none. Only printable names of at most 127
// characters are taken.
std::string ParseDefaultDestination(std::string_view lpstat_output);

// The default destination of this machine's print queue; "" when there is no `lp` or
// `lpstat` on the PATH, no default, or no answer within `limit_ms`.
std::string DefaultPrinter(uint32_t limit_ms = kPrinterQueryMs);

// A document on its way into the queue: `lp` reads it from its standard input, which is
// fed as `lp` takes it, so the caller never blocks on it.
class PrintJob {
 public:
  // Starts `lp -d DESTINATION -t TITLE -o media=A4|Letter` with the document; null, with
  // `error` saying why, when it cannot be started.
  static std::unique_ptr<PrintJob> Start(const std::string& destination, const std::string& title,
                                         PageSetup::Paper paper, std::string document,
                                         std::string& error);
  virtual ~PrintJob() = default;
  // Feeds the document and reads what lp says without blocking; true once lp has ended.
  virtual bool Step() = 0;
  // Waits at most `ms` real milliseconds for lp to end; true once it has.
  virtual bool WaitFor(uint32_t ms) = 0;
  // Real milliseconds since the job started.
  virtual uint32_t ElapsedMs() const = 0;
  // Ends lp now (it took too long); the job has then failed.
  virtual void Cancel() = 0;
  // After the end: true when lp took the whole document and ended with status 0.
  virtual bool succeeded() const = 0;
  // Why it failed, in a few words: the first line lp wrote to its error output, else its
  // exit status.
  virtual std::string error() const = 0;
};

}  // namespace corvida
