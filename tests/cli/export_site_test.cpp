// corvida export --site: the pages are read back with a small HTML reader, and the links,
// the field text and the sounds are checked where a browser would find them.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "support/sound_files.h"
#include "support/test_support.h"

namespace corvida {
namespace {

using namespace testing;

// An element with its attributes and all the text inside it, entities decoded.
struct Element {
  std::string name;
  std::map<std::string, std::string> attributes;
  std::string text;
};

std::string Decoded(std::string_view s) {
  static const std::pair<std::string_view, char> kEntities[] = {
      {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}};
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    bool replaced = false;
    for (auto [entity, c] : kEntities) {
      if (s.substr(i, entity.size()) == entity) out += c, i += entity.size() - 1, replaced = true;
    }
    if (!replaced) out += s[i];
  }
  return out;
}

// Reads the page; every element must be closed in order (void elements excepted), and
// attribute values are double-quoted.
std::vector<Element> ReadHtml(const std::string& html) {
  static const std::set<std::string> kVoid = {"meta", "img", "br", "link", "input"};
  std::vector<Element> all;
  std::vector<size_t> open;
  for (size_t at = 0; at < html.size();) {
    if (html[at] != '<') {
      size_t end = std::min(html.find('<', at), html.size());
      for (size_t e : open) all[e].text += Decoded(html.substr(at, end - at));
      at = end;
      continue;
    }
    size_t close = html.find('>', at);
    EXPECT_NE(close, std::string::npos);
    if (close == std::string::npos) break;
    std::string tag = html.substr(at + 1, close - at - 1);
    at = close + 1;
    if (tag.starts_with("!")) continue;
    if (tag.starts_with("/")) {
      EXPECT_FALSE(open.empty()) << tag;
      if (open.empty()) continue;
      EXPECT_EQ(all[open.back()].name, tag.substr(1));
      open.pop_back();
      continue;
    }
    Element e;
    size_t i = tag.find_first_of(" \n");
    e.name = tag.substr(0, i);
    while (i != std::string::npos && i < tag.size()) {
      size_t eq = tag.find("=\"", i);
      if (eq == std::string::npos) break;
      size_t end = tag.find('"', eq + 2);
      std::string key = tag.substr(i, eq - i);
      key.erase(0, key.find_last_of(" \n") + 1);  // after valueless ones ("controls")
      e.attributes[key] = Decoded(tag.substr(eq + 2, end - eq - 2));
      i = end + 1;
    }
    all.push_back(e);
    if (!kVoid.contains(e.name)) open.push_back(all.size() - 1);
  }
  EXPECT_TRUE(open.empty());
  return all;
}

std::vector<Element> Named(const std::vector<Element>& all, const std::string& name,
                           const std::string& cls = "") {
  std::vector<Element> out;
  for (const Element& e : all) {
    if (e.name == name &&
        (cls.empty() || (e.attributes.count("class") && e.attributes.at("class") == cls)))
      out.push_back(e);
  }
  return out;
}

TEST(ExportSite, PagesLinkWhereTheButtonsGoAndHoldTheFieldText) {
  TempDir dir;
  dir.Write("boing.wav", [] {
    SoundBytes b = WavFile(1, 8, 11025, {0x80, 0x10});
    return std::string(b.begin(), b.end());
  }());
  dir.Write("d.json", R"({"cards": [
    {"id": 10, "name": "First", "objects": [
      {"type": "button", "id": 1, "name": "To third", "destination": 30},
      {"type": "button", "id": 2, "name": "Back", "destination": -2},
      {"type": "button", "id": 3, "name": "Elsewhere", "destination": -6,
       "actions": [{"kind": "stack", "path": "Disk:Other Stack.stk"}]},
      {"type": "button", "id": 4, "name": "Boing",
       "actions": [{"kind": "stackSound", "id": 7}]},
      {"type": "button", "id": 5, "name": "Secret", "destination": 20, "flags": 32},
      {"type": "field", "id": 6, "rect": [0, 100, 200, 150], "name": "Notes",
       "text": "Find me & <here>\nsecond line", "styles": [{"start": 0, "style": 1}]}]},
    {"id": 20, "name": "Second"},
    {"id": 30, "name": "Third <3>", "objects": [
      {"type": "button", "id": 1, "name": "", "destination": -1}]}],
    "resources": [{"type": "Snd ", "id": 7, "name": "boing", "sound": "boing.wav"}]})");
  ASSERT_EQ(RunCorvida({"build", dir.File("d.json"), "-o", dir.File("s.stk")}).status, 0);
  CommandResult r =
      RunCorvida({"export", dir.File("s.stk"), "-o", dir.File("out"), "--site", "--only", "text"});
  ASSERT_EQ(r.status, 0) << r.err;

  std::vector<Element> index = ReadHtml(dir.Read("out/site/index.html"));
  std::vector<std::string> listed;
  for (const Element& a : Named(index, "a")) listed.push_back(a.attributes.at("href"));
  EXPECT_EQ(listed, (std::vector<std::string>{"card-001.html", "card-002.html", "card-003.html"}));

  std::vector<Element> first = ReadHtml(dir.Read("out/site/card-001.html"));
  std::map<std::string, std::string> goes;
  for (const Element& a : Named(first, "a", "button"))
    goes[a.attributes.at("title")] = a.attributes.at("href");
  EXPECT_EQ(goes, (std::map<std::string, std::string>{
                      {"To third", "card-003.html"},
                      {"Back", "card-003.html"},  // previous from the first wraps to the last
                      {"Elsewhere", "../../Other Stack/site/index.html"}}));
  ASSERT_EQ(Named(first, "div", "field").size(), 1u);
  EXPECT_EQ(Named(first, "div", "field")[0].text, "Find me & <here>\nsecond line");
  ASSERT_EQ(Named(first, "audio").size(), 1u);
  EXPECT_EQ(Named(first, "audio")[0].attributes.at("src"), "../sounds/7.wav");
  EXPECT_TRUE(std::filesystem::exists(dir.File("out/sounds/7.wav")));
  ASSERT_EQ(Named(first, "img").size(), 1u);
  EXPECT_EQ(Named(first, "img")[0].attributes.at("src"), "../cards/001.png");
  EXPECT_TRUE(std::filesystem::exists(dir.File("out/cards/001.png")));

  std::vector<Element> third = ReadHtml(dir.Read("out/site/card-003.html"));
  EXPECT_EQ(Named(third, "title")[0].text, "Card 3: Third <3>");
  ASSERT_EQ(Named(third, "a", "button").size(), 1u);
  EXPECT_EQ(Named(third, "a", "button")[0].attributes.at("href"), "card-001.html");
  EXPECT_EQ(Named(third, "a", "button")[0].attributes.at("title"), "button 1");
}

}  // namespace
}  // namespace corvida
