// Runs Tarrow lines on a fresh interpreter and collects what they print, error messages
// included (each followed by a newline, as the command line shows them).
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "logo/interp.h"
#include "platform/headless/headless.h"

namespace corvida::logo::testing {

class Harness {
 public:
  explicit Harness(InterpreterConfig config = {}) : platform_(Folders{}) {
    config.clock = &platform_.clock();
    config.windows = &platform_.windows();
    if (!config.fixed_seed) {
      config.fixed_seed = true;
      config.seed = 1;
    }
    InterpreterHooks hooks;
    hooks.write = [this](std::string_view s) { out_.append(s); };
    hooks.show_error = [this](const std::string& s) {
      out_ += s;
      out_ += '\n';
      ++errors_;
    };
    interp_ = std::make_unique<Interpreter>(config, hooks);
    interp_->Start();
  }

  // Each line runs as typed at the top level; returns what this call printed.
  std::string Lines(const std::string& text) {
    size_t start = out_.size();
    TextLineSource source(text);
    interp_->RunConsole(source);
    return out_.substr(start);
  }
  // Runs the text as one script: the first error ends it.
  std::string Script(const std::string& text) {
    size_t start = out_.size();
    interp_->RunScript(text);
    return out_.substr(start);
  }

  Interpreter& interp() { return *interp_; }
  HeadlessPlatform& platform() { return platform_; }
  int errors() const { return errors_; }

 private:
  HeadlessPlatform platform_;
  std::unique_ptr<Interpreter> interp_;
  std::string out_;
  int errors_ = 0;
};

// One-shot: a fresh interpreter runs the lines.
inline std::string RunLogo(const std::string& text) {
  return Harness().Lines(text);
}

// Lines and exactly what a fresh interpreter prints for them.
struct Case {
  const char* lines;
  const char* output;
};

inline void Check(const std::vector<Case>& cases) {
  for (const Case& c : cases) EXPECT_EQ(RunLogo(c.lines), c.output) << c.lines;
}

}  // namespace corvida::logo::testing
