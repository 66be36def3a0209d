#include "platform/dynlib.h"

#include <dlfcn.h>

namespace corvida {

DynamicLibrary::DynamicLibrary(DynamicLibrary&& other) noexcept
    : handle_(other.handle_), error_(std::move(other.error_)) {
  other.handle_ = nullptr;
}

DynamicLibrary& DynamicLibrary::operator=(DynamicLibrary&& other) noexcept {
  if (this != &other) {
    Close();
    handle_ = other.handle_;
    error_ = std::move(other.error_);
    other.handle_ = nullptr;
  }
  return *this;
}

bool DynamicLibrary::Open(const std::string& host_path) {
  Close();
  error_.clear();
  // A bare name would be searched for on the system's library path: only files count.
  if (host_path.find('/') == std::string::npos) {
    error_ = "not a path: " + host_path;
    return false;
  }
  handle_ = dlopen(host_path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle_ == nullptr) {
    const char* why = dlerror();
    error_ = why ? why : "cannot load " + host_path;
  }
  return handle_ != nullptr;
}

void* DynamicLibrary::Symbol(const std::string& name) const {
  return handle_ ? dlsym(handle_, name.c_str()) : nullptr;
}

void DynamicLibrary::Close() {
  if (handle_ != nullptr) dlclose(handle_);
  handle_ = nullptr;
}

}  // namespace corvida
