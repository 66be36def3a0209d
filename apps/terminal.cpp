#include "apps/terminal.h"

#include <cstdio>

#include "platform/files.h"

namespace corvida::app {

namespace {

void AppendHex(std::string& out, const char* prefix, unsigned value, const char* suffix) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%s%02x%s", prefix, value, suffix);
  out += buffer;
}

void AppendControl(std::string& out, uint8_t c) {
  switch (c) {
    case '\n':
      out += "\\n";
      break;
    case '\r':
      out += "\\r";
      break;
    case '\t':
      out += "\\t";
      break;
    case 0x1b:
      out += "\\e";
      break;
    default:
      AppendHex(out, "\\x", c, "");
  }
}

// Length of the well-formed UTF-8 sequence at `at` (shortest form, no surrogates), or 0.
size_t SequenceLength(std::string_view s, size_t at, uint32_t& code_point) {
  const uint8_t lead = static_cast<uint8_t>(s[at]);
  const size_t length = lead >= 0xF0 && lead <= 0xF4 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
  if (length == 0 || lead >= 0xF5 || at + length > s.size()) return 0;
  code_point = lead & (0x7F >> length);
  for (size_t i = 1; i < length; ++i) {
    const uint8_t next = static_cast<uint8_t>(s[at + i]);
    if ((next & 0xC0) != 0x80) return 0;
    code_point = code_point << 6 | (next & 0x3F);
  }
  const uint32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
  if (code_point < smallest[length] || code_point > 0x10FFFF) return 0;
  if (code_point >= 0xD800 && code_point <= 0xDFFF) return 0;
  return length;
}

}  // namespace

std::string EscapeControls(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (size_t at = 0; at < utf8.size();) {
    const uint8_t c = static_cast<uint8_t>(utf8[at]);
    if (c < 0x20 || c == 0x7F) {
      AppendControl(out, c);
      ++at;
    } else if (c < 0x80) {
      out += static_cast<char>(c);
      ++at;
    } else if (uint32_t code_point; size_t length = SequenceLength(utf8, at, code_point)) {
      if (code_point <= 0x9F) {
        AppendHex(out, "\\u{", code_point, "}");  // C1 controls, e.g. the one-byte CSI
      } else {
        out.append(utf8.substr(at, length));
      }
      at += length;
    } else {
      AppendHex(out, "\\x", c, "");
      ++at;
    }
  }
  return out;
}

std::string JsonText(const nlohmann::json& value) {
  // Invalid UTF-8 cannot come from our own conversions; were it there, it is replaced
  // rather than thrown on.
  const std::string text = value.dump(2, ' ', false, nlohmann::json::error_handler_t::replace);
  std::string out;
  out.reserve(text.size());
  // The dump escapes C0 already; DEL and C1 (U+0080..U+009F, C2 80..C2 9F in UTF-8) can
  // only stand inside strings and become \u escapes too.
  for (size_t at = 0; at < text.size(); ++at) {
    const uint8_t c = static_cast<uint8_t>(text[at]);
    const uint8_t next = at + 1 < text.size() ? static_cast<uint8_t>(text[at + 1]) : 0;
    if (c == 0x7F) {
      AppendHex(out, "\\u00", c, "");
    } else if (c == 0xC2 && next >= 0x80 && next <= 0x9F) {
      AppendHex(out, "\\u00", next, "");
      ++at;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

bool CheckReadable(std::string_view command, const std::string& path) {
  const std::string reason = WhyUnreadable(path);
  if (reason.empty()) return true;
  std::fprintf(stderr, "corvida %.*s: cannot open %s: %s\n", int(command.size()), command.data(),
               EscapeControls(path).c_str(), reason.c_str());
  return false;
}

}  // namespace corvida::app
