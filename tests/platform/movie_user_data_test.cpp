// The controller type a QuickTime movie names in its user data: found where it belongs,
// ignored elsewhere, and damaged atom sizes never read past their parent.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/movie/user_data.h"
#include "platform/movie_ffmpeg.h"
#include "support/movie_writer.h"

namespace corvida {
namespace {

using Bytes = std::vector<uint8_t>;

void Put32(Bytes& out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(uint8_t(v >> shift));
}

// An atom of `type` around `body`, its size stated as `size` (the true size when -1).
Bytes Atom(const std::string& type, const Bytes& body, int64_t size = -1) {
  Bytes out;
  Put32(out, uint32_t(size < 0 ? body.size() + 8 : uint64_t(size)));
  out.insert(out.end(), type.begin(), type.end());
  out.insert(out.end(), body.begin(), body.end());
  return out;
}

Bytes Text(const std::string& s) {
  return Bytes(s.begin(), s.end());
}

Bytes Join(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

constexpr uint32_t kStdr = 0x73746472;  // 'stdr'

uint32_t TypeOf(Bytes bytes) {
  auto source = movie::MemorySource(std::move(bytes));
  return movie::ControllerType(*source);
}

TEST(MovieUserData, TheControllerTypeComesOnlyFromTheMoviesOwnUserData) {
  const Bytes ctyp = Atom("ctyp", Text("stdr"));
  Bytes extended;  // a 64-bit size: 1, then the size after the type
  Put32(extended, 1);
  extended.insert(extended.end(), {'u', 'd', 't', 'a'});
  Put32(extended, 0);
  Put32(extended, uint32_t(16 + ctyp.size()));
  extended.insert(extended.end(), ctyp.begin(), ctyp.end());
  struct Case {
    const char* what;
    Bytes bytes;
    uint32_t type;
  };
  const std::vector<Case> cases = {
      {"moov/udta/ctyp", Atom("moov", Atom("udta", ctyp)), kStdr},
      {"after other atoms",
       Join({Atom("ftyp", Text("qt  ")), Atom("mdat", Bytes(40)),
             Atom("moov", Join({Atom("mvhd", Bytes(100)),
                                Atom("udta", Join({Atom("name", Text("x")), ctyp}))}))}),
       kStdr},
      {"a second user data atom",
       Atom("moov", Join({Atom("udta", Atom("name", Text("x"))), Atom("udta", ctyp)})), kStdr},
      {"a 64-bit size", Atom("moov", extended), kStdr},
      {"the last atom sized to the end", Atom("moov", Atom("udta", ctyp), 0), kStdr},
      {"user data of a track only", Atom("moov", Atom("trak", Atom("udta", ctyp))), 0},
      {"no user data", Atom("moov", Atom("mvhd", Bytes(100))), 0},
      {"no movie atom", Atom("udta", ctyp), 0},
      {"a value cut short", Atom("moov", Atom("udta", Atom("ctyp", Text("st")))), 0},
      {"a size past the parent", Atom("moov", Atom("udta", Atom("ctyp", Text("stdr"), 400))), 0},
      {"a size below a header", Join({Atom("free", {}, 4), Atom("moov", Atom("udta", ctyp))}), 0},
      {"nothing", {}, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(TypeOf(c.bytes), c.type) << c.what;
}

TEST(MovieUserData, AWalkOverCountlessAtomsStops) {
  Bytes many;
  for (int i = 0; i < movie::kMaxAtomsWalked + 10; ++i) {
    const Bytes free_atom = Atom("free", {});
    many.insert(many.end(), free_atom.begin(), free_atom.end());
  }
  const Bytes tail = Atom("moov", Atom("udta", Atom("ctyp", Text("stdr"))));
  many.insert(many.end(), tail.begin(), tail.end());
  EXPECT_EQ(TypeOf(many), 0u);
}

// A movie made by the media libraries, its movie atom given user data naming a controller.
TEST(MovieUserData, TheMediaEngineReportsIt) {
  Bytes bytes = testing::TestMovieBytes(testing::VideoSpec("mov", "qtrle", 32, 24, {0xFF0000}));
  ASSERT_FALSE(bytes.empty());
  auto service = CreateFfmpegMovieService();
  MovieOpenResult plain = service->OpenMemory(bytes);
  ASSERT_TRUE(plain.movie);
  EXPECT_EQ(plain.movie->info().controller_type, 0u);
  // Find the top-level movie atom; the writer puts it last, so it can grow in place.
  size_t at = 0, moov = bytes.size();
  while (at + 8 <= bytes.size()) {
    const uint32_t size =
        uint32_t(bytes[at]) << 24 | bytes[at + 1] << 16 | bytes[at + 2] << 8 | bytes[at + 3];
    if (std::string(bytes.begin() + long(at) + 4, bytes.begin() + long(at) + 8) == "moov")
      moov = at;
    if (size < 8) break;
    at += size;
  }
  ASSERT_LT(moov, bytes.size());
  const Bytes udta = Atom("udta", Atom("ctyp", Text("stdr")));
  ASSERT_EQ(at, bytes.size()) << "the movie atom is the last one";
  bytes.insert(bytes.end(), udta.begin(), udta.end());
  Bytes size;
  Put32(size, uint32_t(bytes.size() - moov));
  std::copy(size.begin(), size.end(), bytes.begin() + long(moov));
  MovieOpenResult named = service->OpenMemory(bytes);
  ASSERT_TRUE(named.movie);
  EXPECT_EQ(named.movie->info().controller_type, kStdr);
}

}  // namespace
}  // namespace corvida
