// Buttons and their action entries from a description.
#include <cstring>
#include <stdexcept>

#include "apps/build_stack.h"
#include "platform/charset.h"
#include "stackfile/actions.h"

namespace corvida::app {

using nlohmann::json;

namespace {

template <typename T>
T Get(const json& j, const char* key, T fallback) {
  auto it = j.find(key);
  return it == j.end() ? fallback : it->get<T>();
}

struct EntryKind {
  const char* name;
  uint16_t code;
  uint16_t flag;  // action flag that asks for it
};
constexpr EntryKind kKinds[] = {
    {"sound", action::kEntrySoundFile, action::kSoundFile},
    {"stackSound", action::kEntryStackSound, action::kStackSound},
    {"nba", action::kEntryNba, action::kNba},
    {"stack", action::kEntryOtherStack, action::kGo},
    {"animation", action::kEntryAnimation, action::kAnimation},
    {"movie", action::kEntryMovie, action::kMovie},
    {"script", action::kEntryScript, action::kScript},
    {"videodisc", action::kEntryVideodisc, action::kVideodisc},
    {"launch", action::kEntryLaunch, action::kLaunch},
    {"picture", action::kEntryButtonPicture, 0},
};

std::vector<uint8_t> DataOf(const json& e) {
  if (e.contains("bytes")) return HexBytes(e["bytes"].get<std::string>());
  std::string text = WindowsText(e.value("text", json("")));
  for (char& c : text) {
    if (c == '\n') c = '\r';  // scripts and texts end their lines with CR
  }
  return std::vector<uint8_t>(text.begin(), text.end());
}

RecordBytes BuildEntry(const json& e, uint16_t* flag) {
  uint16_t code = 0;
  *flag = 0;
  const json& kind = e.at("kind");
  if (kind.is_number()) {
    code = kind.get<uint16_t>();
  } else {
    for (const EntryKind& k : kKinds) {
      if (kind.get<std::string>() == k.name) code = k.code, *flag = k.flag;
    }
    if (code == 0)
      throw std::runtime_error("unknown action kind '" + kind.get<std::string>() + "'");
  }
  std::vector<uint8_t> data;
  switch (code) {
    case action::kEntrySoundFile:
    case action::kEntryOtherStack:
    case action::kEntryMovie:
      data = FileReferenceBytes(WindowsText(e.at("path")));
      break;
    case action::kEntryLaunch: {
      data = FileReferenceBytes(WindowsText(e.value("document", json(""))));
      std::vector<uint8_t> program = FileReferenceBytes(WindowsText(e.value("program", json(""))));
      data.insert(data.end(), program.begin(), program.end());
      break;
    }
    default:
      data = DataOf(e);
  }
  bool pad = data.size() % 2 != 0;
  RecordBytes entry = NewActionEntry(code, 32 + data.size() + (pad ? 1 : 0));
  if (!data.empty()) std::memcpy(entry.data() + 32, data.data(), data.size());
  uint8_t* p = entry.data();
  Put16(p + 2, U16(e, "id2"));
  if (pad) Put16(p + action::kEntryFlags, object::kFlagPadByte);
  if (e.contains("rect")) PutRect(p + 4, RectOf(e["rect"]));
  switch (code) {
    case action::kEntryNba:
      Put16(p + 16, U16(e, "id"));
      break;
    case action::kEntryStackSound:
      Put16(p + 16, U16(e, "id"));
      Put16(p + 4, U16(e, "param"));
      Put16(p + 24, U16(e, "flags") | (Get<bool>(e, "strk", false) ? action::kSoundIsStrk : 0));
      break;
    case action::kEntrySoundFile:
      Put16(p + 4, U16(e, "param"));
      Put16(p + 24, U16(e, "flags"));
      break;
    case action::kEntryLaunch:
      Put16(p + 16, U16(e, "flags"));
      Put32(p + 18, static_cast<uint32_t>(
                        FileReferenceBytes(WindowsText(e.value("document", json("")))).size()));
      break;
    case action::kEntryMovie:
      Put16(p + 2, U16(e, "movieId"));
      Put32(p + 16, Get<uint32_t>(e, "options", 0));
      Put16(p + 20, U16(e, "volume", 256));
      break;
    case action::kEntryVideodisc:
      Put16(p + 18, U16(e, "a"));
      Put16(p + 20, U16(e, "b"));
      Put16(p + 24, U16(e, "c"));
      break;
    case action::kEntryButtonPicture:
      if (entry.size() >= 36) {
        Put16(p + 32, U16(e, "width"));
        Put16(p + 34, U16(e, "height"));
      }
      break;
    default:
      break;
  }
  return entry;
}

}  // namespace

RecordBytes BuildButton(const json& b) {
  RecordBytes r = NewObject(object::kButton, U16(b, "id"), RectOf(b.value("rect", json::array())),
                            U16(b, "flags"), kButtonRecordSize);
  uint8_t* p = r.data();
  PutCountedName(p + button::kName, button::kNameField, WindowsText(b.value("name", json(""))));
  uint16_t flags = U16(b, "actionFlags");
  if (b.contains("destination")) {
    Put16(p + button::kDestination, static_cast<uint16_t>(b["destination"].get<int>()));
    flags |= action::kGo;
  }
  Put16(p + button::kTransition, U16(b, "transition"));
  Put16(p + button::kSpeed, U16(b, "speed"));
  Put16(p + button::kTimerCount, U16(b, "timerCount"));
  Put16(p + button::kTimerMode, U16(b, "timerMode"));
  Put16(p + button::kStyle, U16(b, "style", 4));
  Put16(p + button::kAnswer, U16(b, "answer"));
  uint16_t display = U16(b, "displayFlags", b.contains("displayFlags") ? 0 : 0x08);
  if (b.contains("icon")) {
    Put16(p + button::kIconId, U16(b, "icon"));
    if (!b.contains("displayFlags")) display |= button::kShowsIcon;
  }
  Put16(p + button::kDisplayFlags, display);
  Put16(p + button::kTextColor, U16(b, "textColor"));
  Put16(p + button::kButtonColor, U16(b, "buttonColor"));
  Put16(p + button::kCursorId, U16(b, "cursorId"));
  for (const json& e : b.value("actions", json::array())) {
    uint16_t flag = 0;
    AppendToRecord(r, BuildEntry(e, &flag));
    flags |= flag;
  }
  Put16(r.data() + button::kActionFlags, flags);
  return r;
}

uint16_t U16(const json& j, const char* key, int fallback) {
  return static_cast<uint16_t>(Get<int>(j, key, fallback));
}

std::string WindowsText(const json& value) {
  return value.is_string() ? Utf8ToWindows1252(value.get<std::string>()) : std::string();
}

Rect RectOf(const json& v) {
  if (!v.is_array() || v.size() != 4) return {};
  return {v[0].get<int>(), v[1].get<int>(), v[2].get<int>(), v[3].get<int>()};
}

std::vector<uint8_t> HexBytes(const std::string& hex) {
  std::vector<uint8_t> out;
  int high = -1;
  for (char c : hex) {
    int v = std::isxdigit(static_cast<unsigned char>(c))
                ? (std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : (c | 0x20) - 'a' + 10)
                : -1;
    if (v < 0) {
      if (c == ' ' || c == '\n' || c == '\t') continue;
      throw std::runtime_error("\"bytes\" holds a character that is not a hex digit");
    }
    if (high < 0) {
      high = v;
    } else {
      out.push_back(static_cast<uint8_t>(high << 4 | v));
      high = -1;
    }
  }
  if (high >= 0) throw std::runtime_error("\"bytes\" has an odd number of hex digits");
  return out;
}

std::vector<uint8_t> FileReferenceBytes(const std::string& path) {
  std::vector<uint8_t> out(path.begin(), path.end());
  out.push_back(0);
  if (out.size() % 2) out.push_back(0);
  out.insert(out.end(), 6, 0);
  size_t cut = path.find_last_of(":\\");
  std::string name = cut == std::string::npos ? path : path.substr(cut + 1);
  out.insert(out.end(), name.begin(), name.end());
  out.push_back(0);
  return out;
}

}  // namespace corvida::app
