// URLs as the plug-in face sees them: which ones name stacks, when two are the same, and
// the URL of a file a stack asks for beside the stack's own.
#pragma once

#include <string>
#include <string_view>

namespace corvida::plugin {

inline constexpr size_t kUrlLimit = 260;  // with its NUL, as stored

// The URL without its query and fragment (what follows "?" or "#").
std::string_view UrlPath(std::string_view url);
// Exact comparison, except that the scheme and the host ignore letter case.
bool SameUrl(std::string_view a, std::string_view b);
// A stack: the URL's path ends in ".stk" (any case), or the stream's MIME type is one of
// the stack types ("application/cvtu", "application/corvida").
bool IsStackUrl(std::string_view url);
bool IsStackType(std::string_view mime_type);
// The extension of the URL's path when it is three ASCII letters or digits; "" otherwise.
std::string UrlExtension(std::string_view url);
// Only these are ever fetched: http, https and file URLs.
bool IsFetchableUrl(std::string_view url);
bool IsFileUrl(std::string_view url);
// The folder name of the site a URL comes from: scheme, host and port (the scheme's own
// when none is given) in lower case, joined by "-", every character other than a letter,
// digit, "." or "-" made "_", at most 100 characters ("file" for every file URL); "" when
// the URL has no scheme or host.
std::string UrlOrigin(std::string_view url);
// The name a stack is known by from its URL, for the files made of it (a saved copy, an
// exported card): the last part of the path without its extension, percent-escapes
// undone, "/", "\" and control characters made "_"; "Untitled" when nothing is left.
std::string UrlStackName(std::string_view url);
// `name` (Windows character set) percent-encoded as UTF-8 and put after the last "/" of
// the base's path. "" (a file error) for an empty name, one holding "/", "\", "..", or
// control characters, a base without a path, or a result of kUrlLimit characters or more.
std::string UrlBeside(std::string_view base, std::string_view name);

}  // namespace corvida::plugin
