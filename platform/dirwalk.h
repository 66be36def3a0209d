// Looking at folders for code that walks them often: a cheap stamp that changes whenever
// a folder's entries change, so a listing can be kept until it does.
#pragma once

#include <cstdint>
#include <string>

namespace corvida {

// The folder's change time in nanoseconds (its entries changed when this changed); 0
// when it cannot be read. Links are not followed.
int64_t FolderStamp(const std::string& path);

}  // namespace corvida
