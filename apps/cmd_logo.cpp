// corvida logo: runs Tarrow lines from a file, from -e, or typed at a terminal, each line
// as if typed at the top level. Output is UTF-8 on standard output; error messages are
// printed there too, in place of the error box. READLIST, READWORD, READCHAR and KEYP
// read standard input; files are reached only inside the folder given with --files.
// With --turtle the turtle draws on a blank white picture written out as a PNG at the end.
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>

#include "apps/card_images.h"
#include "apps/command.h"
#include "apps/terminal.h"
#include "logo/interp.h"
#include "logo/turtle.h"
#include "platform/charset.h"
#include "platform/headless/headless.h"
#include "stackfile/mactext.h"

namespace corvida::app {
namespace {

// The work one typed line may do by default: seconds of computing, not minutes.
constexpr uint64_t kDefaultSteps = 100'000'000;

constexpr const char* kFooter =
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
    "Turtle: with --turtle OUT.png the turtle draws on a blank white picture (--size,\n"
    "default 640x480, turtle home in its middle); when the lines have run, the picture is\n"
    "written to OUT.png without the turtle figure.";

// Largest side of a turtle picture.
constexpr int kMaxTurtleSide = 4096;

// "WxH" with both sides 1..kMaxTurtleSide; empty when it is not.
std::string CheckPictureSize(const std::string& text) {
  int w = 0, h = 0;
  char x = 0, extra = 0;
  if (std::sscanf(text.c_str(), "%d%c%d%c", &w, &x, &h, &extra) != 3 || (x != 'x' && x != 'X') ||
      w < 1 || h < 1 || w > kMaxTurtleSide || h > kMaxTurtleSide)
    return "--size wants WxH, each side 1 to 4096";
  return "";
}

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

class LogoCommand : public Command {
 public:
  void Declare(CLI::App& app) override {
    app.add_option("FILE", file_, "the lines to run (default: standard input)");
    text_option_ = app.add_option("-e", text_, "run TEXT (its lines) instead of a file");
    text_option_->type_name("TEXT")->excludes(app.get_option("FILE"));
    app.add_option("--files", files_, "the folder scripts may read and write")
        ->type_name("DIR")
        ->check([](const std::string& dir) { return dir.empty() ? "--files wants a folder" : ""; });
    app.add_option("--seed", seed_, "start the random generator from N, so RANDOM repeats")
        ->type_name("N");
    app.add_option("--steps", steps_,
                   "stop a line after N evaluations (\"The script ran too long and was "
                   "stopped\"); 0: no limit; default 100000000")
        ->type_name("N");
    app.add_option("--turtle", turtle_png_, "draw with the turtle and write the picture there")
        ->type_name("OUT.png");
    app.add_option("--size", size_, "the turtle picture's size (default 640x480)")
        ->type_name("WxH")
        ->check(CheckPictureSize);
    app.footer(kFooter);
  }

  int Run() override;

 private:
  std::string file_, text_, files_, turtle_png_, size_ = "640x480";
  std::optional<uint32_t> seed_;
  uint64_t steps_ = kDefaultSteps;
  CLI::Option* text_option_ = nullptr;
};

int LogoCommand::Run() {
  if (!file_.empty() && !CheckReadable("logo", file_)) return kExitFailure;
  logo::InterpreterConfig config;
  config.max_steps = steps_;
  if (!files_.empty()) {
    std::error_code ec;
    std::filesystem::path dir = std::filesystem::absolute(files_, ec);
    if (ec) {
      std::fprintf(stderr, "corvida logo: --files wants a folder\n");
      return kExitUsage;
    }
    config.files_folder = dir.lexically_normal().string();
  }
  if (seed_) {
    config.fixed_seed = true;
    config.seed = *seed_;
  }
  HeadlessPlatform platform(Folders{});
  config.clock = &platform.clock();
  config.windows = &platform.windows();
  config.audio = platform.audio();
  config.fonts = platform.fonts();  // TURTLEIO text on the turtle picture
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
  logo::PictureSurface picture;
  if (!turtle_png_.empty()) {
    int w = 0, h = 0;
    std::sscanf(size_.c_str(), "%d%*c%d", &w, &h);
    if (!picture.Create(w, h)) {
      std::fprintf(stderr, "corvida logo: not enough memory for a %s picture\n", size_.c_str());
      return kExitFailure;
    }
    interp.SetTurtleSurface(&picture);
    interp.turtle().ShowFigure();
  }

  if (text_option_->count() > 0) {
    std::istringstream in(text_);
    Utf8Lines lines(in, false);
    interp.RunConsole(lines);
  } else if (!file_.empty()) {
    std::ifstream in(file_, std::ios::binary);
    Utf8Lines lines(in, false);
    interp.RunConsole(lines);
  } else {
    interp.RunConsole(console);
  }
  std::fflush(stdout);
  if (turtle_png_.empty()) return kExitOk;
  interp.turtle().HideFigure();
  return WritePng(turtle_png_, picture.bitmap()) ? kExitOk : kExitFailure;
}

CommandRegistration register_logo(
    Entry<LogoCommand>("logo", "run Tarrow Logo lines from a file, -e TEXT or a terminal", 500));

}  // namespace
}  // namespace corvida::app
