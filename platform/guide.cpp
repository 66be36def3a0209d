#include "platform/guide.h"

#include "platform/files.h"

namespace corvida {

std::string UserGuidePath() {
  const std::string program = ProgramFolder();
  if (program.empty()) return {};
  for (const std::string& folder : {program, JoinPath(PathFolder(program), "share/doc/corvida")}) {
    const std::string path = JoinPath(folder, kUserGuideFile);
    if (IsRegularFile(path)) return path;
  }
  return {};
}

}  // namespace corvida
