// corvida export --site: a static copy of the stack to browse without the player:
// site/index.html lists the cards, site/card-NNN.html shows one: its image, links over
// the buttons that go to other cards (or to another stack exported beside this one),
// the fields' text as real text over their rectangles (transparent, so the image shows
// while the text can be selected and searched), audio elements for the buttons' sounds,
// and object names as alt text. No page needs a script.
#include <map>

#include "apps/build_session.h"
#include "apps/export_job.h"
#include "engine/fieldtext.h"
#include "platform/files.h"
#include "stackfile/action_reader.h"
#include "stackfile/mactext.h"

namespace corvida::app {
namespace {

constexpr const char* kStyle =
    "body{font-family:sans-serif;margin:1em}"
    ".card{position:relative;display:inline-block}"
    ".card>*{position:absolute;box-sizing:border-box;margin:0}"
    ".card>img{position:static;display:block}"
    ".field{color:transparent;overflow:hidden;white-space:pre-wrap;padding:3px}"
    ".field::selection,.field *::selection{background:#a6caf0;color:#000}"
    ".sounds audio{display:block}";

std::string Escaped(std::string_view text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string PageName(int number) {
  return "card-" + CardFileNumber(number) + ".html";
}

std::string Placed(const Rect& r) {
  return "left:" + std::to_string(r.left) + "px;top:" + std::to_string(r.top) +
         "px;width:" + std::to_string(std::max(0, r.Width())) +
         "px;height:" + std::to_string(std::max(0, r.Height())) + "px";
}

std::string Page(const std::string& title, const std::string& body) {
  return "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n<title>" +
         Escaped(title) + "</title>\n<style>" + kStyle + "</style>\n</head>\n<body>\n" + body +
         "</body>\n</html>\n";
}

std::string CardTitle(const ExportCard& card) {
  return "Card " + std::to_string(card.number) + (card.name.empty() ? "" : ": " + card.name);
}

class SiteWriter {
 public:
  explicit SiteWriter(ExportJob& job) : job_(job), fonts_(StackFonts(job.handles(), job.stack())) {
    for (const ExportCard& card : job.cards) number_of_id_.emplace(card.id, card.number);
  }

  void WriteIndex() {
    std::string body = "<h1>" + Escaped(PathFileName(job_.stack_path)) + "</h1>\n<ol>\n";
    for (const ExportCard& card : job_.cards) {
      body += "<li><a href=\"" + PageName(card.number) + "\">" + Escaped(CardTitle(card)) +
              "</a></li>\n";
    }
    job_.out.Write("site/index.html", Page(PathFileName(job_.stack_path), body + "</ol>\n"));
  }

  void WriteCard(const ExportCard& card) {
    const int count = int(job_.cards.size());
    std::string body = "<nav><a href=\"index.html\">All cards</a> <a rel=\"prev\" href=\"" +
                       PageName(card.number == 1 ? count : card.number - 1) +
                       "\">Previous</a> <a rel=\"next\" href=\"" +
                       PageName(card.number == count ? 1 : card.number + 1) +
                       "\">Next</a></nav>\n<h1>" + Escaped(CardTitle(card)) + "</h1>\n";
    body += "<div class=\"card\">\n<img src=\"../cards/" + CardFileNumber(card.number) +
            ".png\" alt=\"" + Escaped(CardTitle(card)) + "\">\n";
    std::string sounds;
    for (const ExportObject& o : ShownObjects(card)) {
      if (o.type == object::kButton) {
        body += ButtonLink(card, o);
        sounds += ButtonSounds(o);
      } else if (o.type == object::kTextField) {
        body += FieldText(o);
      } else if (o.type == object::kGraphic && !o.name.empty()) {
        body += "<div role=\"img\" aria-label=\"" + Escaped(o.name) + "\" style=\"" +
                Placed(o.rect) + "\"></div>\n";
      }
    }
    body += "</div>\n";
    if (!sounds.empty()) body += "<div class=\"sounds\">\n" + sounds + "</div>\n";
    job_.out.Write("site/" + PageName(card.number), Page(CardTitle(card), body));
  }

 private:
  // The background's shared objects first, then the card's own; hidden ones are left out.
  std::vector<ExportObject> ShownObjects(const ExportCard& card) {
    std::vector<ExportObject> shown;
    auto background = number_of_id_.find(card.background_id);
    if (card.background_id != card.id && background != number_of_id_.end()) {
      for (const ExportObject& o : job_.cards[size_t(background->second - 1)].objects) {
        if (o.flags & object::kFlagShared) shown.push_back(o);
      }
    }
    shown.insert(shown.end(), card.objects.begin(), card.objects.end());
    std::erase_if(shown, [](const ExportObject& o) { return o.flags & object::kFlagHidden; });
    return shown;
  }

  static std::string Label(const ExportObject& o, const char* kind) {
    return o.name.empty() ? std::string(kind) + " " + std::to_string(o.id) : o.name;
  }

  // Where a button goes: a card page, another stack's pages, or nowhere ("").
  std::string Target(const ExportCard& card, const ExportObject& o) {
    ActionRecordReader record(o.record);
    if (!(record.action_flags() & action::kGo)) return "";
    const ActionEntryReader other = record.Entry(action::kEntryOtherStack);
    if (!other.empty()) return OtherStackPage(other.ReferencePath());
    const int count = int(job_.cards.size());
    switch (record.destination()) {
      case -1:
        return PageName(card.number == count ? 1 : card.number + 1);
      case -2:
        return PageName(card.number == 1 ? count : card.number - 1);
      default: {
        auto found = number_of_id_.find(uint16_t(record.destination()));
        return found == number_of_id_.end() ? "" : PageName(found->second);
      }
    }
  }

  // Stacks exported side by side, each into a folder named after its file without the
  // extension: ../../NAME/site/index.html.
  std::string OtherStackPage(const std::string& stored) {
    const std::vector<std::string> parts = StoredPathComponents(stored);
    if (parts.empty()) return "";
    std::string name = parts.back();
    name = job_.stack().names_converted() ? MacToUtf8(name) : ShownText(name);
    if (size_t dot = name.rfind('.'); dot != std::string::npos && dot > 0) name.resize(dot);
    return "../../" + SafeFileName(name) + "/site/index.html";
  }

  std::string ButtonLink(const ExportCard& card, const ExportObject& o) {
    const std::string label = Escaped(Label(o, "button"));
    const std::string target = Target(card, o);
    const std::string place = "style=\"" + Placed(o.rect) + "\"";
    if (target.empty())
      return "<span class=\"button\" title=\"" + label + "\" " + place + "></span>\n";
    return "<a class=\"button\" href=\"" + Escaped(target) + "\" title=\"" + label +
           "\" aria-label=\"" + label + "\" " + place + "></a>\n";
  }

  std::string ButtonSounds(const ExportObject& o) {
    std::string out;
    for (std::span<const uint8_t> bytes : ActionEntries(o.record)) {
      const ActionEntryReader entry(bytes);
      const uint16_t code = Get16(bytes.data() + action::kEntryCode);
      std::string file;
      if (code == action::kEntryStackSound && job_.sound_files.contains(entry.resource_id()))
        file = "sounds/" + std::to_string(entry.resource_id()) + ".wav";
      if (code == action::kEntrySoundFile) {
        auto copied = job_.media_files.find(entry.ReferencePath());
        if (copied != job_.media_files.end()) file = copied->second;
      }
      if (file.empty()) continue;
      const std::string label = Escaped(Label(o, "button"));
      out += "<figure><figcaption>" + label + "</figcaption><audio controls src=\"../" +
             Escaped(file) + "\" title=\"" + label + "\"></audio></figure>\n";
    }
    return out;
  }

  std::string FieldText(const ExportObject& o) {
    std::string html = "<div class=\"field\" title=\"" + Escaped(Label(o, "field")) +
                       "\" style=\"" + Placed(o.rect) + "\">";
    if (!(o.flags & object::kFlagExternalFile)) {
      FieldContent content = ReadFieldContent(o.bytes(), fonts_);
      for (size_t i = 0; i < content.runs.size(); ++i) {
        const StyleRun& run = content.runs[i];
        size_t end = i + 1 < content.runs.size() ? content.runs[i + 1].start : content.text.size();
        if (run.start >= end || run.start >= content.text.size()) continue;
        std::string text = content.text.substr(run.start, end - run.start);
        for (char& c : text) {
          if (c == '\r') c = '\n';
        }
        html += "<span style=\"font-size:" + std::to_string(run.style.size) + "px" +
                (run.style.style & font_style::kBold ? ";font-weight:bold" : "") +
                (run.style.style & font_style::kItalic ? ";font-style:italic" : "") + "\">" +
                Escaped(ShownText(text)) + "</span>";
      }
    }
    return html + "</div>\n";
  }

  ExportJob& job_;
  std::vector<FontEntry> fonts_;
  std::map<uint16_t, int> number_of_id_;
};

}  // namespace

void ExportSite(ExportJob& job) {
  SiteWriter site(job);
  site.WriteIndex();
  job.progress.Start("site", job.cards.size());
  for (const ExportCard& card : job.cards) {
    site.WriteCard(card);
    job.progress.Step();
  }
  job.progress.Finish();
}

}  // namespace corvida::app
