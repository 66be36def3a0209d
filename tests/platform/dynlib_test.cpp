#include "platform/dynlib.h"

#include <gtest/gtest.h>

namespace corvida {
namespace {

TEST(DynamicLibrary, LoadsByPathOnlyAndFindsSymbols) {
  DynamicLibrary lib;
  EXPECT_FALSE(lib.Open("libm.so.6"));  // bare names are not searched for
  EXPECT_FALSE(lib.error().empty());
  EXPECT_FALSE(lib.Open("/nonexistent/module.nba"));
  EXPECT_EQ(lib.Symbol("cos"), nullptr);
  // The C library is present on every system this builds on.
  for (const char* path : {"/lib/x86_64-linux-gnu/libc.so.6", "/lib/aarch64-linux-gnu/libc.so.6",
                           "/usr/lib/x86_64-linux-gnu/libc.so.6"}) {
    if (lib.Open(path)) break;
  }
  if (!lib.is_open()) GTEST_SKIP() << "no libc at a known path";
  EXPECT_NE(lib.Symbol("strlen"), nullptr);
  EXPECT_EQ(lib.Symbol("NBAMain"), nullptr);
  DynamicLibrary moved = std::move(lib);
  EXPECT_FALSE(lib.is_open());
  EXPECT_TRUE(moved.is_open());
}

}  // namespace
}  // namespace corvida
