// corvida export: the stack's ActionRecords (buttons, 'Actn' and 'Hlnk' resources) and
// the Tarrow scripts among their entries as scripts/NAME.lg, with the saved workspace as
// scripts/workspace.lg, all UTF-8 with newline line ends.
#include "apps/build_session.h"
#include "apps/export_job.h"
#include "stackfile/action_reader.h"
#include "stackfile/mactext.h"

namespace corvida::app {
namespace {

// Scripts end their lines with CR (CR LF in some); files get newlines.
std::string Lines(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r') {
      out += text[i];
    } else if (i + 1 >= text.size() || text[i + 1] != '\n') {
      out += '\n';
    }
  }
  return out;
}

std::vector<uint8_t> Copy(Bytes view) {
  return {view.data, view.data + view.size};
}

void CollectResources(ExportJob& job, FourCC type, std::vector<ExportActions>& out) {
  Resources& resources = job.stack().resources();
  const ResourceFile* area = resources.current();
  if (!area) return;
  const bool link = type == restype::kHlnk;
  for (const ResourceEntry& e : area->entries) {
    if (e.type != type || e.deleted()) continue;
    Handle data = resources.Get(type, e.id);
    if (!data) continue;
    LockedHandle bytes(job.handles(), data);
    Bytes view{bytes.data(), bytes.size()};
    Bytes record = link ? HyperlinkAction(view) : ActionRecordView(view);
    if (!record.size) continue;
    const std::string id = std::to_string(e.id);
    out.push_back(
        {(link ? "link " : "action ") + id, (link ? "link-" : "action-") + id, Copy(record)});
  }
}

}  // namespace

std::vector<std::span<const uint8_t>> ActionEntries(std::span<const uint8_t> record) {
  std::vector<std::span<const uint8_t>> entries;
  for (size_t at = button::kEntries, length; (length = EntryLengthAt(record, at)); at += length)
    entries.push_back(record.subspan(at, length));
  return entries;
}

std::vector<ExportActions> CollectActionRecords(ExportJob& job) {
  std::vector<ExportActions> out;
  for (const ExportCard& card : job.cards) {
    for (const ExportObject& o : card.objects) {
      if (o.type != object::kButton) continue;
      const std::string id = std::to_string(o.id);
      out.push_back({"card " + std::to_string(card.number) + " button " + id,
                     "card-" + CardFileNumber(card.number) + "-button-" + id, o.record});
    }
  }
  CollectResources(job, restype::kActn, out);
  CollectResources(job, restype::kHlnk, out);
  return out;
}

void ExportScripts(ExportJob& job) {
  for (const ExportActions& actions : CollectActionRecords(job)) {
    for (std::span<const uint8_t> entry : ActionEntries(actions.record)) {
      if (Get16(entry.data() + action::kEntryCode) != action::kEntryScript) continue;
      std::span<const uint8_t> text = ActionEntryReader(entry).data();
      const std::string utf8 =
          ShownText(Lines({reinterpret_cast<const char*>(text.data()), text.size()}));
      job.out.Write("scripts/" + job.out.names().Claim("scripts", actions.file_base + ".lg"), utf8);
    }
  }
  const std::string& workspace = job.stack().workspace();
  if (!workspace.empty())
    job.out.Write("scripts/" + job.out.names().Claim("scripts", "workspace.lg"),
                  MacToUtf8(Lines(workspace)));
}

}  // namespace corvida::app
