#include <emscripten.h>

#include <cstdio>

#include "platform/files.h"
#include "platform/web/web_platform.h"

namespace corvida::web {

// Fetches a face file from the page's font folder into `path` with a synchronous request
// (binary through the user-defined charset, the one way the page's own thread may);
// false when it cannot be had.
EM_JS(bool, web_fetch_face, (const char* file, const char* path), {
  try {
    var request = new XMLHttpRequest();
    request.open('GET', Module.corvida.fontUrl(UTF8ToString(file)), false);
    request.overrideMimeType('text/plain; charset=x-user-defined');
    request.send(null);
    if (request.status != 200 && request.status != 0) return false;
    var text = request.responseText;
    var bytes = new Uint8Array(text.length);
    for (var i = 0; i < text.length; ++i) bytes[i] = text.charCodeAt(i) & 0xff;
    FS.writeFile(UTF8ToString(path), bytes);
    return bytes.length > 0;
  } catch (e) {
    return false;
  }
});

EM_JS(void, web_console, (const char* text), { console.warn(UTF8ToString(text)); });

std::string FetchedFaceFiles::Fetch(const std::string& file) {
  if (!Has(file) || file.find('/') != std::string::npos) return "";
  CreateDirectories(folder_);
  const std::string path = folder_ + "/" + file;
  return web_fetch_face(file.c_str(), path.c_str()) ? path : "";
}

int WebAlertPresenter::ShowAlert(const AlertRequest& request) {
  if (in_window_) return in_window_->ShowAlert(request);
  web_console(("corvida: " + request.text).c_str());
  return UnansweredChoice(request);
}

void WebAlertPresenter::ShowMessageBox(const std::string& title, const std::string& text,
                                       AlertIcon icon) {
  if (in_window_) return in_window_->ShowMessageBox(title, text, icon);
  web_console(("corvida: " + title + ": " + text).c_str());
}

WebPlatform::WebPlatform(Folders folders, std::set<std::string> fonts_listed)
    : folders_(std::move(folders)),
      face_files_(folders_.data + "/fonts", std::move(fonts_listed)) {}

MovieService* WebPlatform::movies() {
  if (!movies_) movies_ = CreateFfmpegMovieService();
  return movies_.get();
}

FontService* WebPlatform::fonts() {
  if (!fonts_) fonts_ = CreateFontService({folders_.data + "/fonts"}, &face_files_);
  return fonts_.get();
}

}  // namespace corvida::web
