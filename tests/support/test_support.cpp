#include "support/test_support.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include <gtest/gtest.h>

#include "platform/files.h"

namespace corvida::testing {

namespace fs = std::filesystem;

TempDir::TempDir() {
  std::string pattern = (fs::temp_directory_path() / "corvida-test-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ec;
  fs::remove_all(path_, ec);
}

void TempDir::Write(const std::string& name, const std::string& bytes) const {
  fs::path p = fs::path(path_) / name;
  fs::create_directories(p.parent_path());
  std::ofstream(p, std::ios::binary) << bytes;
}

std::string TempDir::Read(const std::string& name) const {
  std::ifstream in(fs::path(path_) / name, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

TestPlatform::TestPlatform() {
  Folders folders;
  folders.config = root.File("config");
  folders.data = root.File("data");
  folders.program = root.File("program");
  folders.temp = root.File("tmp");
  for (const std::string* f : {&folders.config, &folders.data, &folders.program, &folders.temp}) {
    fs::create_directories(*f);
  }
  platform = std::make_unique<HeadlessPlatform>(folders);
}

static std::string Slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

CommandResult RunCorvida(const std::vector<std::string>& args, const std::string& stdin_text) {
  std::vector<std::string> argv = {CORVIDA_BINARY};
  argv.insert(argv.end(), args.begin(), args.end());
  return RunProgram(argv, stdin_text);
}

CommandResult RunProgram(const std::vector<std::string>& argv, const std::string& stdin_text) {
  TempDir io;
  io.Write("stdin", stdin_text);
  std::string command;
  for (const std::string& a : argv) {
    std::string quoted;
    for (char c : a) quoted += (c == '\'') ? std::string("'\\''") : std::string(1, c);
    command += (command.empty() ? "'" : " '") + quoted + "'";
  }
  command += " <'" + io.File("stdin") + "' >'" + io.File("out") + "' 2>'" + io.File("err") + "'";
  int raw = std::system(command.c_str());
  CommandResult r;
  r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  r.out = Slurp(io.File("out"));
  r.err = Slurp(io.File("err"));
  return r;
}

DecodedPicture ReadPictureFile(const std::string& path) {
  File file = File::Open(path, File::Mode::kRead);
  std::vector<uint8_t> bytes(size_t(std::max<int64_t>(file.Size(), 0)));
  EXPECT_EQ(file.Read(bytes.data(), bytes.size()), int64_t(bytes.size())) << path;
  DecodedPicture picture;
  ImagePictureDecoder decoder;
  EXPECT_EQ(decoder.Decode(bytes, path, picture), PictureStatus::kOk) << path;
  return picture;
}

std::string SourcePath(const std::string& relative) {
  return std::string(CORVIDA_SOURCE_DIR) + "/" + relative;
}

std::string CorvidaBinary() {
  return CORVIDA_BINARY;
}

std::string ExampleNbasFolder() {
  return CORVIDA_EXAMPLE_NBAS;
}

}  // namespace corvida::testing
