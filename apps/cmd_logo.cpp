// corvida logo: runs Tarrow lines from a file, from -e, or typed at a terminal, each line
// as if typed at the top level. Output is UTF-8 on standard output; error messages are
// printed there too, in place of the error box. READLIST, READWORD, READCHAR and KEYP
// read standard input; files are reached only inside the folder given with --files.
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
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
    "Usage: corvida logo [--seed N] [--files DIR] FILE\n"
    "       corvida logo [--seed N] [--files DIR] -e TEXT\n"
    "       corvida logo [--seed N] [--files DIR]   (lines from standard input)\n\n"
    "Runs Tarrow Logo lines as if each were typed at the top level: an error ends that\n"
    "line only and the next line runs; TO collects a procedure's lines up to END.\n"
    "Text output and error messages go to standard output as UTF-8. With no FILE on a\n"
    "terminal, each line is run as it is typed ('?' prompts a line, '>' a procedure line).\n"
    "READLIST, READWORD, READCHAR, READCHARS and KEYP read standard input (after the\n"
    "program's own lines when those come from there too).\n"
    "WAIT and TOOT run on a virtual clock and take no real time; TOOT makes no sound.\n\n"
    "Files: OPEN, LOAD, SAVE, ERASEFILE, CATALOG and the other file primitives work only\n"
    "inside the folder given with --files (created when first used). Names are taken\n"
    "relative to it (PREFIX and SETPREFIX move inside it); a name that starts with / or \\,\n"
    "holds a drive or volume colon, has a .. part or passes through a symbolic link is\n"
    "refused with the primitive's file error. Without --files every file name is refused.\n"
    "Files are written with CR LF line ends; CR LF, CR and LF each end a line when read.\n"
    "Eight files may be open at once; a written file may grow to 64 MB.\n\n"
    "Options:\n"
    "  -e TEXT      run TEXT (its lines) instead of a file\n"
    "  --files DIR  the folder scripts may read and write\n"
    "  --seed N     start the random generator from N, so RANDOM repeats\n"
    "  --help       show this text\n";

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

// Standard input as the console: lines for the program and READLIST, characters for
// READCHAR, UTF-8 handed on in the interpreter's character set.
class StdinConsole : public logo::LineSource, public logo::CharSource {
 public:
  explicit StdinConsole(bool interactive) : interactive_(interactive) {}

  bool ReadLine(std::string& line, char prompt) override {
    if (interactive_) {
      std::fputs(prompt == '>' ? "> " : "? ", stdout);
      std::fflush(stdout);
    }
    std::string raw;
    int c = NextByte();
    if (c < 0) return false;
    while (c >= 0 && c != '\n') {
      raw += static_cast<char>(c);
      c = NextByte();
    }
    if (!raw.empty() && raw.back() == '\r') raw.pop_back();
    line = WindowsToMac(Utf8ToWindows1252(raw));
    // A typed line may start with the prompt character it answered.
    if (interactive_ && !line.empty() && (line[0] == '>' || line[0] == '?')) line.erase(0, 1);
    return true;
  }

  int ReadChar() override {
    std::fflush(stdout);
    int c = NextByte();
    if (c < 0) return -1;
    if (c == '\r') {
      if (PeekByte() == '\n') NextByte();
      return 13;
    }
    if (c == '\n') return 13;
    if (c < 0x80) return c;
    // One UTF-8 sequence makes one character.
    std::string seq(1, static_cast<char>(c));
    int more = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
    while (more-- > 0 && PeekByte() >= 0x80 && PeekByte() < 0xC0)
      seq += static_cast<char>(NextByte());
    std::string mac = WindowsToMac(Utf8ToWindows1252(seq));
    return mac.empty() ? '?' : static_cast<uint8_t>(mac[0]);
  }

  bool CharWaiting() override {
    if (pos_ < buffer_.size()) return true;
    if (eof_) return false;
    pollfd p{STDIN_FILENO, POLLIN, 0};
    if (poll(&p, 1, 0) <= 0) return false;
    return Fill() && pos_ < buffer_.size();
  }

 private:
  bool Fill() {
    if (pos_ < buffer_.size()) return true;
    if (eof_) return false;
    char chunk[4096];
    ssize_t n;
    do {
      n = ::read(STDIN_FILENO, chunk, sizeof chunk);
    } while (n < 0 && errno == EINTR);
    if (n <= 0) {
      eof_ = true;
      return false;
    }
    buffer_.assign(chunk, static_cast<size_t>(n));
    pos_ = 0;
    return true;
  }
  int PeekByte() { return Fill() ? static_cast<uint8_t>(buffer_[pos_]) : -1; }
  int NextByte() { return Fill() ? static_cast<uint8_t>(buffer_[pos_++]) : -1; }

  bool interactive_;
  std::string buffer_;
  size_t pos_ = 0;
  bool eof_ = false;
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
    } else if (a == "--files" && i + 1 < args.size()) {
      std::error_code ec;
      std::filesystem::path dir = std::filesystem::absolute(args[++i], ec);
      if (ec || args[i].empty()) {
        std::fprintf(stderr, "corvida logo: --files wants a folder\n");
        return kExitUsage;
      }
      config.files_folder = dir.lexically_normal().string();
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
  config.audio = platform.audio();
  StdinConsole console(isatty(STDIN_FILENO) != 0);
  logo::InterpreterHooks hooks;
  hooks.console = &console;
  hooks.keys = &console;
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
    interp.RunConsole(console);
  }
  std::fflush(stdout);
  return kExitOk;
}

CommandRegistration reg({"logo", "run Tarrow Logo lines from a file, -e TEXT or a terminal",
                         &RunLogo, 500});

}  // namespace
}  // namespace corvida::app
