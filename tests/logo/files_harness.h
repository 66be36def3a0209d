// A fresh interpreter whose scripts keep their files in a temporary folder ("box"), with
// typed console input given by the test and TOOT recorded by the headless audio output.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "logo/interp.h"
#include "platform/headless/headless.h"
#include "support/test_support.h"

namespace corvida::logo::testing {

// Console input typed ahead by a test: lines and characters from one text.
class TypedInput : public LineSource, public CharSource {
 public:
  void Type(const std::string& text) { text_ += text; }
  bool ReadLine(std::string& line, char) override {
    if (pos_ >= text_.size()) return false;
    size_t end = text_.find('\n', pos_);
    if (end == std::string::npos) end = text_.size();
    line = text_.substr(pos_, end - pos_);
    pos_ = end + 1;
    return true;
  }
  int ReadChar() override {
    if (pos_ >= text_.size()) return -1;
    char c = text_[pos_++];
    return c == '\n' ? 13 : static_cast<uint8_t>(c);
  }
  bool CharWaiting() override { return pos_ < text_.size(); }

 private:
  std::string text_;
  size_t pos_ = 0;
};

struct FileHarnessOptions {
  bool sandbox = true;     // give scripts a folder
  bool audio = true;       // TOOT plays through the recorder
  bool typed_keys = true;  // READCHAR reads the typed input (else window messages)
  std::vector<NamedFolder> media;
  FileQuota quota;
};

class FileHarness {
 public:
  explicit FileHarness(FileHarnessOptions options = {}) : platform_(Folders{}) {
    InterpreterConfig config;
    config.clock = &platform_.clock();
    config.windows = &platform_.windows();
    config.fixed_seed = true;
    if (options.sandbox) config.files_folder = dir_.File("box");
    config.media_folders = options.media;
    config.file_quota = options.quota;
    if (options.audio) config.audio = &platform_.recorded_audio();
    InterpreterHooks hooks;
    hooks.write = [this](std::string_view s) { out_.append(s); };
    hooks.show_error = [this](const std::string& s) { out_ += s + "\n"; };
    hooks.console = &typed_;
    if (options.typed_keys) hooks.keys = &typed_;
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
  std::string Script(const std::string& text) {
    size_t start = out_.size();
    interp_->RunScript(text);
    return out_.substr(start);
  }

  // Files in the temporary folder: "box/..." is the scripts' folder.
  const corvida::testing::TempDir& dir() const { return dir_; }
  std::string Box(const std::string& name) const { return dir_.File("box/" + name); }
  void WriteBox(const std::string& name, const std::string& bytes) const {
    dir_.Write("box/" + name, bytes);
  }
  std::string ReadBox(const std::string& name) const { return dir_.Read("box/" + name); }

  TypedInput& typed() { return typed_; }
  Interpreter& interp() { return *interp_; }
  HeadlessPlatform& platform() { return platform_; }

 private:
  corvida::testing::TempDir dir_;
  HeadlessPlatform platform_;
  TypedInput typed_;
  std::unique_ptr<Interpreter> interp_;
  std::string out_;
};

}  // namespace corvida::logo::testing
