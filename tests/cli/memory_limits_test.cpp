// Stacks that would make the player take gigabytes, run under an address-space limit of
// 2 GiB: they must end normally, never with an abort. AddressSanitizer reserves far more
// address space than that for itself, so a sanitized build runs these tests with the
// release binary (`make build-release`) when there is one and skips them otherwise.
#include <gtest/gtest.h>
#include <png.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/files.h"
#include "support/test_support.h"

namespace corvida {
namespace {

using testing::RunCorvida;
using testing::TempDir;

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

// The corvida binary that can run under the limit, or "" when there is none.
std::string UnsanitizedBinary() {
  if (!kSanitized) return testing::CorvidaBinary();
  std::string release = testing::SourcePath("build/release/apps/corvida");
  return FileExists(release) ? release : "";
}

testing::CommandResult RunLimited(const std::string& binary, std::vector<std::string> args) {
  args.insert(args.begin(), {"prlimit", "--as=2147483648", binary});
  return testing::RunProgram(args);
}

// An 8000 x 8000 RGB PNG of one colour, written row by row: about 190 KB on disk and
// 256 MB as a 32-bit bitmap.
bool WriteHugePng(const std::string& path) {
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_init_io(png, file);
  png_set_IHDR(png, info, 8000, 8000, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  std::vector<uint8_t> row;
  for (int x = 0; x < 8000; ++x) row.insert(row.end(), {10, 200, 30});
  for (int y = 0; y < 8000; ++y) png_write_row(png, row.data());
  png_write_end(png, info);
  png_destroy_write_struct(&png, &info);
  return std::fclose(file) == 0;
}

class MemoryLimits : public ::testing::Test {
 protected:
  void SetUp() override {
    binary = UnsanitizedBinary();
    if (binary.empty()) {
      GTEST_SKIP() << "sanitized build: these run with build/release/apps/corvida "
                      "(make build-release), which is not there";
    }
  }
  void Build(const std::string& description) {
    dir.Write("d.json", description);
    auto built = RunCorvida({"build", dir.File("d.json"), "-o", dir.File("s.stk")});
    ASSERT_EQ(built.status, 0) << built.err;
  }
  std::string binary;
  TempDir dir;
};

TEST_F(MemoryLimits, OneHugePictureNamedByEightGraphicsIsDecodedOnce) {
  ASSERT_TRUE(WriteHugePng(dir.File("huge.png")));
  std::string objects;
  for (int i = 0; i < 8; ++i) {
    std::string left = std::to_string(i * 60), right = std::to_string(i * 60 + 50);
    objects += std::string(i ? "," : "") + R"({"type": "graphic", "id": )" + std::to_string(i + 2) +
               R"(, "rect": [)" + left + ", 0, " + right + R"(, 50], "path": "huge.png"})";
  }
  Build(R"({"stack": {"width": 512, "height": 342, "depth": 32},
            "cards": [{"id": 1, "kind": "card", "objects": [)" +
        objects + "]}]}");
  auto rendered = RunLimited(binary, {"render", dir.File("s.stk"), "-o", dir.File("c.png")});
  ASSERT_EQ(rendered.status, 0) << rendered.err;
  std::vector<uint8_t> png;
  File file = File::Open(dir.File("c.png"), File::Mode::kRead);
  png.resize(static_cast<size_t>(file.Size()));
  ASSERT_EQ(file.Read(png.data(), png.size()), static_cast<int64_t>(png.size()));
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  ASSERT_TRUE(png_image_begin_read_from_memory(&image, png.data(), png.size()));
  image.format = PNG_FORMAT_RGB;
  std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(image));
  ASSERT_TRUE(png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr));
  size_t last_graphic = (10 * 512 + 7 * 60 + 10) * 3;  // inside the eighth graphic
  EXPECT_EQ(
      (std::vector<uint8_t>(pixels.begin() + last_graphic, pixels.begin() + last_graphic + 3)),
      (std::vector<uint8_t>{10, 200, 30}));
}

// Refused stacks allocate nothing large, so this runs in sanitized builds too (without
// the limit when there is no release binary).
TEST(CardSizeLimit, ACardTooLargeToComposeIsRefusedWithAnAlert) {
  TempDir dir;
  auto build = [&](int width, int height) {
    dir.Write("d.json", R"({"stack": {"width": )" + std::to_string(width) + R"(, "height": )" +
                            std::to_string(height) +
                            R"(, "depth": 32}, "cards": [{"id": 1, "kind": "card"}]})");
    auto built = RunCorvida({"build", dir.File("d.json"), "-o", dir.File("s.stk")});
    ASSERT_EQ(built.status, 0) << built.err;
  };
  std::string binary = UnsanitizedBinary();
  auto run = [&](const std::vector<std::string>& args) {
    return binary.empty() ? RunCorvida(args) : RunLimited(binary, args);
  };
  build(4096, 4096);  // the largest card allowed
  EXPECT_EQ(run({"info", dir.File("s.stk")}).status, 0);

  build(8000, 8000);
  dir.Write("events.txt", "wait 100\n");
  auto replayed = run({"replay", dir.File("s.stk"), dir.File("events.txt"), "-o", dir.File("out")});
  EXPECT_EQ(replayed.status, 1) << replayed.err;
  EXPECT_NE((replayed.out + replayed.err).find("enough memory to load your stack"),
            std::string::npos)
      << replayed.out << replayed.err;
  EXPECT_EQ(run({"render", dir.File("s.stk"), "-o", dir.File("c.png")}).status, 1);
  build(4097, 4096);
  EXPECT_EQ(run({"info", dir.File("s.stk")}).status, 1);
}

}  // namespace
}  // namespace corvida
