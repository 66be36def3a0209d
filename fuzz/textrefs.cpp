// Small parsers of untrusted bytes: file references stored in records, alert strings
// (the current-message buffer can hold text from files), UTF-8 typed by users, and
// Windows-form paths named by stacks (which must never leave their drive's folder).
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "platform/charset.h"
#include "stackfile/fileslots.h"
#include "stackfile/mactext.h"
#include "ui/alerts.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace corvida;
  std::span<const uint8_t> bytes(data, size);
  std::string text(reinterpret_cast<const char*>(data), size);

  FileReference ref;
  int used = ParseFileReference(bytes, ref);
  if (used > static_cast<int>(size)) __builtin_trap();

  AlertSpec spec;
  if (ParseAlertString(text, spec)) {
    if (spec.buttons.empty() || spec.buttons.size() > 3) __builtin_trap();
    AlertLayout layout = LayoutAlert(spec, true);
    if (layout.buttons.size() != spec.buttons.size()) __builtin_trap();
  }
  (void)FormatSizeMessage(text, 136, 40);

  std::string windows = Utf8ToWindows1252(text);
  if (Utf8ToWindows1252(Windows1252ToUtf8(text)) != text) __builtin_trap();
  if (WindowsToMac(MacToWindows(text)) != text) __builtin_trap();

  static PathMap map = [] {
    PathMap m;
    m.SetDrive('C', "/nonexistent-corvida-root");
    return m;
  }();
  std::string host = map.ToHost(text.substr(0, 300));
  if (!host.empty() && host.rfind("/nonexistent-corvida-root", 0) != 0) __builtin_trap();
  if (host.find("/../") != std::string::npos) __builtin_trap();
  return 0;
}
