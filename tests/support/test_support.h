// Helpers shared by all tests: temporary folders, a fresh headless platform, running the
// corvida binary.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/headless/headless.h"
#include "platform/picture.h"

namespace corvida::testing {

// A temporary folder removed (with its contents) when the object goes away.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }
  void Write(const std::string& name, const std::string& bytes) const;
  std::string Read(const std::string& name) const;

 private:
  std::string path_;
};

// A headless platform whose folders all lie inside one temporary folder.
struct TestPlatform {
  TestPlatform();
  TempDir root;
  std::unique_ptr<HeadlessPlatform> platform;
};

struct CommandResult {
  int status = -1;
  std::string out;
  std::string err;
};
// Runs the corvida binary with the arguments (and optional standard input).
CommandResult RunCorvida(const std::vector<std::string>& args, const std::string& stdin_text = "");
// Runs any program, argv[0] first; `status` is -1 when it did not exit normally.
CommandResult RunProgram(const std::vector<std::string>& argv, const std::string& stdin_text = "");

// The picture file at `path` decoded; the test fails (and the picture is empty) when it
// cannot be.
DecodedPicture ReadPictureFile(const std::string& path);

// Path of a file in the source tree, e.g. SourcePath("examples/demo/demo.json").
std::string SourcePath(const std::string& relative);
// The corvida program of this build.
std::string CorvidaBinary();
// The folder of this build's example extension modules (COUNTER.NBA and the others).
std::string ExampleNbasFolder();

}  // namespace corvida::testing
