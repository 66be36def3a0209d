#include "logo/workspace.h"

#include "logo/interp.h"

namespace corvida::logo {

std::string WorkspaceText(Interpreter&, WorkspaceScope) {
  return {};
}

int LoadWorkspaceText(Interpreter&, std::string_view, LoadMode) {
  return 0;
}

void EraseWorkspace(Interpreter&) {}

}  // namespace corvida::logo
