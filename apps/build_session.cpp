#include "apps/build_session.h"

#include <cstdio>

#include "apps/terminal.h"
#include "platform/charset.h"
#include "player/stack_open.h"

namespace corvida::app {

StackSession::StackSession() : alerts_(presenter_), stack_(handles_) {
  presenter_.SetObserver([](const AlertRequest& request) {
    std::fprintf(stderr, "corvida: %s\n", EscapeControls(Windows1252ToUtf8(request.text)).c_str());
  });
}

int StackSession::Open(const std::string& path) {
  // A local stack that cannot be opened is reported, never deleted.
  return OpenStackWithAlerts(stack_, alerts_, path, {}, StackAsking::kHeadless).code;
}

bool StackSession::Save(const std::string& path, bool purge_unused) {
  return SaveStackWithAlerts(stack_, alerts_, path, purge_unused).saved();
}

std::string ShownText(const std::string& windows_text) {
  return Windows1252ToUtf8(windows_text);
}

}  // namespace corvida::app
