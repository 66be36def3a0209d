#include "platform/sdl/sdl_alerts.h"

#include <cstdio>

#include "platform/charset.h"
#include "platform/lazy_libs.h"
#include "platform/sdl/sdl_window_system.h"
#include "platform/text.h"

namespace corvida::sdl {
namespace {

constexpr const char* kTitle = "Corvida Player";

Uint32 IconFlags(AlertIcon icon) {
  switch (icon) {
    case AlertIcon::kStop:
      return SDL_MESSAGEBOX_ERROR;
    case AlertIcon::kExclamation:
      return SDL_MESSAGEBOX_WARNING;
    case AlertIcon::kMascot:
    case AlertIcon::kNone:
      break;
  }
  return SDL_MESSAGEBOX_INFORMATION;
}

// Windows-1252 text with Mac or Windows line breaks, as UTF-8 with '\n' breaks.
std::string DisplayText(const std::string& text) {
  std::string lines;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r') {
      lines += '\n';
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
    } else {
      lines += text[i];
    }
  }
  return Windows1252ToUtf8(lines);
}

// A label without its keyboard-mnemonic ampersands ("&&" stays one '&').
std::string Label(const std::string& label) {
  std::string out;
  for (size_t i = 0; i < label.size(); ++i) {
    if (label[i] == '&' && i + 1 < label.size() && label[i + 1] != '&') continue;
    if (label[i] == '&') ++i;
    out += label[i];
  }
  return Windows1252ToUtf8(out);
}

}  // namespace

void BuildMessageBox(const AlertRequest& request, const std::string& title, MessageBox& box) {
  box.title = title;
  box.text = DisplayText(request.text);
  box.labels.clear();
  box.buttons.clear();
  std::vector<std::string> labels = request.buttons;
  if (labels.empty()) labels.push_back("OK");
  int count = static_cast<int>(labels.size());
  int default_button =
      request.default_button >= 0 && request.default_button < count ? request.default_button : 0;
  int cancel = request.cancel_button >= 0 && request.cancel_button < count ? request.cancel_button
               : count == 1                                                ? 0
                                                                           : -1;
  for (const char* word : {"cancel", "no"}) {
    for (int i = 0; i < count && cancel < 0; ++i) {
      if (EqualsIgnoringCase(Label(labels[i]), word)) cancel = i;
    }
  }
  for (const std::string& label : labels) box.labels.push_back(Label(label));
  for (int i = 0; i < count; ++i) {
    Uint32 flags = 0;
    if (i == default_button) flags |= SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT;
    if (i == cancel) flags |= SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
    box.buttons.push_back({flags, i, box.labels[i].c_str()});
  }
  box.data = {};
  box.data.flags = IconFlags(request.icon) | SDL_MESSAGEBOX_BUTTONS_LEFT_TO_RIGHT;
  box.data.title = box.title.c_str();
  box.data.message = box.text.c_str();
  box.data.numbuttons = count;
  box.data.buttons = box.buttons.data();
}

int SdlAlertPresenter::ShowAlert(const AlertRequest& request) {
  if (in_window_ != nullptr) return in_window_->ShowAlert(request);
  MessageBox box;
  BuildMessageBox(request, kTitle, box);
  box.data.window = windows_.NativeWindow(request.owner);
  int chosen = -1;
  int count = box.data.numbuttons;
  const int unanswered = UnansweredChoice(request);
  const int fallback = unanswered >= 0 && unanswered < count ? unanswered : 0;
  if (!LazyAvailable(LazyGroup::kSdl) || SDL_ShowMessageBox(&box.data, &chosen) != 0) {
    // No way to ask: say so on the terminal and take the answer nobody chose.
    std::fprintf(stderr, "%s\n", box.text.c_str());
    return fallback;
  }
  // Closing the box without a button is no choice either.
  return chosen >= 0 && chosen < count ? chosen : fallback;
}

void SdlAlertPresenter::ShowMessageBox(const std::string& title, const std::string& text,
                                       AlertIcon icon) {
  std::string utf8_title = title.empty() ? kTitle : DisplayText(title);
  std::string utf8_text = DisplayText(text);
  if (!LazyAvailable(LazyGroup::kSdl) ||
      SDL_ShowSimpleMessageBox(IconFlags(icon), utf8_title.c_str(), utf8_text.c_str(), nullptr) !=
          0) {
    std::fprintf(stderr, "%s: %s\n", utf8_title.c_str(), utf8_text.c_str());
  }
}

}  // namespace corvida::sdl
