// corvida export: each card's fields as text/NNN.json (text, style runs, hyperlinks) and
// text/NNN.md (the text to read). A card shows its own fields and
// the shared fields of its background, so both are listed.
#include <map>

#include "apps/build_session.h"
#include "apps/export_job.h"
#include "engine/fieldtext.h"
#include "stackfile/action_reader.h"

namespace corvida::app {
namespace {

using json = nlohmann::ordered_json;

// Link places listed for one field at most: a short link text in a long field could
// otherwise match millions of times.
constexpr size_t kMaxLinkPlaces = 10000;

json StyleNames(uint8_t style) {
  static constexpr std::pair<uint8_t, const char*> kNames[] = {
      {font_style::kBold, "bold"},           {font_style::kItalic, "italic"},
      {font_style::kUnderline, "underline"}, {font_style::kOutline, "outline"},
      {font_style::kShadow, "shadow"},       {font_style::kCondense, "condense"},
      {font_style::kExtend, "extend"}};
  json names = json::array();
  for (auto [bit, name] : kNames) {
    if (style & bit) names.push_back(name);
  }
  return names;
}

std::string Hex(gfx::Rgb c) {
  char text[8];
  std::snprintf(text, sizeof text, "#%02x%02x%02x", c.r, c.g, c.b);
  return text;
}

// Paragraph ends (CR) as newlines, the rest as UTF-8.
std::string TextOf(std::string windows) {
  for (char& c : windows) {
    if (c == '\r') c = '\n';
  }
  return ShownText(windows);
}

json Runs(const FieldContent& content) {
  json runs = json::array();
  for (size_t i = 0; i < content.runs.size(); ++i) {
    const StyleRun& run = content.runs[i];
    size_t end = i + 1 < content.runs.size() ? content.runs[i + 1].start : content.text.size();
    if (run.start >= end) continue;
    json r = {{"start", run.start},
              {"end", end},
              {"font", ShownText(run.style.font)},
              {"size", run.style.size},
              {"style", StyleNames(run.style.style)}};
    r["colour"] = run.style.own_colour ? json(Hex(run.style.colour)) : json(nullptr);
    runs.push_back(std::move(r));
  }
  return runs;
}

// The stack's hyperlinks for a field: where each link's text occurs in it (character
// offsets) and where an active link goes.
json Links(ExportJob& job, uint16_t field_id, const std::string& text) {
  json links = json::array();
  const ResourceFile* area = job.stack().resources().current();
  if (!area) return links;
  for (const ResourceEntry& e : area->entries) {
    if (e.type != restype::kHlnk || e.deleted()) continue;
    Handle data = job.stack().resources().Get(restype::kHlnk, e.id);
    if (!data) continue;
    LockedHandle bytes(job.handles(), data);
    Bytes h{bytes.data(), bytes.size()};
    const uint16_t owner = Field16(h, hyperlink::kFieldId);
    const size_t length = Field16(h, hyperlink::kTextLength);
    if ((owner != 0 && owner != field_id) || length == 0 || !h.Holds(hyperlink::kText, length))
      continue;
    const std::string link(reinterpret_cast<const char*>(h.data + hyperlink::kText), length);
    Bytes action = HyperlinkAction(h);
    for (size_t at = text.find(link); at != std::string::npos && links.size() < kMaxLinkPlaces;
         at = text.find(link, at + 1)) {
      json l = {{"id", e.id}, {"text", TextOf(link)}, {"start", at}, {"end", at + length}};
      ActionRecordReader reader({action.data, action.size});
      if (action.size && (reader.action_flags() & action::kGo))
        l["destination"] = reader.destination();
      links.push_back(std::move(l));
    }
  }
  return links;
}

json FieldJson(ExportJob& job, const ExportObject& o, bool background,
               const std::vector<FontEntry>& fonts) {
  json f = {{"id", o.id},
            {"name", o.name},
            {"rect", {o.rect.left, o.rect.top, o.rect.right, o.rect.bottom}},
            {"background", background},
            {"hidden", (o.flags & object::kFlagHidden) != 0}};
  if (o.flags & object::kFlagExternalFile) {
    std::vector<SubBlock> blocks = WalkSubBlocks(o.bytes());
    std::string stored;
    if (!blocks.empty())
      stored = TerminatedText(o.bytes(), blocks[0].offset + fieldtext::kHeaderSize,
                              blocks[0].data_length);
    f["externalFile"] = ShownText(stored);
    return f;
  }
  FieldContent content = ReadFieldContent(o.bytes(), fonts);
  f["text"] = TextOf(content.text);
  f["runs"] = Runs(content);
  f["links"] = Links(job, o.id, content.text);
  return f;
}

// The field's text with the characters Markdown would take as markup escaped.
std::string Markdown(const json& field) {
  const std::string text = field.value("text", "");
  std::string out;
  for (char c : text) {
    if (std::string_view("\\`*_[]#<>|").find(c) != std::string_view::npos) out += '\\';
    out += c;
  }
  return out;
}

std::string CardMarkdown(const ExportCard& card, const json& fields) {
  std::string md = "# Card " + std::to_string(card.number);
  if (!card.name.empty()) md += ": " + card.name;
  md += "\n";
  for (const json& f : fields) {
    const std::string name = f["name"].get<std::string>();
    md += "\n## " + (name.empty() ? "Field " + std::to_string(f["id"].get<int>()) : name) + "\n\n";
    if (f.contains("externalFile")) {
      md += "(text kept in the file " + f["externalFile"].get<std::string>() + ")\n";
    } else {
      md += Markdown(f) + "\n";
    }
  }
  return md;
}

}  // namespace

void ExportFieldTexts(ExportJob& job) {
  const std::vector<FontEntry> fonts = StackFonts(job.handles(), job.stack());
  std::map<uint16_t, const ExportCard*> by_id;
  for (const ExportCard& card : job.cards) by_id.emplace(card.id, &card);
  job.progress.Start("text", job.cards.size());
  for (const ExportCard& card : job.cards) {
    json fields = json::array();
    auto background = by_id.find(card.background_id);
    if (card.background_id != card.id && background != by_id.end()) {
      for (const ExportObject& o : background->second->objects) {
        if (o.type == object::kTextField && (o.flags & object::kFlagShared))
          fields.push_back(FieldJson(job, o, true, fonts));
      }
    }
    for (const ExportObject& o : card.objects) {
      if (o.type == object::kTextField) fields.push_back(FieldJson(job, o, false, fonts));
    }
    const std::string name = "text/" + CardFileNumber(card.number);
    job.out.WriteJson(
        name + ".json",
        {{"card", card.number}, {"id", card.id}, {"name", card.name}, {"fields", fields}});
    job.out.Write(name + ".md", CardMarkdown(card, fields));
    job.progress.Step();
  }
  job.progress.Finish();
}

}  // namespace corvida::app
