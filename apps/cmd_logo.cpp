// corvida logo: runs Tarrow lines from a file, from -e, or typed at a terminal, each line
// as if typed at the top level. Output is UTF-8 on standard output; error messages are
// printed there too, in place of the error box.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>

#include "apps/command.h"
#include "logo/interp.h"
#include "platform/charset.h"
#include "platform/headless/headless.h"
#include "stackfile/mactext.h"

namespace corvida::app {
namespace {

constexpr const char* kHelp =
    "Usage: corvida logo [--seed N] FILE\n"
    "       corvida logo [--seed N] -e TEXT\n"
    "       corvida logo [--seed N]            (lines from standard input)\n\n"
    "Runs Tarrow Logo lines as if each were typed at the top level: an error ends that\n"
    "line only and the next line runs; TO collects a procedure's lines up to END.\n"
    "Text output and error messages go to standard output as UTF-8. With no FILE on a\n"
    "terminal, each line is run as it is typed ('?' prompts a line, '>' a procedure line).\n"
    "WAIT runs on a virtual clock and takes no real time.\n\n"
    "Options:\n"
    "  -e TEXT    run TEXT (its lines) instead of a file\n"
    "  --seed N   start the random generator from N, so RANDOM repeats\n"
    "  --help     show this text\n";

// Lines of UTF-8 text, handed on in the interpreter's character set.
class Utf8Lines : public logo::LineSource {
 public:
  Utf8Lines(std::istream& in, bool interactive) : in_(in), interactive_(interactive) {}
  bool ReadLine(std::string& line, char prompt) override {
    if (interactive_) {
      std::fputs(prompt == '>' ? "> " : "? ", stdout);
      std::fflush(stdout);
    }
    std::string raw;
    if (!std::getline(in_, raw)) return false;
    if (!raw.empty() && raw.back() == '\r') raw.pop_back();
    line = WindowsToMac(Utf8ToWindows1252(raw));
    // A typed line may start with the prompt character it answered.
    if (interactive_ && !line.empty() && (line[0] == '>' || line[0] == '?')) line.erase(0, 1);
    return true;
  }

 private:
  std::istream& in_;
  bool interactive_;
};

int RunLogo(const std::vector<std::string>& args) {
  std::string file;
  std::string text;
  bool have_text = false;
  logo::InterpreterConfig config;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--help" || a == "-h") {
      std::fputs(kHelp, stdout);
      return kExitOk;
    }
    if (a == "-e" && i + 1 < args.size()) {
      text = args[++i];
      have_text = true;
    } else if (a == "--seed" && i + 1 < args.size()) {
      char* end = nullptr;
      unsigned long seed = std::strtoul(args[++i].c_str(), &end, 10);
      if (!end || *end) {
        std::fprintf(stderr, "corvida logo: --seed wants a number\n");
        return kExitUsage;
      }
      config.fixed_seed = true;
      config.seed = static_cast<uint32_t>(seed);
    } else if (!a.empty() && a[0] == '-') {
      std::fprintf(stderr, "corvida logo: unknown option '%s'\n\n%s", a.c_str(), kHelp);
      return kExitUsage;
    } else if (file.empty()) {
      file = a;
    } else {
      std::fprintf(stderr, "corvida logo: one file only\n");
      return kExitUsage;
    }
  }

  HeadlessPlatform platform(Folders{});
  config.clock = &platform.clock();
  config.windows = &platform.windows();
  logo::InterpreterHooks hooks;
  hooks.write = [](std::string_view mac) {
    std::string out = MacToUtf8(mac);
    std::fwrite(out.data(), 1, out.size(), stdout);
  };
  hooks.show_error = [](const std::string& windows_text) {
    std::string out = Windows1252ToUtf8(windows_text) + "\n";
    std::fwrite(out.data(), 1, out.size(), stdout);
  };
  logo::Interpreter interp(config, hooks);
  if (!interp.Start()) return kExitFailure;

  if (have_text) {
    std::istringstream in(text);
    Utf8Lines lines(in, false);
    interp.RunConsole(lines);
  } else if (!file.empty()) {
    std::ifstream in(file, std::ios::binary);
    if (!in) {
      std::fprintf(stderr, "corvida logo: cannot read '%s'\n", file.c_str());
      return kExitFailure;
    }
    Utf8Lines lines(in, false);
    interp.RunConsole(lines);
  } else {
    Utf8Lines lines(std::cin, isatty(STDIN_FILENO) != 0);
    interp.RunConsole(lines);
  }
  std::fflush(stdout);
  return kExitOk;
}

CommandRegistration reg({"logo", "run Tarrow Logo lines from a file, -e TEXT or a terminal",
                         &RunLogo, 500});

}  // namespace
}  // namespace corvida::app
