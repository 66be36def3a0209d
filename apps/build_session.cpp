#include "apps/build_session.h"

#include <cstdio>

#include "apps/terminal.h"
#include "platform/charset.h"
#include "player/stack_open.h"

namespace corvida::app {

namespace {

StackHooks CommandLineHooks(Alerts& alerts) {
  StackHooks hooks;
  hooks.alert = [&alerts](int id) { return alerts.Alert(id); };
  hooks.report_file_error = [&alerts](int code) { alerts.ReportFileError(code); };
  return hooks;
}

}  // namespace

StackSession::StackSession() : alerts_(presenter_), stack_(handles_, CommandLineHooks(alerts_)) {
  presenter_.SetObserver([](const AlertRequest& request) {
    std::fprintf(stderr, "corvida: %s\n", EscapeControls(Windows1252ToUtf8(request.text)).c_str());
  });
}

int StackSession::Open(const std::string& path) {
  // A local stack that cannot be opened is reported, never deleted.
  return OpenStackWithAlerts(stack_, alerts_, path, {}, StackAsking::kHeadless).code;
}

std::string ShownText(const std::string& windows_text) {
  return Windows1252ToUtf8(windows_text);
}

}  // namespace corvida::app
