// Callback commands on the player itself: its menu commands, alerts, what is playing,
// the names and score it keeps, preferences, tools, transitions by name, offscreen
// drawing and running Tarrow text. Commands that would reach outside the player act
// only on its own windows and commands.
#include <algorithm>

#include "engine/callback.h"
#include "engine/transition.h"
#include "platform/text.h"
#include "stackfile/stack.h"

namespace corvida {
namespace {

constexpr uint32_t kBrowseTool = 18;
constexpr uint32_t kPlayerVersionFlag = 0x80000000;
constexpr uint32_t kScriptTextLimit = 1u << 20;
// The only offscreen bitmap, window, palette and drawing context the player names.
constexpr uint32_t kTheOne = 1;

// A menu label as the user reads it: without the access key mark and the shortcut.
std::string LabelText(std::string_view label) {
  label = label.substr(0, label.find('\t'));
  std::string out;
  for (char c : label)
    if (c != '&') out += c;
  return out;
}

std::string_view WithoutTrailingPeriods(std::string_view s) {
  while (!s.empty() && s.back() == '.') s.remove_suffix(1);
  return s;
}

// The alert text of command 68: a doubled backslash is one backslash, a single one
// separates the buttons.
std::string AlertFormat(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\') {
      out += text[i];
    } else if (i + 1 < text.size() && text[i + 1] == '\\') {
      out += '\\';
      ++i;
    } else {
      out += '~';
    }
  }
  return out;
}

// Sections naming extension modules: a stack must not choose what the player loads.
bool RefusedSection(std::string_view section) {
  return EqualsIgnoringCase(section, "NBAIDs") || EqualsIgnoringCase(section, "ExtraIDs");
}

}  // namespace

void CallbackDispatch::ChooseMenuItem() {
  auto item = ParamString(4);
  if (!item) return;
  const std::string_view wanted = WithoutTrailingPeriods(*item);
  // The player's own commands come first, unless the "Extras" menu is asked for by title.
  auto title = ParamString(3);
  const bool extras_menu =
      title && EqualsIgnoringCase(WithoutTrailingPeriods(LabelText(*title)), "Extras");
  if (!extras_menu) {
    for (const MenuItem& m : PlayerMenuItems()) {
      const std::string label = LabelText(m.label);
      if (!m.greyed && EqualsIgnoringCase(WithoutTrailingPeriods(label), wanted))
        return host_.RunMenuCommand(m.command);
    }
  }
  for (const auto& [command, name] : host_.ExtraMenuItems()) {
    if (EqualsIgnoringCase(WithoutTrailingPeriods(name), wanted))
      return host_.RunMenuCommand(static_cast<MenuCommand>(command));
  }
}

void CallbackDispatch::PlayerVersion() {
  Answer(1, kPlayerVersionFlag | (prefs_.AdvancedUser() ? 1 : 0));
}

void CallbackDispatch::VersionPair() {
  Answer(1, 5);
  Answer(2, 0);
}

void CallbackDispatch::PendingMessages() {
  host_.HandlePendingMessages();
}

void CallbackDispatch::OffscreenBitmap() {
  Answer(1, tokens_.Mint(TokenKind::kBitmap, kTheOne));
  Answer(2, tokens_.Mint(TokenKind::kWindow, kTheOne));
}

void CallbackDispatch::Score() {
  const corvida::Score score = CountAnswers(stack_, handles_);
  Answer(1, static_cast<uint32_t>(score.answered));
  Answer(2, static_cast<uint32_t>(score.right));
  Answer(3, AnswerBlock(49, Counted(executor_.user_name())));
}

void CallbackDispatch::Alert() {
  auto text = ParamString(1);
  if (!text) return Answer(1, 0);
  Answer(1, static_cast<uint32_t>(host_.AlertString(AlertFormat(*text))));
}

void CallbackDispatch::LastNames() {
  Answer(1, AnswerBlock(71 * 4 + 1, Counted(executor_.last_button_name())));
  Answer(2, AnswerBlock(71 * 4 + 2, Counted(last_field_name_)));
  Answer(3, AnswerBlock(71 * 4 + 3, Counted(last_graphic_name_)));
  Answer(4, AnswerBlock(71 * 4 + 4, Counted(host_.LastHyperlinkText())));
}

void CallbackDispatch::UserLevel() {
  Answer(1, prefs_.AdvancedUser() ? 1 : 0);
  // Copies of the flags: reading them is all a caller may do.
  Answer(2,
         AnswerBlock(72 * 4 + 2, std::vector<uint8_t>{card_changed_ ? uint8_t{1} : uint8_t{0}, 0}));
  Answer(3, AnswerBlock(72 * 4 + 3,
                        std::vector<uint8_t>{background_changed_ ? uint8_t{1} : uint8_t{0}, 0}));
}

