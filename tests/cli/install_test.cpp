// cmake --install into a temporary prefix: the program, the guide Help opens, the menu
// entry, the icon and a MIME type whose magic recognises a stack by its header.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "platform/files.h"
#include "replay_stack.h"

namespace corvida {
namespace {

// The build folder: the one holding apps/corvida.
std::string BuildFolder() {
  return std::filesystem::path(testing::CorvidaBinary()).parent_path().parent_path().string();
}

// One <match> of a shared-mime-info magic rule, with the matches nested in it.
struct Match {
  std::string type;
  size_t offset = 0;
  unsigned value = 0;
  std::vector<Match> inner;
};

// Reads the nested <match> elements of the first <magic> (only what our file uses).
std::vector<Match> ReadMagic(const std::string& xml) {
  std::vector<Match> top;
  std::vector<std::vector<Match>*> open{&top};
  const std::regex tag(R"re(<match type="(\w+)" offset="(\d+)" value="(\d+)"(/?)>|</match>)re");
  for (auto it = std::sregex_iterator(xml.begin(), xml.end(), tag); it != std::sregex_iterator();
       ++it) {
    const std::smatch& m = *it;
    if (m[0] == "</match>") {
      open.pop_back();
      continue;
    }
    open.back()->push_back({m[1], std::stoul(m[2]), unsigned(std::stoul(m[3])), {}});
    if (m[4] != "/") open.push_back(&open.back()->back().inner);
  }
  return top;
}

// A match holds when its bytes do and, when it has inner matches, one of them does.
bool Holds(const Match& m, const std::string& bytes) {
  const size_t size = m.type == "big16" ? 2 : 1;
  if (m.offset + size > bytes.size()) return false;
  const auto at = [&](size_t i) { return unsigned(uint8_t(bytes[m.offset + i])); };
  const unsigned found = size == 2 ? at(0) << 8 | at(1) : at(0);
  if (found != m.value) return false;
  if (m.inner.empty()) return true;
  for (const Match& inner : m.inner)
    if (Holds(inner, bytes)) return true;
  return false;
}

bool Recognised(const std::vector<Match>& magic, const std::string& bytes) {
  for (const Match& m : magic)
    if (Holds(m, bytes)) return true;
  return false;
}

TEST(Install, PutsEveryFileInThePrefixAndTheMimeTypeKnowsStacks) {
  testing::TempDir prefix;
  auto r = testing::RunProgram({"cmake", "--install", BuildFolder(), "--prefix", prefix.path(),
                                "--component", "Unspecified"});
  ASSERT_EQ(r.status, 0) << r.out << r.err;
  for (const char* file :
       {"bin/corvida", "share/doc/corvida/user-guide.html", "share/applications/corvida.desktop",
        "share/icons/hicolor/scalable/apps/corvida.svg", "share/mime/packages/corvida-stack.xml"})
    EXPECT_TRUE(IsRegularFile(prefix.File(file))) << file;
  EXPECT_NE(prefix.Read("share/doc/corvida/user-guide.html").find("<h1>Corvida Player Guide</h1>"),
            std::string::npos);
  const std::string entry = prefix.Read("share/applications/corvida.desktop");
  EXPECT_NE(entry.find("\nMimeType=application/cvtu;\n"), std::string::npos);
  EXPECT_NE(entry.find("\nExec=corvida play %f\n"), std::string::npos);

  const std::string xml = prefix.Read("share/mime/packages/corvida-stack.xml");
  EXPECT_NE(xml.find("<mime-type type=\"application/cvtu\">"), std::string::npos);
  EXPECT_NE(xml.find("<alias type=\"application/corvida\"/>"), std::string::npos);
  EXPECT_NE(xml.find("<glob pattern=\"*.stk\"/>"), std::string::npos);
  const std::vector<Match> magic = ReadMagic(xml);
  ASSERT_FALSE(magic.empty());
  // Stacks of both versions and depths are recognised; other files are not.
  testing::ReplayedStack stack(R"({"stack": {"depth": 8}, "cards": [{"id": 1}]})");
  std::string bytes = stack.dir.Read("s.stk");
  EXPECT_TRUE(Recognised(magic, bytes)) << "a stack as the player writes it";
  bytes[9] = 4;
  EXPECT_TRUE(Recognised(magic, bytes)) << "version 4";
  bytes[9] = 6;
  EXPECT_FALSE(Recognised(magic, bytes)) << "a version the player refuses";
  EXPECT_FALSE(Recognised(magic, "%PDF-1.5\n%\xb5\xed\xae\xfb\n")) << "another document";
  EXPECT_FALSE(Recognised(magic, std::string(4, '\0'))) << "too short";
}

}  // namespace
}  // namespace corvida
