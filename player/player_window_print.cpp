// Page Setup and Print: every card of the stack, as it shows when arrived at, on a page of
// its own in a PDF file the user names. The page setup is kept in the preferences.
#include "base/strings.h"
#include "platform/files.h"
#include "platform/pdf_pages.h"
#include "platform/text.h"
#include "player/player_window.h"

namespace corvida {
namespace {

constexpr std::string_view kPrintSection = "print";

PageSetup ReadPageSetup(const Prefs& prefs) {
  PageSetup setup;
  if (EqualsIgnoringCase(prefs.ReadPref(kPrintSection, "Paper"), "Letter"))
    setup.paper = PageSetup::Paper::kLetter;
  if (EqualsIgnoringCase(prefs.ReadPref(kPrintSection, "Orientation"), "Portrait"))
    setup.landscape = false;
  return setup;
}

void WritePageSetup(Prefs& prefs, const PageSetup& setup) {
  prefs.WritePref(kPrintSection, "Paper",
                  setup.paper == PageSetup::Paper::kLetter ? "Letter" : "A4");
  prefs.WritePref(kPrintSection, "Orientation", setup.landscape ? "Landscape" : "Portrait");
}

}  // namespace

std::string PlayerWindow::StackBaseName() const {
  std::string base = PathFileName(player_.stack.path());
  if (const size_t dot = base.find_last_of('.'); dot != std::string::npos && dot > 0)
    base.resize(dot);
  return base.empty() ? "Untitled" : base;
}

void PlayerWindow::AskPageSetup() {
  PageSetup setup = ReadPageSetup(player_.prefs);
  if (questions_->AskPageSetup(setup)) WritePageSetup(player_.prefs, setup);
}

void PlayerWindow::Print() {
  Stack& stack = player_.stack;
  if (!stack.is_open() || stack.CardCount() == 0) return;
  if (print_job_) return Log("still printing");  // one document in the queue at a time
  const std::string printer = print_queue_ ? DefaultPrinter() : "";
  std::optional<std::string> path;
  if (printer.empty() && !(path = questions_->ChoosePrintPath(StackBaseName() + ".pdf"))) return;
  field_input_->StoreTyped();  // the text typed on the shown card is printed too
  PdfPages pdf;
  const PageSetup setup = ReadPageSetup(player_.prefs);
  bool drawn = pdf.Start(setup) && ComposePages(pdf);
  std::string error, document;
  if (!drawn || (path ? !pdf.Finish(*path, error) : !pdf.FinishInMemory(document, error))) {
    Log("not printed" + (error.empty() ? std::string() : ": " + error));
    player_.alerts.Alert(strid::kIoError);
    return;
  }
  if (path) {
    Log("printed " + std::to_string(pdf.pages()) + " cards to " + Quoted(PathFileName(*path)));
    return;
  }
  // The queue takes the document while the player goes on; CheckPrintJob reports.
  print_job_ = PrintJob::Start(printer, StackBaseName(), setup.paper, std::move(document), error);
  print_destination_ = printer;
  print_pages_ = pdf.pages();
  Log("printing " + std::to_string(print_pages_) + " cards on " + Quoted(printer));
  if (!print_job_) {
    Log("not printed: " + error);
    player_.alerts.AskWithNames(strid::kPrintFailed, {printer, error}, 1);
    return;
  }
  CheckPrintJob();
}

// Every card as it shows on arrival, on a page of its own. A view of its own draws them,
// so the shown card stays as it is; files its cards miss are asked for when a card
// naming them shows, not now.
bool PlayerWindow::ComposePages(PdfPages& pdf) {
  Stack& stack = player_.stack;
  CardView printer(player_.handles, stack, view().services());
  printer.options() = view().options();
  printer.options().outlines_shown = false;
  composing_elsewhere_ = true;
  bool drawn = true;
  gfx::Bitmap card;
  std::vector<uint8_t> rgba;
  for (int number = 1; drawn && number <= stack.CardCount(); ++number) {
    drawn = printer.ShowCard(stack.CardAt(number), 0, 0, true, nullptr);
    if (!drawn) break;
    printer.Compose(card);
    card.palette = printer.palette();
    drawn = pdf.AddPage(gfx::ConvertToRgba(card, &card.palette, rgba));
  }
  composing_elsewhere_ = false;
  return drawn;
}

void PlayerWindow::CheckPrintJob() {
  if (!print_job_) return;
  if (!print_job_->Step()) {
    if (print_job_->ElapsedMs() < kPrintPatienceMs) return;
    print_job_->Cancel();
  }
  std::unique_ptr<PrintJob> job = std::move(print_job_);
  if (job->succeeded()) {
    Log("printed " + std::to_string(print_pages_) + " cards on " + Quoted(print_destination_));
    return;
  }
  Log("not printed: " + job->error());
  player_.alerts.AskWithNames(strid::kPrintFailed, {print_destination_, job->error()}, 1);
}

void PlayerWindow::SettlePrinting(uint32_t ms) {
  if (!print_job_) return;
  print_job_->WaitFor(ms);
  CheckPrintJob();
}

}  // namespace corvida
