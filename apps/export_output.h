// The output folder of `corvida export` and its report. Every file is written below the
// folder through File::OpenBeneath, one component at a time with no link followed, so
// nothing a stack names (nor a link planted in the folder) can lead a write outside it.
// What was written and what could not be, with why, goes into index.json.
#pragma once

#include <set>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "apps/export_names.h"
#include "platform/gfx/bitmap.h"

namespace corvida::app {

class ExportOutput {
 public:
  explicit ExportOutput(std::string root) : root_(std::move(root)) {}

  // Makes the folder itself (with missing parents); false with a message when it cannot.
  bool Prepare();
  const std::string& root() const { return root_; }
  NameBook& names() { return names_; }

  // Writes `bytes` as the file `relative` ('/'-separated, components made by NameBook or
  // by the export itself), making its folders. False, reported, when it cannot.
  bool Write(const std::string& relative, std::string_view bytes);
  bool WriteJson(const std::string& relative, const nlohmann::ordered_json& value);
  // The bitmap as PNG; `opaque` (one bit per pixel, set where opaque) gives it an alpha
  // channel.
  bool WritePng(const std::string& relative, const gfx::Bitmap& image,
                const gfx::Bitmap* opaque = nullptr);
  // Copies the host file `source` into `relative`, in pieces.
  bool Copy(const std::string& relative, const std::string& source);

  // Something of the stack that could not be exported: `what` names it ("sound 10"),
  // `alert` is the player's alert number for it (0 when there is none). Also on stderr.
  void Fail(const std::string& what, int alert, const std::string& reason);
  bool write_failed() const { return write_failed_; }
  size_t written_count() const { return written_.size(); }

  // The report: files written (in order) and failures.
  nlohmann::ordered_json Report() const;

 private:
  bool MakeFoldersFor(const std::string& relative);
  void WriteFailed(const std::string& relative);

  std::string root_;
  NameBook names_;
  std::set<std::string> folders_made_;
  std::vector<std::string> written_;
  nlohmann::ordered_json failures_ = nlohmann::ordered_json::array();
  bool write_failed_ = false;
};

}  // namespace corvida::app
