// corvida export --source: source/stack.json in `corvida build`'s description format,
// with the card and graphic pictures as PNG files and every resource as its stored bytes
// beside it, so that `corvida build source/stack.json` makes a stack that plays the same.
// Cards and objects are described key by key (to be edited as text); resources are kept
// byte for byte. docs/export.md lists what a rebuilt stack does not keep.
#include "apps/build_session.h"
#include "apps/build_stack.h"
#include "apps/export_job.h"
#include "engine/fieldtext.h"
#include "engine/render.h"
#include "stackfile/action_reader.h"

namespace corvida::app {
namespace {

using json = nlohmann::ordered_json;

std::string Hex(std::span<const uint8_t> bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string out;
  for (uint8_t b : bytes) out += kDigits[b >> 4], out += kDigits[b & 15];
  return out;
}

json RectJson(const Rect& r) {
  return {r.left, r.top, r.right, r.bottom};
}

Rect RectAt(Bytes b, size_t at) {
  if (!b.Holds(at, 8)) return {};
  return {GetI16(b.data + at), GetI16(b.data + at + 2), GetI16(b.data + at + 4),
          GetI16(b.data + at + 6)};
}

// Script and text lines end with CR in records; descriptions use newlines.
std::string Lines(std::span<const uint8_t> bytes) {
  std::string text(bytes.begin(), bytes.end());
  for (char& c : text) {
    if (c == '\r') c = '\n';
  }
  return ShownText(text);
}

json EntryJson(std::span<const uint8_t> bytes) {
  const ActionEntryReader entry(bytes);
  Bytes view{const_cast<uint8_t*>(bytes.data()), bytes.size()};
  const uint16_t code = Field16(view, action::kEntryCode);
  json e;
  const auto path = [&] { return ShownText(entry.ReferencePath()); };
  switch (code) {
    case action::kEntryScript:
      e = {{"kind", "script"}, {"rect", RectJson(entry.rect())}, {"text", Lines(entry.data())}};
      break;
    case action::kEntryStackSound:
      e = {{"kind", "stackSound"},
           {"id", entry.resource_id()},
           {"strk", (entry.play_flags() & action::kSoundIsStrk) != 0},
           {"flags", entry.play_flags() & ~action::kSoundIsStrk},
           {"param", entry.play_param()}};
      break;
    case action::kEntrySoundFile:
      e = {{"kind", "sound"},
           {"path", path()},
           {"flags", entry.play_flags()},
           {"param", entry.play_param()}};
      break;
    case action::kEntryMovie:
      e = {{"kind", "movie"},
           {"path", path()},
           {"rect", RectJson(entry.rect())},
           {"options", entry.movie_options()},
           {"volume", entry.movie_volume()},
           {"movieId", entry.movie_id()}};
      return e;  // its id2 is the movie id
    case action::kEntryAnimation:
      e = {{"kind", "animation"}, {"rect", RectJson(entry.rect())}, {"bytes", Hex(entry.data())}};
      break;
    case action::kEntryNba:
      e = {{"kind", "nba"}, {"id", entry.resource_id()}, {"bytes", Hex(entry.data())}};
      break;
    case action::kEntryOtherStack:
      e = {{"kind", "stack"}, {"path", path()}};
      break;
    case action::kEntryLaunch:
      e = {{"kind", "launch"},
           {"document", path()},
           {"program", ShownText(entry.ProgramPath())},
           {"flags", entry.launch_flags()}};
      break;
    case action::kEntryVideodisc:
      e = {{"kind", "videodisc"},
           {"rect", RectJson(entry.rect())},
           {"a", Field16(view, 18)},
           {"b", Field16(view, 20)},
           {"c", Field16(view, 24)}};
      break;
    case action::kEntryButtonPicture:
      e = {{"kind", "picture"},
           {"width", Field16(view, 32)},
           {"height", Field16(view, 34)},
           {"bytes", Hex(entry.data())}};
      break;
    default:
      e = {{"kind", code}, {"bytes", Hex(entry.data())}};
  }
  if (uint16_t id2 = Field16(view, 2)) e["id2"] = id2;
  return e;
}

json ButtonJson(Bytes r) {
  json b = {{"type", "button"},
            {"id", Field16(r, object::kId)},
            {"rect", RectJson(RectAt(r, object::kRect))},
            {"flags", Field16(r, object::kFlags)},
            {"name", ShownText(CountedText(r, button::kName, button::kNameField))},
            {"style", Field16(r, button::kStyle)},
            {"textColor", Field16(r, button::kTextColor)},
            {"buttonColor", Field16(r, button::kButtonColor)},
            {"displayFlags", Field16(r, button::kDisplayFlags)},
            {"cursorId", Field16(r, button::kCursorId)},
            {"transition", Field16(r, button::kTransition)},
            {"speed", Field16(r, button::kSpeed)},
            {"timerCount", Field16(r, button::kTimerCount)},
            {"timerMode", Field16(r, button::kTimerMode)},
            {"answer", Field16(r, button::kAnswer)},
            {"actionFlags", Field16(r, button::kActionFlags)}};
  // A description's icon also turns its showing on, so only a shown icon is named.
  if (Field16(r, button::kDisplayFlags) & button::kShowsIcon)
    b["icon"] = Field16(r, button::kIconId);
  if (Field16(r, button::kActionFlags) & action::kGo)
    b["destination"] = int16_t(Field16(r, button::kDestination));
  json actions = json::array();
  for (std::span<const uint8_t> entry : ActionEntries({r.data, r.size}))
    actions.push_back(EntryJson(entry));
  b["actions"] = actions;
  return b;
}

json FieldJson(Bytes r, const std::vector<FontEntry>& fonts) {
  json f = {{"type", "field"},
            {"id", Field16(r, object::kId)},
            {"rect", RectJson(RectAt(r, object::kRect))},
            {"flags", Field16(r, object::kFlags)},
            {"name", ShownText(CountedText(r, field::kName, field::kNameField))},
            {"fieldFlags", Field16(r, field::kFieldFlags)},
            {"textColor", Field16(r, field::kTextColor)},
            {"actionId", Field16(r, field::kActionId)},
            {"cursorId", Field16(r, field::kCursorId)}};
  if (Field16(r, object::kFlags) & object::kFlagExternalFile) {
    std::vector<SubBlock> blocks = WalkSubBlocks(r);
    if (!blocks.empty())
      f["path"] = ShownText(
          TerminatedText(r, blocks[0].offset + fieldtext::kHeaderSize, blocks[0].data_length));
    return f;
  }
  FieldContent content = ReadFieldContent(r, fonts);
  f["text"] = Lines({reinterpret_cast<const uint8_t*>(content.text.data()), content.text.size()});
  if (!content.styled) return f;
  json styles = json::array();
  for (const StyleRun& run : content.runs) {
    json s = {{"start", run.start},
              {"font", run.style.font_number},
              {"size", run.style.size},
              {"style", run.style.style}};
    if (run.style.own_colour)
      s["color"] = {run.style.colour.r, run.style.colour.g, run.style.colour.b};
    styles.push_back(std::move(s));
  }
  f["styles"] = styles;
  return f;
}

// A masked graphic's mask as an image whose dark pixels are the ones shown, as
// descriptions give masks; false when it has none that reads.
bool GraphicMask(Bytes r, gfx::Bitmap& out) {
  constexpr size_t kMaskHead = 8;  // width, height, two fields
  const uint32_t length = Field32(r, graphic::kMaskLength);
  const size_t end = r.size - ((Field16(r, object::kFlags) & object::kFlagPadByte) ? 1 : 0);
  if (!(Field16(r, graphic::kGraphicFlags) & graphic::kFlagMask) || length < kMaskHead ||
      end > r.size || length > end || end - length < graphic::kFieldsEnd)
    return false;
  Bytes mask = r.Sub(end - length, length);
  gfx::Bitmap bits;
  if (!MaskFromRows({mask.data + kMaskHead, mask.size - kMaskHead}, Field16(mask, 0),
                    Field16(mask, 2), bits) ||
      !out.Create(bits.width(), bits.height(), 8))
    return false;
  out.palette.entries[0] = {255, 255, 255, 0};
  out.palette.entries[1] = {0, 0, 0, 0};
  out.palette.count = 2;
  for (int y = 0; y < bits.height(); ++y) {
    for (int x = 0; x < bits.width(); ++x) out.Set(x, y, bits.Get(x, y) ? 1 : 0);
  }
  return true;
}

class SourceWriter {
 public:
  explicit SourceWriter(ExportJob& job)
      : job_(job), fonts_(StackFonts(job.handles(), job.stack())) {}

