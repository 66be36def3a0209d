// Face files fetched on demand (the browser build's fonts): a file is fetched only when no
// folder has it, only when the source lists it, and once; the service works from what
// arrives and falls back to built-in metrics when nothing does.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include "platform/face_files.h"
#include "support/test_support.h"

namespace corvida {
namespace {

constexpr const char* kSystemSans =
    "/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf";

// Lists some files and "fetches" them by copying a real face into a scratch folder.
class CopyingSource : public FaceFileSource {
 public:
  CopyingSource(std::string folder, std::map<std::string, bool> listed)
      : folder_(std::move(folder)), listed_(std::move(listed)) {}
  bool Has(const std::string& file) const override { return listed_.count(file) > 0; }
  std::string Fetch(const std::string& file) override {
    ++fetches[file];
    if (!listed_.at(file)) return "";  // listed, but the download fails
    const std::string path = folder_ + "/" + file;
    std::filesystem::copy_file(kSystemSans, path,
                               std::filesystem::copy_options::overwrite_existing);
    return path;
  }
  std::map<std::string, int> fetches;

 private:
  std::string folder_;
  std::map<std::string, bool> listed_;  // file -> whether its fetch succeeds
};

TEST(FaceFiles, FetchedOnlyWhenNeededAndOnce) {
  if (!std::filesystem::exists(kSystemSans)) GTEST_SKIP() << "no Liberation Sans here";
  struct Case {
    const char* what;
    std::map<std::string, bool> listed;
    bool has_faces;
    bool draws;
    int regular_fetches;
  };
  const Case cases[] = {
      {"the sans face is fetched on first use",
       {{"LiberationSans-Regular.ttf", true}},
       true,
       true,
       1},
      {"a failed fetch leaves built-in metrics",
       {{"LiberationSans-Regular.ttf", false}},
       true,
       false,
       1},
      {"nothing listed: nothing fetched, nothing drawn", {}, false, false, 0},
  };
  for (const Case& c : cases) {
    testing::TempDir empty, fetched;
    CopyingSource source(fetched.path(), c.listed);
    auto fonts = CreateFontService({empty.path()}, &source);
    EXPECT_EQ(fonts->has_faces(), c.has_faces) << c.what;
    EXPECT_TRUE(source.fetches.empty()) << c.what << ": fetched before any text";
    for (int size : {12, 18, 12}) {
      auto font = fonts->GetFont("Helvetica", size, 0);
      EXPECT_EQ(!font->Glyph('A').Empty(), c.draws) << c.what;
    }
    EXPECT_EQ(source.fetches["LiberationSans-Regular.ttf"], c.regular_fetches) << c.what;
  }
}

TEST(FaceFiles, AFolderThatHasTheFileComesFirst) {
  if (!std::filesystem::exists(kSystemSans)) GTEST_SKIP() << "no Liberation Sans here";
  testing::TempDir folder, fetched;
  std::filesystem::copy_file(kSystemSans, folder.File("LiberationSans-Regular.ttf"));
  CopyingSource source(fetched.path(), {{"LiberationSans-Regular.ttf", true}});
  auto fonts = CreateFontService({folder.path()}, &source);
  EXPECT_FALSE(fonts->GetFont("Arial", 12, 0)->Glyph('B').Empty());
  EXPECT_EQ(source.fetches["LiberationSans-Regular.ttf"], 0);
}

}  // namespace
}  // namespace corvida