void CallbackDispatch::BeginOffscreen() {
  offscreen_context_ = tokens_.Mint(TokenKind::kDrawingContext, kTheOne);
  Answer(1, offscreen_context_);
}

void CallbackDispatch::EndOffscreen() {
  if (offscreen_context_) tokens_.Revoke(offscreen_context_);
  offscreen_context_ = 0;
}

void CallbackDispatch::ReleaseContext() {
  if (P(1) && P(1) == offscreen_context_) EndOffscreen();
}

void CallbackDispatch::MediaState() {
  const PlayingMedia playing = host_.Playing();
  Answer(1, playing.movie ? 1 : 0);
  Answer(2, playing.sound ? 1 : 0);
  Answer(3, playing.animation ? 1 : 0);
}

void CallbackDispatch::StoreBrowseTool() {
  const uint8_t word[] = {kBrowseTool, 0};
  WriteBlock(P(1), 0, word);
}

void CallbackDispatch::ReadPreference() {
  auto section = ParamString(1), key = ParamString(2);
  std::string value = section && key ? prefs_.ReadPref(*section, *key) : Prefs::kMissing;
  value = value.substr(0, Prefs::kMaxValueChars - 1);
  auto h = HandleOf(P(3), Access::kWrite);
  if (!h) return;
  // Written NUL-terminated into the caller's block, as much as it holds.
  std::vector<uint8_t> bytes(value.begin(), value.end());
  bytes.push_back(0);
  bytes.resize(std::min<size_t>(bytes.size(), handles_.GetSize(*h)));
  if (!bytes.empty()) bytes.back() = 0;
  WriteBlock(P(3), 0, bytes);
}

void CallbackDispatch::WritePreference() {
  auto section = ParamString(1), key = ParamString(2), value = ParamString(3);
  if (!section || !key || !value || RefusedSection(*section)) return;
  prefs_.WritePref(*section, *key, *value);
}

void CallbackDispatch::Tool() {
  // The player has one tool, browsing; choosing another changes nothing.
  if (P(1) == 1) return Answer(2, kBrowseTool);
  Answer(1, kBrowseTool);
  Answer(2, 0);
}

void CallbackDispatch::Transitions() {
  if (P(2) != 0) {
    auto name = TransitionName(block_.signed_param(1));
    if (!name) return Answer(1, static_cast<uint32_t>(-1));
    auto h = HandleOf(P(3), Access::kWrite);
    if (!h || !caller_sizes_.count(*h)) return;
    const std::vector<uint8_t> counted = Counted(*name);
    if (caller_bytes_ - caller_sizes_[*h] + counted.size() > kCallerBytesLimit ||
        handles_.SetSize(*h, static_cast<uint32_t>(counted.size())) != 0)
      return;
    caller_bytes_ = caller_bytes_ - caller_sizes_[*h] + counted.size();
    caller_sizes_[*h] = static_cast<uint32_t>(counted.size());
    WriteBlock(P(3), 0, counted);
    return;
  }
  auto name = ParamString(1);
  Answer(1, static_cast<uint32_t>(name ? TransitionIdFromName(*name) : -1));
}

void CallbackDispatch::Palette() {
  Answer(1, tokens_.Mint(TokenKind::kPalette, kTheOne));
}

void CallbackDispatch::MadeOnMac() {
  Answer(1, stack_.is_open() && (stack_.Header16(header::kFlags) & header::kFlagMacNames) ? 1 : 0);
}

void CallbackDispatch::CallExtension() {
  host_.CallExtension(block_);
}

void CallbackDispatch::RunTarrow() {
  if (P(3) || P(4) || P(5)) return;
  const std::vector<uint8_t> text = ReadBlock(P(1), std::min(P(2), kScriptTextLimit));
  if (!text.empty()) host_.RunScript(std::string(text.begin(), text.end()));
}

void CallbackDispatch::RememberMarkedCard() {
  const ResolvedObject r = Resolve();
  AnswerResolved(r);
  if (r.card_itself) nav_.RememberMarked(r.asked);
}

void CallbackDispatch::MovieControl() {
  host_.MovieControl(block_.signed_param(1));
}

void CallbackDispatch::OpenRunBox() {
  host_.OpenRunBox();
}

void CallbackDispatch::PointerVisibility() {
  Answer(1, 1);
}

}  // namespace corvida
