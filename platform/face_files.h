// Face files that may come from elsewhere than the font folders: the browser build fetches
// them from beside its page script the first time a text needs one.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/fonts.h"

namespace corvida {

class FaceFileSource {
 public:
  virtual ~FaceFileSource() = default;
  // True when the file can be had (without fetching it yet).
  virtual bool Has(const std::string& file) const = 0;
  // The host path of the file once here; "" when it cannot be had.
  virtual std::string Fetch(const std::string& file) = 0;
};

// The service over FreeType looking in the folders first, then asking `source`.
std::unique_ptr<FontService> CreateFontService(std::vector<std::string> folders,
                                               FaceFileSource* source);

}  // namespace corvida