  json Graphic(const ExportObject& o) {
    Bytes r = o.bytes();
    json g = {{"type", "graphic"},
              {"id", o.id},
              {"rect", RectJson(o.rect)},
              {"flags", o.flags},
              {"name", o.name},
              {"frameWidth", Field16(r, graphic::kFrameWidth)},
              {"frameColor", Field16(r, graphic::kFrameColor)},
              {"actionId", Field16(r, graphic::kActionId)},
              {"cursorId", Field16(r, graphic::kCursorId)},
              {"source", RectJson(RectAt(r, graphic::kSourceRect))}};
    const std::string stored = GraphicStoredPath(r);
    gfx::Bitmap picture;
    if (!stored.empty()) {
      g["path"] = ShownText(stored);
    } else if (DecodeGraphicPicture(r, picture)) {
      const std::string file =
          "pictures/" +
          job_.out.names().Claim("source/pictures", "graphic-" + std::to_string(o.id) + ".png");
      if (job_.out.WritePng("source/" + file, picture)) g["picture"] = file;
    }
    gfx::Bitmap mask;
    if (GraphicMask(r, mask)) {
      const std::string file =
          "pictures/" +
          job_.out.names().Claim("source/pictures", "mask-" + std::to_string(o.id) + ".png");
      if (job_.out.WritePng("source/" + file, mask)) g["mask"] = file;
    }
    return g;
  }

