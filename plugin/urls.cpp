#include "plugin/urls.h"

#include <algorithm>

#include "platform/charset.h"
#include "platform/text.h"

namespace corvida::plugin {

namespace {

constexpr std::string_view kSchemeEnd = "://";

// The URL with its scheme and host (after any user part) in lower case.
std::string FoldSchemeAndHost(std::string_view url) {
  std::string folded(url);
  const size_t scheme_end = url.find(kSchemeEnd);
  if (scheme_end == std::string_view::npos) return folded;
  const size_t authority = scheme_end + kSchemeEnd.size();
  size_t authority_end = url.find_first_of("/?#", authority);
  if (authority_end == std::string_view::npos) authority_end = url.size();
  const size_t at = url.substr(0, authority_end).rfind('@');
  const size_t host = at != std::string_view::npos && at >= authority ? at + 1 : authority;
  for (size_t i = 0; i < scheme_end; ++i) folded[i] = AsciiLower(folded[i]);
  for (size_t i = host; i < authority_end; ++i) folded[i] = AsciiLower(folded[i]);
  return folded;
}

bool IsAsciiAlnum(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

bool IsUnreserved(char c) {
  return IsAsciiAlnum(c) || c == '-' || c == '.' || c == '_' || c == '~';
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view start) {
  return text.size() >= start.size() && EqualsIgnoringCase(text.substr(0, start.size()), start);
}

bool RefusedName(std::string_view name) {
  if (name.empty() || name == "." || name.find("..") != std::string_view::npos) return true;
  for (char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '/' || c == '\\' || byte < 0x20 || byte == 0x7F) return true;
  }
  return false;
}

}  // namespace

std::string_view UrlPath(std::string_view url) {
  return url.substr(0, std::min(url.find_first_of("?#"), url.size()));
}

bool SameUrl(std::string_view a, std::string_view b) {
  return a.size() == b.size() && FoldSchemeAndHost(a) == FoldSchemeAndHost(b);
}

bool IsStackUrl(std::string_view url) {
  return HasExtensionIgnoringCase(UrlPath(url), "stk");
}

bool IsStackType(std::string_view mime_type) {
  const std::string_view type =
      mime_type.substr(0, std::min(mime_type.find(';'), mime_type.size()));
  return EqualsIgnoringCase(type, "application/cvtu") ||
         EqualsIgnoringCase(type, "application/corvida");
}

std::string UrlExtension(std::string_view url) {
  const std::string_view path = UrlPath(url);
  const size_t dot = path.rfind('.');
  if (dot == std::string_view::npos || path.size() - dot != 4) return "";
  const std::string_view extension = path.substr(dot + 1);
  for (char c : extension) {
    if (!IsAsciiAlnum(c)) return "";
  }
  return std::string(extension);
}

bool IsFetchableUrl(std::string_view url) {
  return StartsWithIgnoringCase(url, "http://") || StartsWithIgnoringCase(url, "https://") ||
         IsFileUrl(url);
}

bool IsFileUrl(std::string_view url) {
  return StartsWithIgnoringCase(url, "file://");
}

std::string UrlBeside(std::string_view base, std::string_view name) {
  if (RefusedName(name)) return "";
  const std::string_view path = UrlPath(base);
  const size_t scheme_end = path.find(kSchemeEnd);
  const size_t path_start =
      scheme_end == std::string_view::npos ? 0 : path.find('/', scheme_end + kSchemeEnd.size());
  const size_t slash = path.rfind('/');
  if (path_start == std::string_view::npos || slash == std::string_view::npos || slash < path_start)
    return "";
  std::string url(path.substr(0, slash + 1));
  static constexpr char kHex[] = "0123456789ABCDEF";
  // Names are in the Windows character set; URLs carry their characters as UTF-8, as
  // browsers send them and as servers (and the files dropped with a stack) name them.
  for (char c : Windows1252ToUtf8(name)) {
    if (IsUnreserved(c)) {
      url += c;
    } else {
      const auto byte = static_cast<unsigned char>(c);
      url += '%';
      url += kHex[byte >> 4];
      url += kHex[byte & 15];
    }
  }
  return url.size() < kUrlLimit ? url : "";
}

std::string UrlOrigin(std::string_view url) {
  if (IsFileUrl(url)) return "file";
  const size_t scheme_end = url.find(kSchemeEnd);
  if (scheme_end == std::string_view::npos || scheme_end == 0) return "";
  const std::string_view scheme = url.substr(0, scheme_end);
  const size_t authority = scheme_end + kSchemeEnd.size();
  std::string_view rest = url.substr(authority);
  rest = rest.substr(0, rest.find_first_of("/?#"));
  const size_t at = rest.rfind('@');
  if (at != std::string_view::npos) rest = rest.substr(at + 1);
  // A port after the host (not inside an IPv6 address's brackets).
  const size_t colon = rest.rfind(':');
  std::string_view host = rest, port;
  if (colon != std::string_view::npos && rest.find(']', colon) == std::string_view::npos) {
    host = rest.substr(0, colon);
    port = rest.substr(colon + 1);
  }
  if (host.empty()) return "";
  std::string default_port = EqualsIgnoringCase(scheme, "https") ? "443" : "80";
  std::string name = std::string(scheme) + "-" + std::string(host) + "-" +
                     (port.empty() ? default_port : std::string(port));
  for (char& c : name) {
    c = AsciiLower(c);
    if (!IsAsciiAlnum(c) && c != '.' && c != '-') c = '_';
  }
  // ".." alone could climb; dots stay only between other characters.
  if (name.find("..") != std::string::npos) std::replace(name.begin(), name.end(), '.', '_');
  return name.substr(0, 100);
}

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::string UrlStackName(std::string_view url) {
  std::string_view path = UrlPath(url);
  if (const size_t slash = path.rfind('/'); slash != std::string_view::npos)
    path = path.substr(slash + 1);
  if (const size_t dot = path.rfind('.'); dot != std::string_view::npos && dot > 0)
    path = path.substr(0, dot);
  std::string name;
  for (size_t i = 0; i < path.size(); ++i) {
    char c = path[i];
    if (c == '%' && i + 2 < path.size() && HexDigit(path[i + 1]) >= 0 &&
        HexDigit(path[i + 2]) >= 0) {
      c = static_cast<char>(HexDigit(path[i + 1]) * 16 + HexDigit(path[i + 2]));
      i += 2;
    }
    const auto byte = static_cast<unsigned char>(c);
    name += (c == '/' || c == '\\' || byte < 0x20 || byte == 0x7F) ? '_' : c;
  }
  return name.empty() ? "Untitled" : name;
}

}  // namespace corvida::plugin
