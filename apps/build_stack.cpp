// Stack settings, cards, fields, graphics and resources from a description.
#include "apps/build_stack.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "apps/build_pictures.h"
#include "engine/fieldtext_store.h"
#include "platform/charset.h"
#include "stackfile/actions.h"
#include "stackfile/mactext.h"
#include "stackfile/resources.h"
#include "stackfile/sound.h"

namespace corvida::app {

using nlohmann::json;

namespace {

uint16_t KindOf(const json& card) {
  const json kind = card.value("kind", json("card"));
  if (kind.is_number()) return kind.get<uint16_t>();
  const std::string k = kind.get<std::string>();
  if (k == "card") return card::kKindCard;
  if (k == "background") return card::kKindBackground;
  if (k == "picture") return card::kKindPicture;
  if (k == "shared") return card::kKindShared;
  throw std::runtime_error("unknown card kind '" + k + "'");
}

void ApplySettings(const json& s, Stack& stack, Handles& handles) {
  for (const HeaderSettingKey& f : kHeaderSettingKeys) {
    if (s.contains(f.key)) stack.SetHeader16(f.offset, U16(s, f.key));
  }
  if (s.contains("password")) {
    std::string pw = WindowsText(s["password"]).substr(0, 15);
    LockedHandle h(handles, stack.header());
    std::memset(h.data() + header::kPassword, 0, 16);
    std::memcpy(h.data() + header::kPassword, pw.data(), pw.size());
  }
}

uint8_t StyleBits(const json& style) {
  if (style.is_number()) return style.get<uint8_t>();
  static const std::pair<const char*, uint8_t> kNames[] = {
      {"bold", font_style::kBold},           {"italic", font_style::kItalic},
      {"underline", font_style::kUnderline}, {"outline", font_style::kOutline},
      {"shadow", font_style::kShadow},       {"condense", font_style::kCondense},
      {"extend", font_style::kExtend}};
  uint8_t bits = 0;
  for (const json& name : style) {
    bool known = false;
    for (const auto& [text, bit] : kNames) {
      if (name == text) bits |= bit, known = true;
    }
    if (!known) throw std::runtime_error("unknown text style " + name.dump());
  }
  return bits;
}

// A field's text ("\n" ends a paragraph) and its style runs; runs name fonts by their
// number in the stack's font list ('FntL' 128).
RecordBytes FieldTextOf(const json& f) {
  std::string text = WindowsText(f["text"]);
  std::replace(text.begin(), text.end(), '\n', '\r');
  std::vector<StyleRun> runs;
  for (const json& s : f.value("styles", json::array())) {
    StyleRun run;
    run.start = s.value("start", 0u);
    run.style.font_number = U16(s, "font");
    run.style.size = s.value("size", kDefaultFontSize);
    run.style.style = StyleBits(s.value("style", json(0)));
    if (s.contains("color")) {
      const json& c = s["color"];
      run.style.own_colour = true;
      run.style.colour = {c.at(0).get<uint8_t>(), c.at(1).get<uint8_t>(), c.at(2).get<uint8_t>()};
    }
    runs.push_back(run);
  }
  return FieldTextBlocks(std::move(text), std::move(runs));
}

RecordBytes BuildField(const json& f) {
  RecordBytes r =
      NewObject(object::kTextField, U16(f, "id"), RectOf(f.value("rect", json::array())),
                U16(f, "flags"), kTextFieldRecordSize);
  uint8_t* p = r.data();
  PutCountedName(p + field::kName, field::kNameField, WindowsText(f.value("name", json(""))));
  Put16(p + field::kFieldFlags, U16(f, "fieldFlags") | (f.value("locked", false) ? 0x02 : 0));
  Put16(p + field::kTextColor, U16(f, "textColor"));
  Put16(p + field::kActionId, U16(f, "actionId"));
  Put16(p + field::kCursorId, U16(f, "cursorId"));
  if (f.contains("path")) {
    // The text comes from a file: the first sub-block holds its path.
    std::string path = WindowsText(f["path"]);
    RecordBytes block(field::kSubBlockHeader + path.size() + 1 + (path.size() + 1) % 2, 0);
    Put32(block.data() + 8, static_cast<uint32_t>(path.size() + 1));
    Put32(block.data() + 12, static_cast<uint32_t>(block.size()));
    std::memcpy(block.data() + field::kSubBlockHeader, path.data(), path.size());
    AppendToRecord(r, block);
    Put16(r.data() + object::kFlags, Get16(r.data() + object::kFlags) | object::kFlagExternalFile);
  }
  if (f.contains("text")) AppendToRecord(r, FieldTextOf(f));
  return r;
}

RecordBytes BuildGraphic(const json& g) {
  RecordBytes r = NewObject(object::kGraphic, U16(g, "id"), RectOf(g.value("rect", json::array())),
                            U16(g, "flags"), kGraphicRecordSize);
  uint8_t* p = r.data();
  PutCountedName(p + graphic::kName, graphic::kNameField, WindowsText(g.value("name", json(""))));
  Put16(p + graphic::kFrameWidth, U16(g, "frameWidth"));
  Put16(p + graphic::kFrameColor, U16(g, "frameColor"));
  Put16(p + graphic::kActionId, U16(g, "actionId"));
  Put16(p + graphic::kCursorId, U16(g, "cursorId"));
  if (g.contains("source")) PutRect(p + graphic::kSourceRect, RectOf(g["source"]));
  if (g.contains("path")) {
    std::vector<uint8_t> ref = FileReferenceBytes(WindowsText(g["path"]));
    if (ref.size() % 2) ref.push_back(0);
    AppendToRecord(r, ref);
    Put16(r.data() + object::kFlags, Get16(r.data() + object::kFlags) | object::kFlagExternalFile);
  }
  return r;
}

RecordBytes BuildCard(const json& c, uint16_t id) {
  RecordBytes r = NewCardRecord(id, KindOf(c), U16(c, "backgroundId"));
  uint8_t* p = r.data();
  PutCountedName(p + card::kName, card::kNameField, WindowsText(c.value("name", json(""))));
  uint16_t flags = U16(c, "flags");
  if (c.value("marked", false)) flags |= card::kFlagMarked;
  Put16(p + card::kFlags, flags);
  Put16(p + card::kMenuBar, U16(c, "menuBar"));
  Put16(p + card::kMadeAtDepth, U16(c, "madeAtDepth"));
  const json actions = c.value("actions", json::object());
  Put16(p + card::kArriveAction, U16(actions, "arrive"));
  Put16(p + card::kLeaveAction, U16(actions, "leave"));
  Put16(p + card::kClickAction, U16(actions, "click"));
  Put16(p + card::kCursorId, U16(c, "cursorId"));
  for (const json& o : c.value("objects", json::array())) {
    const std::string type = o.value("type", std::string());
    if (type == "button") {
      AppendObject(r, BuildButton(o));
    } else if (type == "field") {
      AppendObject(r, BuildField(o));
    } else if (type == "graphic") {
      AppendObject(r, BuildGraphic(o));
    } else {
      throw std::runtime_error("unknown object type '" + type + "'");
    }
  }
  return r;
}

RecordBytes BuildHyperlink(const json& h, uint16_t id) {
  std::string text = WindowsText(h.value("text", json("")));
  std::vector<uint8_t> extra = HexBytes(h.value("extra", std::string()));
  RecordBytes r(hyperlink::kText, 0);
  Put16(r.data() + hyperlink::kId, id);
  Put16(r.data() + hyperlink::kFieldId, U16(h, "fieldId"));
  Put16(r.data() + hyperlink::kExtraLength, static_cast<uint16_t>(extra.size()));
  Put16(r.data() + hyperlink::kTextLength, static_cast<uint16_t>(text.size()));
  r.insert(r.end(), text.begin(), text.end());
  r.insert(r.end(), extra.begin(), extra.end());
  if (h.contains("button")) {
    PutBE16(r.data() + hyperlink::kActive, 1);
    RecordBytes b = BuildButton(h["button"]);
    r.insert(r.end(), b.begin(), b.end());
  }
  return r;
}

RecordBytes BuildNba(const json& n) {
  std::string about = WindowsText(n.value("about", json("")));
  RecordBytes r(nba::kAboutText + about.size() + 1, 0);
  PutBE16(r.data(), U16(n, "aboutFlags"));
  PutBE16(r.data() + 2, U16(n, "nbaId"));
  // Both names are zero-terminated within their fields.
  std::string shown =
      WindowsText(n.value("displayName", json(""))).substr(0, nba::kDisplayNameField - 1);
  std::string module =
      WindowsText(n.value("module", json(""))).substr(0, nba::kModuleNameField - 1);
  std::memcpy(r.data() + nba::kDisplayName, shown.data(), shown.size());
  std::memcpy(r.data() + nba::kModuleName, module.data(), module.size());
  std::memcpy(r.data() + nba::kAboutText, about.data(), about.size());
  return r;
}

std::vector<uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read resource file '" + path + "'");
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// A sound file (WAV, AIFF/AIFC or AU, by its extension) in the stored 'Snd ' layout.
RecordBytes ImportedSound(const std::string& base, const std::string& name) {
  std::optional<SoundFileKind> kind = SoundFileKindOf(name);
  if (!kind) throw std::runtime_error("'" + name + "' is not a WAV, AIFF or AU file");
  SoundImportResult imported = ImportSoundFile(ReadFile(base + "/" + name), *kind);
  if (imported.alert)
    throw std::runtime_error("sound file '" + name + "' cannot be imported (alert " +
                             std::to_string(imported.alert) + ")");
  return imported.snd;
}

void AddResource(const json& r, const std::string& base, Stack& stack, Handles& handles) {
  std::string type_text = r.at("type").get<std::string>();
  std::string type4 = Utf8ToWindows1252(type_text);
  if (type4.size() != 4)
    throw std::runtime_error("a resource type has four characters: '" + type_text + "'");
  FourCC type = 0;
  for (char c : type4) type = type << 8 | static_cast<uint8_t>(c);
  uint16_t id = U16(r, "id");
  std::string name = WindowsText(r.value("name", json("")));

  RecordBytes native;
  bool stored_form = true;  // raw bytes are in the stored form and converted like a file's
  if (type == restype::kActn && r.contains("button")) {
    json b = r["button"];
    if (!b.contains("id")) b["id"] = id;
    native = BuildButton(b);
    stored_form = false;
  } else if (type == restype::kHlnk && !r.contains("file") && !r.contains("bytes")) {
    native = BuildHyperlink(r, id);
    stored_form = false;
  } else if (type == restype::kFntL && r.contains("fonts")) {
    std::vector<FontEntry> fonts;
    for (const json& f : r["fonts"]) fonts.push_back({WindowsText(f.at("name")), U16(f, "number")});
    native = FontListBytes(fonts);
  } else if (type == restype::kNBAs && !r.contains("file") && !r.contains("bytes")) {
    native = BuildNba(r);  // only its run-time slot is converted
  } else if (type == restype::kSnd && r.contains("sound")) {
    native = ImportedSound(base, r["sound"].get<std::string>());
  } else if (r.contains("file")) {
    native = ReadFile(base + "/" + r["file"].get<std::string>());
  } else if (r.contains("bytes")) {
    native = HexBytes(r["bytes"].get<std::string>());
  } else if (r.contains("text")) {
    std::string text = WindowsText(r["text"]);
    for (char& c : text) {
      if (c == '\n') c = '\r';
    }
    if (type == restype::kWKSp || type == restype::kWkSp) text = WindowsToMac(text);
    native.assign(text.begin(), text.end());
  } else {
    throw std::runtime_error("resource '" + type_text + "' " + std::to_string(id) +
                             " has no data (\"file\", \"bytes\" or \"text\")");
  }
  if (stored_form) {
    bool mac_names = stack.Header16(header::kFlags) & header::kFlagMacNames;
    ConvertResourceData(type, {native.data(), native.size()}, Direction::kLoad, mac_names);
  }
  Handle h = HandleFromBytes(handles, native);
  if (!h || stack.resources().Add(h, type, id, name) != 0) {
    handles.Dispose(h);
    throw std::runtime_error("cannot add resource '" + type_text + "' " + std::to_string(id));
  }
}

}  // namespace

std::string BuildStack(const json& d, const std::string& base, Stack& stack, Handles& handles) {
  try {
    const json s = d.value("stack", json::object());
    int16_t width = static_cast<int16_t>(s.value("width", 512));
    int16_t height = static_cast<int16_t>(s.value("height", 342));
    uint16_t depth = static_cast<uint16_t>(s.value("depth", 8));
    if (stack.CreateNew(width, height, depth) != 0) return "out of memory";
    ApplySettings(s, stack, handles);
    uint16_t next_id = 1;
    for (const json& c : d.value("cards", json::array())) {
      uint16_t id = c.contains("id") ? U16(c, "id") : next_id;
      next_id = std::max<uint16_t>(next_id, static_cast<uint16_t>(id + 1));
      RecordBytes record = BuildCard(c, id);
      AddPictures(record, c, base, {width, height}, depth);
      Handle h = HandleFromBytes(handles, record);
      if (!h || !stack.AddCard(h, stack.CardCount())) return "out of memory";
    }
    stack.SetHeader16(header::kNextCardId, U16(s, "nextCardId", next_id));
    uint16_t last_id = 1;
    for (const json& r : d.value("resources", json::array())) {
      if (!r.contains("id")) throw std::runtime_error("every resource needs an \"id\"");
      AddResource(r, base, stack, handles);
      last_id = std::max(last_id, U16(r, "id"));
    }
    if (ResourceFile* area = stack.resources().current())
      area->last_id = U16(s, "lastResourceId", last_id);
  } catch (const std::exception& e) {
    return e.what();
  }
  return "";
}

}  // namespace corvida::app