  json CardFields(const ExportCard& card) {
    LockedHandle bytes(job_.handles(), job_.stack().CardAt(card.number));
    Bytes c{bytes.data(), bytes.size()};
    return {{"id", card.id},
            {"kind", card.kind},
            {"backgroundId", card.background_id},
            {"name", card.name},
            {"flags", Field16(c, card::kFlags)},
            {"menuBar", Field16(c, card::kMenuBar)},
            {"madeAtDepth", Field16(c, card::kMadeAtDepth)},
            {"actions",
             {{"arrive", Field16(c, card::kArriveAction)},
              {"leave", Field16(c, card::kLeaveAction)},
              {"click", Field16(c, card::kClickAction)}}},
            {"cursorId", Field16(c, card::kCursorId)}};
  }

  json Card(const ExportCard& card) {
    json out = CardFields(card);
    if (card::HasPicture(card.kind)) {
      gfx::Bitmap image;
      const std::string file = "pictures/card-" + CardFileNumber(card.number) + ".png";
      if (job_.images.RenderCard(card.number, false, image) &&
          job_.out.WritePng("source/" + file, image))
        out["picture"] = file;
    }
    json objects = json::array();
    for (const ExportObject& o : card.objects) {
      if (o.type == object::kButton) objects.push_back(ButtonJson(o.bytes()));
      if (o.type == object::kTextField) objects.push_back(FieldJson(o.bytes(), fonts_));
      if (o.type == object::kGraphic) objects.push_back(Graphic(o));
    }
    out["objects"] = objects;
    return out;
  }

  // Each resource as the bytes a stack file stores, so it is rebuilt byte for byte.
  json Resources() {
    json out = json::array();
    const ResourceFile* area = job_.stack().resources().current();
    if (!area) return out;
    const bool mac_names = job_.stack().Header16(header::kFlags) & header::kFlagMacNames;
    for (const ResourceEntry& e : area->entries) {
      if (e.deleted()) continue;
      Handle data = job_.stack().resources().Get(e.type, e.id);
      if (!data) continue;
      std::vector<uint8_t> stored;
      {
        LockedHandle bytes(job_.handles(), data);
        stored.assign(bytes.data(), bytes.data() + bytes.size());
      }
      ConvertResourceData(e.type, {stored.data(), stored.size()}, Direction::kSave, mac_names);
      const std::string type = ShownText(FourCCText(e.type));
      const std::string file =
          "resources/" +
          job_.out.names().Claim("source/resources", type + "-" + std::to_string(e.id) + ".bin");
      job_.out.Write("source/" + file,
                     {reinterpret_cast<const char*>(stored.data()), stored.size()});
      json r = {{"type", type}, {"id", e.id}};
      if (!e.Name().empty()) r["name"] = ShownText(e.Name());
      r["file"] = file;
      out.push_back(std::move(r));
    }
    return out;
  }

  json StackSettings() {
    corvida::Stack& s = job_.stack();
    json out = {{"width", int16_t(s.Header16(header::kCardWidth))},
                {"height", int16_t(s.Header16(header::kCardHeight))},
                {"depth", s.Header16(header::kColorDepth)}};
    for (const HeaderSettingKey& f : kHeaderSettingKeys) out[f.key] = s.Header16(f.offset);
    out["nextCardId"] = s.Header16(header::kNextCardId);
    out["lastResourceId"] = s.Header16(header::kLastResourceId);
    LockedHandle header(job_.handles(), s.header());
    out["password"] =
        ShownText(TerminatedText({header.data(), header.size()}, header::kPassword, 16));
    return out;
  }

 private:
  ExportJob& job_;
  std::vector<FontEntry> fonts_;
};

}  // namespace

void ExportSource(ExportJob& job) {
  SourceWriter source(job);
  json description = {{"stack", source.StackSettings()}};
  json cards = json::array();
  job.progress.Start("source", job.cards.size());
  for (const ExportCard& card : job.cards) {
    cards.push_back(source.Card(card));
    job.progress.Step();
  }
  job.progress.Finish();
  description["cards"] = cards;
  description["resources"] = source.Resources();
  job.out.WriteJson("source/stack.json", description);
}

}  // namespace corvida::app
