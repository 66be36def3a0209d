// Arbitrary text run as a stack's saved workspace and as a script, then listed back as a
// workspace and run again on a fresh interpreter: the reader, the evaluator (with a
// bounded number of evaluations and a small node pool), the workspace filter and the
// listing form all see hostile input; the turtle draws on a small picture meanwhile, and
// a script prints onto it as a button's script does (TURTLEIO).
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "logo/interp.h"
#include "logo/turtle.h"
#include "logo/workspace.h"
#include "platform/clock.h"
#include "platform/font_names.h"
#include "platform/fonts.h"

namespace {

// The faces are looked for once, not per input.
corvida::FontService* Fonts() {
  static std::unique_ptr<corvida::FontService> fonts =
      corvida::CreateFontService(corvida::DefaultFontFolders("", ""));
  return fonts.get();
}

struct Sandbox {
  corvida::VirtualClock clock;
  corvida::logo::InterpreterConfig config;
  corvida::logo::InterpreterHooks hooks;
  size_t written = 0;

  Sandbox() {
    config.clock = &clock;
    config.max_blocks = 64;
    config.max_steps = 20000;
    config.fixed_seed = true;
    config.fonts = Fonts();
    hooks.write = [this](std::string_view s) { written += s.size(); };
    hooks.show_error = [this](const std::string& s) { written += s.size(); };
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  using namespace corvida::logo;
  // The first byte chooses how the rest runs: as a workspace, as any instructions, or as
  // a script after the workspace.
  uint8_t how = data[0] % 3;
  std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
  std::string listed;
  {
    Sandbox s;
    Interpreter in(s.config, s.hooks);
    PictureSurface picture;
    picture.Create(64, 48);
    in.SetTurtleSurface(&picture);
    LoadWorkspaceText(in, text, how == 1 ? LoadMode::kAnyInstruction : LoadMode::kWorkspaceOnly);
    in.turtle_io = how == 2;
    if (how == 2) in.RunScript(text);
    listed = WorkspaceText(in, WorkspaceScope::kWithBuried);
  }
  Sandbox s;
  Interpreter again(s.config, s.hooks);
  LoadWorkspaceText(again, listed, LoadMode::kWorkspaceOnly);
  WorkspaceText(again, WorkspaceScope::kNormal);
  return 0;
}
