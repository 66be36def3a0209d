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
  auto path = questions_->ChoosePrintPath(StackBaseName() + ".pdf");
  if (!path) return;
  field_input_->StoreTyped();  // the text typed on the shown card is printed too
  // A view of its own draws each card, so the shown one stays as it is.
  // Files its cards miss are asked for when a card naming them shows, not now.
  CardView printer(player_.handles, stack, view().services());
  composing_elsewhere_ = true;
  printer.options() = view().options();
  printer.options().outlines_shown = false;
  PdfPages pdf;
  bool drawn = pdf.Start(ReadPageSetup(player_.prefs));
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
  std::string error;
  if (!drawn || !pdf.Finish(*path, error)) {
    Log("not printed" + (error.empty() ? std::string() : ": " + error));
    player_.alerts.Alert(strid::kIoError);
    return;
  }
  Log("printed " + std::to_string(pdf.pages()) + " cards to " + Quoted(PathFileName(*path)));
}

}  // namespace corvida
