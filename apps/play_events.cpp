#include "apps/play_events.h"

#include <charconv>
#include <sstream>

namespace corvida::app {
namespace {

constexpr size_t kMaxEvents = 10000;

bool Number(const std::string& word, int low, int high, int& out) {
  const char* end = word.data() + word.size();
  auto [at, ec] = std::from_chars(word.data(), end, out);
  return ec == std::errc() && at == end && out >= low && out <= high;
}

// The rest of the line after the verb and one space, as it stands (paths may hold spaces).
std::string Rest(const std::string& line, const std::string& verb) {
  return line.size() > verb.size() + 1 ? line.substr(verb.size() + 1) : std::string();
}

}  // namespace

bool ParsePlayEvents(const std::string& script, std::vector<PlayEvent>& events,
                     std::string& error) {
  std::istringstream lines(script);
  std::string line;
  for (int number = 1; std::getline(lines, line); ++number) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    std::istringstream words(line);
    std::string verb, a, b, extra;
    words >> verb >> a >> b >> extra;
    PlayEvent e;
    bool ok = false;
    if (verb == "wait") {
      e.kind = PlayEventKind::kWait;
      ok = b.empty() && Number(a, 0, 600000, e.a);
    } else if (verb == "resize") {
      e.kind = PlayEventKind::kResize;
      ok = extra.empty() && Number(a, 64, 16384, e.a) && Number(b, 64, 16384, e.b);
    } else if (verb == "key" || verb == "drop" || verb == "shot") {
      e.kind = verb == "key"    ? PlayEventKind::kKey
               : verb == "drop" ? PlayEventKind::kDrop
                                : PlayEventKind::kShot;
      e.text = Rest(line, verb);
      ok = !e.text.empty() && e.text.size() <= 4096;
    }
    if (!ok || events.size() >= kMaxEvents) {
      error = "line " + std::to_string(number) + ": cannot read \"" + line.substr(0, 80) + "\"";
      return false;
    }
    events.push_back(std::move(e));
  }
  return true;
}

}  // namespace corvida::app
