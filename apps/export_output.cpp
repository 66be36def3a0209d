#include "apps/export_output.h"

#include <cstdio>

#include "apps/terminal.h"
#include "base/strings.h"
#include "platform/files.h"
#include "platform/gfx/png.h"

namespace corvida::app {
namespace {

constexpr size_t kCopyPiece = 1 << 16;

bool WriteAll(File& file, const void* data, size_t size) {
  return file.Write(data, size) == int64_t(size);
}

}  // namespace

bool ExportOutput::Prepare() {
  if (CreateDirectories(root_) && GetFileInfo(root_).is_directory) return true;
  std::fprintf(stderr, "corvida export: cannot make the folder %s\n",
               EscapeControls(root_).c_str());
  return false;
}

bool ExportOutput::MakeFoldersFor(const std::string& relative) {
  for (size_t slash = relative.find('/'); slash != std::string::npos;
       slash = relative.find('/', slash + 1)) {
    const std::string folder = relative.substr(0, slash);
    if (folders_made_.contains(folder)) continue;
    if (!CreateDirectoryBeneath(root_, folder)) return false;
    folders_made_.insert(folder);
  }
  return true;
}

void ExportOutput::WriteFailed(const std::string& relative) {
  write_failed_ = true;
  Fail(relative, strid::kIoError, "cannot write " + relative);
}

bool ExportOutput::Write(const std::string& relative, std::string_view bytes) {
  File file;
  if (MakeFoldersFor(relative)) file = File::OpenBeneath(root_, relative, File::Mode::kCreate);
  if (!file.is_open() || !WriteAll(file, bytes.data(), bytes.size())) {
    WriteFailed(relative);
    return false;
  }
  written_.push_back(relative);
  return true;
}

bool ExportOutput::WriteJson(const std::string& relative, const nlohmann::ordered_json& value) {
  return Write(relative, JsonText(value) + "\n");
}

bool ExportOutput::WritePng(const std::string& relative, const gfx::Bitmap& image,
                            const gfx::Bitmap* opaque) {
  std::vector<uint8_t> bytes;
  std::string error;
  const bool encoded = opaque ? gfx::EncodePngWithMask(image, *opaque, bytes, &error)
                              : gfx::EncodePng(image, nullptr, bytes, &error);
  if (!encoded) {
    Fail(relative, 0, error);
    return false;
  }
  return Write(relative, {reinterpret_cast<const char*>(bytes.data()), bytes.size()});
}

bool ExportOutput::Copy(const std::string& relative, const std::string& source) {
  File in = File::Open(source, File::Mode::kRead);
  if (!in.is_open()) {
    Fail(relative, 0, "cannot read " + source);
    return false;
  }
  File out;
  if (MakeFoldersFor(relative)) out = File::OpenBeneath(root_, relative, File::Mode::kCreate);
  std::vector<uint8_t> piece(kCopyPiece);
  bool ok = out.is_open();
  for (int64_t got; ok && (got = in.Read(piece.data(), piece.size())) != 0;)
    ok = got > 0 && WriteAll(out, piece.data(), size_t(got));
  if (!ok) {
    WriteFailed(relative);
    return false;
  }
  written_.push_back(relative);
  return true;
}

void ExportOutput::Fail(const std::string& what, int alert, const std::string& reason) {
  nlohmann::ordered_json failure = {{"what", what}};
  if (alert) failure["alert"] = alert;
  failure["reason"] = reason;
  failures_.push_back(std::move(failure));
  std::string line = "corvida export: " + what + ": " + reason;
  if (alert) line += " (alert " + std::to_string(alert) + ")";
  std::fprintf(stderr, "%s\n", EscapeControls(line).c_str());
}

nlohmann::ordered_json ExportOutput::Report() const {
  return {{"written", written_}, {"failed", failures_}};
}

}  // namespace corvida::app
