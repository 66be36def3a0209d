#include "player/file_locator.h"

#include "stackfile/fileslots.h"

namespace corvida {
namespace {

constexpr int kStackType = 9;
constexpr int kProgramType = 13;

bool IsPictureType(int type) {
  return type >= 0 && type <= 8;
}

std::string DottedExtension(std::string_view name) {
  const size_t dot = name.rfind('.');
  return dot == std::string_view::npos ? "" : std::string(name.substr(dot));
}

}  // namespace

LocatorQuestion LocatorQuestionFor(std::string_view stored) {
  const std::string name(NamePart(stored));
  const int type = FileType(name);
  if (type == kStackType) return {"Please find the stack named: " + name, ".stk"};
  if (type == kProgramType) return {"Please find the application: " + name, ".exe"};
  const std::string extension = DottedExtension(name);
  if (IsPictureType(type)) return {"Please find the picture named: " + name, extension};
  if (IsSoundFileType(type)) return {"Please find the sound named: " + name, extension};
  if (IsMovieFileType(type)) return {"Please find the movie named: " + name, extension};
  return {"Please find the file named: " + name, ""};
}

std::string LocatorKey(std::string_view stored) {
  std::string key(stored);
  for (char& c : key)
    if (c >= 'A' && c <= 'Z') c = char(c + 32);
  return key;
}

}  // namespace corvida
