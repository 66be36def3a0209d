// Dynamic libraries (extension modules) loaded at run time. Host path form; the library
// is unloaded when the object goes away.
#pragma once

#include <string>

namespace corvida {

class DynamicLibrary {
 public:
  DynamicLibrary() = default;
  ~DynamicLibrary() { Close(); }
  DynamicLibrary(DynamicLibrary&& other) noexcept;
  DynamicLibrary& operator=(DynamicLibrary&& other) noexcept;
  DynamicLibrary(const DynamicLibrary&) = delete;
  DynamicLibrary& operator=(const DynamicLibrary&) = delete;

  // Loads the library; false (with error() saying why) when it cannot be loaded.
  bool Open(const std::string& host_path);
  bool is_open() const { return handle_ != nullptr; }
  // The address of an exported symbol, or null.
  void* Symbol(const std::string& name) const;
  void Close();
  const std::string& error() const { return error_; }

 private:
  void* handle_ = nullptr;
  std::string error_;
};

}  // namespace corvida
